#!/usr/bin/env bash
# The cost of proving a load against the load itself, on one Access file and a throwaway server:
#   bench/verify.sh FILE [ROUNDS]
# Each round loads FILE into an empty database by every route tabulant-convert offers (one
# INSERT per row; the statement file through psql in one transaction; COPY where the program
# has it), then times --verify-only over what arrived, and the server's part of it alone beside
# a plain count(*) over the same tables. Prints the medians and verify/load for each route.
# The build folder is $TABULANT_BUILD_DIR, or build/ of the default preset (an optimised build).
# The server runs without durability (fsync off), as every throwaway cluster of the project.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
file=${1:?usage: bench/verify.sh FILE [ROUNDS]}
rounds=${2:-3}
build=${TABULANT_BUILD_DIR:-$root/build}
if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
    (cd "$root" && cmake --preset default -B "$build" >/dev/null)
fi
cmake --build "$build" --target tabulant-convert -j2 >/dev/null
convert=$build/bin/tabulant-convert

work=$(mktemp -d)
chmod 755 "$work" # run as root, the server runs as postgres and must reach its folder
cleanup() {
    "$root/scripts/pg-cluster.sh" destroy "$work/pg" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
port=$("$root/scripts/pg-cluster.sh" start "$work/pg" | tail -1)
export PGPASSWORD=tabulant PGHOST=127.0.0.1 PGPORT=$port PGUSER=tabulant
server=(--server 127.0.0.1 --port "$port" --user tabulant)

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
fresh() {
    psql -q -d tabulant -c "DROP DATABASE IF EXISTS bench_verify WITH (FORCE)" \
        -c "CREATE DATABASE bench_verify" >/dev/null
}

routes=(direct psql)
if "$convert" --help | grep -q -- '--copy'; then routes+=(copy); fi
declare -A load verify
for ((round = 1; round <= rounds; ++round)); do
    for route in "${routes[@]}"; do
        fresh
        start=$(now)
        case $route in
        direct) "$convert" "${server[@]}" --database bench_verify --quiet "$file" ;;
        copy) "$convert" "${server[@]}" --database bench_verify --quiet --copy "$file" ;;
        psql) "$convert" --quiet --sql - "$file" |
            psql -q -1 -v ON_ERROR_STOP=1 -d bench_verify >/dev/null ;;
        esac
        load[$route]+="$(elapsed "$start") "
        start=$(now)
        "$convert" "${server[@]}" --database bench_verify --quiet --verify-only "$file"
        verify[$route]+="$(elapsed "$start") "
    done
done

printf 'file: %s (%s bytes), %d rounds, medians in seconds\n' "$file" "$(stat -c %s "$file")" "$rounds"
for route in "${routes[@]}"; do
    l=$(tr ' ' '\n' <<<"${load[$route]}" | grep . | median)
    v=$(tr ' ' '\n' <<<"${verify[$route]}" | grep . | median)
    printf '%-7s load %8.2f  verify %8.2f  verify/load %.2f\n' "$route" "$l" "$v" "$(echo "$v / $l" | bc -l)"
done

# The server's part: the verifier's query per table against count(*), each over tables held in
# memory (every query runs once before it is timed).
mapfile -t tables < <(psql -At -d bench_verify -c "SELECT format('%I', tablename) FROM pg_tables WHERE schemaname = 'public'")
count_sql="" sums_sql=""
for t in "${tables[@]}"; do
    count_sql+="SELECT count(*) FROM $t; "
    mapfile -t columns < <(psql -At -d bench_verify -c "SELECT format('%I', attname) FROM pg_attribute WHERE attrelid = '$t'::regclass AND attnum > 0 AND NOT attisdropped ORDER BY attnum")
    hashes="" sums="" mixed="" k=0
    for c in "${columns[@]}"; do
        k=$((k + 1))
        hashes+="${hashes:+, }hashtextextended(($c)::text, $k) AS h$k"
        sums+=", count(h$k), sum(h$k)"
        mixed+="${mixed:+ # }coalesce(h$k, $k)"
    done
    sums_sql+="SELECT count(*)$sums, sum(hashint8extended($mixed, 0)) FROM (SELECT $hashes FROM $t) AS v; "
done
timed() {
    psql -q -d bench_verify -c "$1" >/dev/null
    local start
    start=$(now)
    psql -q -d bench_verify -c "$1" >/dev/null
    elapsed "$start"
}
count_time=$(timed "$count_sql")
sums_time=$(timed "$sums_sql")
printf 'server: count(*) %.3f s, checksums %.3f s\n' "$count_time" "$sums_time"
