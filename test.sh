#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
#   SANITIZE=1 ./test.sh   builds with address and undefined sanitizers
#   FUZZ=1 ./test.sh       also runs every fuzz target for a short time (FUZZ_SECONDS each)
set -euo pipefail
cd "$(dirname "$0")"
tools/install_deps.sh
if [[ "${SANITIZE:-0}" == 1 ]]; then PRESET=asan; else PRESET=dev; fi
cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$PRESET" -j "$(nproc)"
if [[ "${FUZZ:-0}" == 1 && -x tests/fuzz/run_fuzz.sh ]]; then
  tests/fuzz/run_fuzz.sh "${FUZZ_SECONDS:-20}"
fi
