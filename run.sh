#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program. Arguments are
# passed to it. Without arguments it opens the main window when there is a
# display, and otherwise runs the batch analysis of the sample portal frame
# and says where the result files went.
set -euo pipefail
cd "$(dirname "$0")"
tools/install_deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target vextor
EXE=build/app/vextor
if [[ $# -gt 0 ]]; then exec "$EXE" "$@"; fi
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then exec "$EXE"; fi
# No display: the batch analysis of the sample model.
OUT=$(mktemp -d /tmp/vextor-sample.XXXXXX)
cp 'examples/portal.$O1' "$OUT/"
echo "batch run of examples/portal.\$O1 in $OUT"
env -u DISPLAY -u WAYLAND_DISPLAY "$EXE" /BATCH "$OUT/portal.\$O1"
echo "result files:"
ls -1 "$OUT"
