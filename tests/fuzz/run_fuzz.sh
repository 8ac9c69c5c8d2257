#!/bin/sh
# Builds the fuzz targets (CMake preset "fuzz": clang, libFuzzer, address
# and undefined-behaviour sanitizers) and runs each for a bounded time.
#   tests/fuzz/run_fuzz.sh [seconds per target] [target ...]
# Default: 20 seconds each, every target. Seeds are the example models and
# the test data of each format (tests/fuzz/seeds adds a few); the corpus
# grows under build-fuzz/corpus/<target>. A finding is written as
# build-fuzz/artifacts/<target>-crash-* (or leak-, timeout-, oom-) and
# makes the script end with a non-zero status after the other targets ran.
# FUZZ_JOBS sets the build's parallelism (default 3).
set -eu
seconds=${1:-20}
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${FUZZ_JOBS:-3}"
out=$root/build-fuzz
targets=${*:-"fuzz_data_file fuzz_analysis fuzz_rc_block fuzz_reference_import fuzz_figure_file fuzz_picture_file fuzz_ini_file fuzz_text_numbers"}

seed() {  # target, files...
    t=$1
    shift
    for f in "$@"; do [ -f "$f" ] && cp "$f" "$out/corpus/$t/"; done
    return 0
}

failed=""
mkdir -p "$out/artifacts"
for t in $targets; do
    mkdir -p "$out/corpus/$t"
    case $t in
        fuzz_data_file | fuzz_analysis | fuzz_rc_block)
            seed "$t" examples/*.\$O1 tests/data/model/*.\$O1 tests/fuzz/seeds/*.\$O1 ;;
        fuzz_reference_import)
            seed "$t" tests/data/app/*.dxf tests/data/app/*.KRV tests/data/report/*.KRV ;;
        fuzz_figure_file)
            seed "$t" tests/data/report/*.KRV tests/data/app/*.KRV ;;
        fuzz_picture_file) seed "$t" tests/data/report/*.jpg tests/data/report/*.bmp ;;
        fuzz_ini_file) seed "$t" tests/fuzz/seeds/*.ini ;;
        fuzz_text_numbers) seed "$t" tests/fuzz/seeds/number*.txt ;;
    esac
    dict=""
    name=${t#fuzz_}
    [ -f "tests/fuzz/$name.dict" ] && dict="-dict=tests/fuzz/$name.dict"
    echo "== $t: $seconds s"
    # shellcheck disable=SC2086
    if ! "$out/tests/fuzz/$t" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$out/artifacts/$t-" $dict "$out/corpus/$t"; then
        failed="$failed $t"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz findings in:$failed (see $out/artifacts)" >&2
    exit 1
fi
