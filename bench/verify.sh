#!/usr/bin/env bash
# The cost of proving a load against the load itself, on one Access file and a throwaway server:
#   bench/verify.sh FILE [ROUNDS] [ROUTES]
# ROUTES (default "copy") are the loads to set beside each other, any of copy (--copy), direct
# (one INSERT a row) and psql (the statement file through psql in one transaction). For each
# route every round, in an order that turns from round to round, times on an empty database:
#   load         the load alone
#   load+verify  the load with --verify in the same run (our side summed as the rows are sent),
#                whose cost over the load is the verification's
#   verify-only  --verify-only over what arrived (the file read again beside the server's sums)
# then the medians and the ratios to the load. Last, the server's part over the loaded tables
# held in memory: a plain count(*), one hash per value, and the verifier's own checksum query.
# The build folder is $TABULANT_BUILD_DIR, or build/ of the default preset (an optimised build).
# The server runs without durability (fsync off), as every throwaway cluster of the project.
# The machine's load average is printed at the start and the end: read figures beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
file=${1:?usage: bench/verify.sh FILE [ROUNDS] [ROUTES]}
rounds=${2:-5}
read -r -a routes <<<"${3:-copy}"
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
server=(--server 127.0.0.1 --port "$port" --user tabulant --database bench_verify --quiet)

now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
fresh() {
    psql -q -d tabulant -c "DROP DATABASE IF EXISTS bench_verify WITH (FORCE)" \
        -c "CREATE DATABASE bench_verify" >/dev/null
}
# load ROUTE [ARGS...]: loads FILE into a fresh database by ROUTE.
load() {
    local route=$1
    shift
    fresh
    case $route in
    copy) "$convert" "${server[@]}" --copy "$@" "$file" ;;
    direct) "$convert" "${server[@]}" "$@" "$file" ;;
    psql) "$convert" --quiet --sql - "$file" |
        psql -q -1 -v ON_ERROR_STOP=1 -d bench_verify >/dev/null ;;
    esac
}
# timed NAME COMMAND...: appends the wall-clock seconds of COMMAND to times[NAME].
declare -A times
timed() {
    local name=$1 start
    shift
    start=$(now)
    "$@"
    times[$name]+="$(echo "$(now) - $start" | bc) "
}
med() { tr ' ' '\n' <<<"${times[$1]}" | grep . | median; }

printf 'file: %s (%s bytes), %d rounds, load average %s\n' "$file" "$(stat -c %s "$file")" \
    "$rounds" "$(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; ++round)); do
    for route in "${routes[@]}"; do
        steps=(alone with verify)
        # Each round starts one step further on, so that no step always follows the same one.
        for ((i = 0; i < 3; ++i)); do
            case ${steps[(i + round) % 3]} in
            alone) timed "$route load" load "$route" ;;
            with)
                if [[ $route == psql ]]; then continue; fi
                timed "$route load+verify" load "$route" --verify
                ;;
            verify)
                load "$route"
                timed "$route verify-only" "$convert" "${server[@]}" --verify-only "$file"
                ;;
            esac
        done
    done
done

echo "medians in seconds"
for route in "${routes[@]}"; do
    l=$(med "$route load")
    v=$(med "$route verify-only")
    if [[ $route == psql ]]; then
        printf '%-7s load %7.3f  verify-only %7.3f  verify-only/load %.2f\n' \
            "$route" "$l" "$v" "$(echo "$v / $l" | bc -l)"
        continue
    fi
    lv=$(med "$route load+verify")
    printf '%-7s load %7.3f  load+verify %7.3f  verify-only %7.3f  ' "$route" "$l" "$lv" "$v"
    printf 'verify/load %.2f  verify-only/load %.2f\n' "$(echo "($lv - $l) / $l" | bc -l)" \
        "$(echo "$v / $l" | bc -l)"
done

# The server's part over tables held in memory (every query runs once before it is timed): a
# plain count(*), the sum of one hash per value, and the verifier's query (ServerQuery.cpp).
mapfile -t tables < <(psql -At -d bench_verify -c "SELECT format('%I', tablename) FROM pg_tables WHERE schemaname = 'public'")
count_sql="" hash_sql="" sums_sql=""
for t in "${tables[@]}"; do
    count_sql+="SELECT count(*) FROM $t; "
    mapfile -t columns < <(psql -At -d bench_verify -c "SELECT format('%I', attname) || CASE WHEN atttypid IN ('real'::regtype, 'double precision'::regtype) THEN ' + 0::' || atttypid::regtype ELSE '' END FROM pg_attribute WHERE attrelid = '$t'::regclass AND attnum > 0 AND NOT attisdropped ORDER BY attnum")
    hashes="" sums="" plain="" mixed="" k=0
    for c in "${columns[@]}"; do
        k=$((k + 1))
        hashes+="${hashes:+, }hashtextextended(($c)::text, $k) AS h$k"
        plain+=", sum(hashtextextended(($c)::text, $k))"
        sums+=", count(h$k)::text, coalesce(sum(h$k), 0)::text"
        mixed+="${mixed:+ # }coalesce(h$k, $k)"
    done
    hash_sql+="SELECT count(*)$plain FROM $t; "
    sums_sql+="SELECT count(*)::text$sums, coalesce(sum(hashint8extended($mixed, 0)), 0)::text FROM (SELECT $hashes FROM $t OFFSET 0) AS v; "
done
settings="SET extra_float_digits = 1; SET max_parallel_workers_per_gather = 4; SET parallel_setup_cost = 0; SET parallel_tuple_cost = 0;"
query_time() {
    psql -q -d bench_verify -c "$settings $1" >/dev/null
    local start
    start=$(now)
    psql -q -d bench_verify -c "$settings $1" >/dev/null
    echo "$(now) - $start" | bc
}
for ((round = 1; round <= rounds; ++round)); do
    times[count]+="$(query_time "$count_sql") "
    times[hash]+="$(query_time "$hash_sql") "
    times[sums]+="$(query_time "$sums_sql") "
done
printf 'server: count(*) %.3f s, one hash per value %.3f s, checksums %.3f s (%.1f x count, %.2f x one hash)\n' \
    "$(med count)" "$(med hash)" "$(med sums)" "$(echo "$(med sums) / $(med count)" | bc -l)" \
    "$(echo "$(med sums) / $(med hash)" | bc -l)"
echo "load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
