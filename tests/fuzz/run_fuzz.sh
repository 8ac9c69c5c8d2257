#!/bin/sh
# Builds the data file reader's fuzz target with clang (libFuzzer, address
# and undefined-behaviour sanitizers) from the sources it needs and runs it
# for a bounded time.
#   tests/fuzz/run_fuzz.sh [seconds]     (default 60)
# The seed corpus is the example models; new inputs go to a scratch corpus
# under the build folder, and a finding is written there as crash-* and
# ends the run with a non-zero status.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
mkdir -p "$out/corpus"
cp "$root"/examples/*.\$O1 "$out/corpus/" 2>/dev/null || true
cp "$root"/tests/data/model/*.\$O1 "$out/corpus/" 2>/dev/null || true

clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" \
    "$root/tests/fuzz/fuzz_data_file.cpp" \
    "$root/model/data_file.cpp" "$root/model/data_file_read.cpp" "$root/model/data_file_write.cpp" \
    "$root/model/validation.cpp" "$root/model/frame_model.cpp" "$root/model/frame_model_rows.cpp" \
    "$root/model/text_helpers.cpp" \
    "$root/model/numeric.cpp" \
    "$root/platform/string_list.cpp" "$root/platform/sysutils.cpp" "$root/platform/encoding.cpp" \
    -o "$out/fuzz_data_file"

cd "$out"
./fuzz_data_file -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=4096 \
    -print_final_stats=1 corpus
