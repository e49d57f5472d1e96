#!/usr/bin/env bash
# Fuzzes the Access reader with libFuzzer (clang, AddressSanitizer + UndefinedBehaviorSanitizer).
#   fuzz/run.sh [-t SECONDS] [-f FILES [-p PASSWORDS]]    run a campaign (default 600 seconds)
#   fuzz/run.sh coverage                                  what the gathered inputs reach
#   fuzz/run.sh smoke                                     build, run each starting input once
# The starting inputs are written by our own Access writer; with -f, every .mdb and .accdb below
# FILES is added whole, and PASSWORDS (lines "FILE PASSWORD", FILE its name or its path below
# FILES) gives the passwords of protected ones, which the fuzzer then tries besides the empty one.
# The campaign runs at low priority; the inputs it finds worth keeping gather in fuzz/out/corpus
# and findings land in fuzz/out/ (crash-*, timeout-*, leak-*, oom-*). The build trees are
# build-fuzz and build-fuzz-coverage (CMake presets fuzz and fuzz-coverage).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$here/out
cd "$root"

build() { # preset
    [[ -f "build-$1/CMakeCache.txt" ]] || nice -n 19 cmake --preset "$1" >/dev/null
    nice -n 19 cmake --build --preset "$1" -j2
}

if [[ ${1:-} == smoke ]]; then
    build fuzz
    rm -rf build-fuzz/smoke-inputs
    build-fuzz/fuzz/fuzz-input-writer build-fuzz/smoke-inputs
    exec build-fuzz/fuzz/access-reader-fuzzer -runs=0 -max_len=1048576 build-fuzz/smoke-inputs
fi

if [[ ${1:-} == coverage ]]; then
    build fuzz-coverage
    rm -rf "$out/coverage"
    mkdir -p "$out/coverage"
    LLVM_PROFILE_FILE="$out/coverage/run-%p.profraw" nice -n 19 \
        build-fuzz-coverage/fuzz/access-reader-fuzzer -runs=0 -max_len=8388608 -timeout=120 \
        "$out/corpus" "$out/inputs" >"$out/coverage/run.log" 2>&1
    llvm-profdata merge -sparse "$out/coverage"/run-*.profraw -o "$out/coverage/merged.profdata"
    llvm-cov report build-fuzz-coverage/fuzz/access-reader-fuzzer \
        -instr-profile="$out/coverage/merged.profdata" "$root"/db/access/*.cpp "$root"/db/crypto/*.cpp
    echo "Per line: llvm-cov show build-fuzz-coverage/fuzz/access-reader-fuzzer" \
        "-instr-profile=$out/coverage/merged.profdata FILE"
    exit 0
fi

seconds=600
files=
passwords=/dev/null
while getopts "t:f:p:" option; do
    case $option in
    t) seconds=$OPTARG ;;
    f) files=$OPTARG ;;
    p) passwords=$OPTARG ;;
    *) sed -n '2,11p' "$0" >&2; exit 2 ;;
    esac
done

build fuzz
rm -rf "$out/inputs"
mkdir -p "$out/inputs" "$out/corpus"
if [[ -n $files ]]; then
    build-fuzz/fuzz/fuzz-input-writer "$out/inputs" "$files" "$passwords"
else
    build-fuzz/fuzz/fuzz-input-writer "$out/inputs"
fi
# Whole files are the point: the longest input sets the limit.
largest=$(find "$out/inputs" "$out/corpus" -type f -printf '%s\n' | sort -n | tail -1)
max_len=$((largest > 131072 ? largest : 131072))

cd "$out"
exec nice -n 19 "$root/build-fuzz/fuzz/access-reader-fuzzer" -max_len="$max_len" -timeout=60 \
    -rss_limit_mb=2048 -max_total_time="$seconds" -print_final_stats=1 "$out/corpus" "$out/inputs"
