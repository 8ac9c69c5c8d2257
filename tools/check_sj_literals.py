#!/usr/bin/env python3
"""Finds narrow string literals with non-ASCII characters that are not _sj
literals. Such a literal would hold UTF-8 where the program works on CP932.
Literals with a u, U, L or u8 prefix (the Qt code's u"" texts) are not
narrow, and comments are skipped. Exits 1 with the places found."""
import os
import sys

root = sys.argv[1] if len(sys.argv) > 1 else "."
dirs = ["platform", "model", "report", "app", "rccheck", "tests", "bench"]


def literals(text):
    """Yields (line, prefix, body, suffix) for every string literal."""
    i, n, line = 0, len(text), 1
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            line += text.count("\n", i, j)
            i = j
        elif c == "'":
            j = i + 1
            while j < n and text[j] != "'" and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
        elif c == '"':
            k = i
            while k > 0 and (text[k - 1].isalnum() or text[k - 1] == "_"):
                k -= 1
            prefix = text[k:i]
            start_line = line
            if prefix.endswith("R"):
                close = text.find("(", i)
                delim = ")" + text[i + 1:close] + '"'
                j = text.find(delim, close)
                j = n if j < 0 else j + len(delim)
                body = text[i:j]
            else:
                j = i + 1
                while j < n and text[j] != '"' and text[j] != "\n":
                    j += 2 if text[j] == "\\" else 1
                j += 1
                body = text[i:j]
            line += body.count("\n")
            m = j
            while m < n and (text[m].isalnum() or text[m] == "_"):
                m += 1
            yield start_line, prefix, body, text[j:m]
            i = m
        else:
            i += 1


bad = []
for d in dirs:
    for base, _, files in os.walk(os.path.join(root, d)):
        for f in sorted(files):
            if not f.endswith((".cpp", ".h", ".hpp", ".cc")):
                continue
            path = os.path.join(base, f)
            with open(path, "rb") as fh:
                data = fh.read()
            if all(b < 0x80 for b in data):
                continue
            text = data.decode("utf-8", errors="replace")
            for line, prefix, body, suffix in literals(text):
                if suffix == "_sj" or prefix.rstrip("R") in ("u", "U", "L", "u8"):
                    continue
                if any(ord(ch) >= 0x80 for ch in body):
                    bad.append(f"{path}:{line}: {body}")
if bad:
    print("narrow non-ASCII literals without _sj:")
    print("\n".join(bad))
    sys.exit(1)
print("all non-ASCII narrow literals are _sj literals")
