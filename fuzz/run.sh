#!/usr/bin/env bash
# Builds the Access reader fuzzer with clang (libFuzzer + AddressSanitizer) and runs it on starting
# inputs written by our own Access writer. Not part of the build or CI.
#   fuzz/run.sh [SECONDS]      (default 600; runs at low priority)
# Findings land in fuzz/out/ (crash-*, timeout-*, leak-*).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$here/out
seconds=${1:-600}
mkdir -p "$out/build" "$out/inputs" "$out/corpus"

read -ra mdb_cflags <<<"$(pkg-config --cflags libmdb)"
read -ra mdb_libs <<<"$(pkg-config --libs libmdb)"
flags=(-std=c++20 -g -O1 -I"$root" -I"$root/tests/support" -I"$root/tests/support/accesswriter" "${mdb_cflags[@]}")
libs=("${mdb_libs[@]}" -lcrypto)
reader=("$root"/db/access/{AccessDatabase,AccessErrors,AccessTableCursor,ColumnProperties,ComplexValues,DataPage,DatabaseShape,IndexSections,JetHeader,LongValueReader,PageStore,ShapeReader,TableDefinition,TableScanner,TextDecoder,UsageMap,ValueDecoder}.cpp
        "$root"/platform/{Variant,RegionalText,RegionalTextDates,RegionalTextLocale,Utf8,Utf16}.cpp
        "$root"/db/crypto/*.cpp)

clang++ "${flags[@]}" -fsanitize=fuzzer,address "$here/AccessReaderFuzzer.cpp" "${reader[@]}" \
    "${libs[@]}" -o "$out/build/access-reader-fuzzer"
clang++ "${flags[@]}" "$here/InputWriter.cpp" "$root"/tests/support/accesswriter/*.cpp \
    "$root"/platform/{Variant,Utf8,Utf16}.cpp "$root"/db/crypto/*.cpp "$root"/tests/support/cryptowriter/*.cpp \
    -lcrypto \
    -o "$out/build/input-writer"
"$out/build/input-writer" "$out/inputs"

cd "$out"
exec nice -n 19 "$out/build/access-reader-fuzzer" -max_len=131072 -timeout=60 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -print_final_stats=1 "$out/corpus" "$out/inputs"
