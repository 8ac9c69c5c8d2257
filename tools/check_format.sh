#!/usr/bin/env bash
# Lists the C++ sources that differ from .clang-format and fails when there
# are any. The generated code page table is left as generated.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=${CLANG_FORMAT:-clang-format}
if ! out=$(find platform model report app rccheck tests bench \
               \( -name '*.cpp' -o -name '*.h' \) ! -name cp932_table.h -print0 |
           xargs -0 -P "$(nproc)" -n 40 "$fmt" --dry-run --Werror 2>&1); then
    echo "$out" | grep -o '^[^:]*\.\(cpp\|h\)' | sort -u | sed "s|^|not formatted (run $fmt -i): |"
    exit 1
fi
