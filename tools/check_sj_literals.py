#!/usr/bin/env python3
"""Finds narrow string or character literals with non-ASCII bytes that are
not _sj literals. Such a literal would hold UTF-8 where the program works on
CP932. Qt code in platform/qt may use u"" literals; they are not narrow.
Exit status 1 and a list of places when any is found."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else "."
dirs = ["platform", "model", "report", "app", "rccheck", "tests", "bench"]
# A narrow literal: no u/U/L/u8 prefix, not raw-string aware beyond the basics.
literal = re.compile(r'(?<![A-Za-z0-9_])("(?:[^"\\\n]|\\.)*")(_sj)?')
bad = []
for d in dirs:
    for base, _, files in os.walk(os.path.join(root, d)):
        for f in files:
            if not f.endswith((".cpp", ".h", ".hpp", ".cc")):
                continue
            path = os.path.join(base, f)
            with open(path, "rb") as fh:
                data = fh.read()
            if all(b < 0x80 for b in data):
                continue
            text = data.decode("utf-8", errors="replace")
            for n, line in enumerate(text.splitlines(), 1):
                stripped = line.lstrip()
                if stripped.startswith("//") or stripped.startswith("*"):
                    continue
                code = line.split("//")[0] if '"' not in line else line
                for m in literal.finditer(code):
                    s, suffix = m.group(1), m.group(2)
                    start = m.start(1)
                    prefix = code[max(0, start - 2):start]
                    if prefix.endswith(("u", "U", "L")) or prefix == "u8":
                        continue
                    if suffix:
                        continue
                    if any(ord(c) >= 0x80 for c in s):
                        bad.append(f"{path}:{n}: {s}")
if bad:
    print("narrow non-ASCII literals without _sj:")
    print("\n".join(bad))
    sys.exit(1)
print("all non-ASCII narrow literals are _sj literals")
