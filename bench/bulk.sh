#!/usr/bin/env bash
# The bulk load side by side on one throwaway cluster (durability off, as scripts/pg-cluster.sh
# sets it up), tables dropped before every load:
#   ours        tabulant-convert --copy, specified and typed
#   ours-psql   tabulant-convert --copy --sql - | psql -1 (all or nothing)
#   per-row     tabulant-convert, one INSERT a row (only with --per-row: it is slow)
#   csv-copy    mdb-export FILE TABLE | psql -c '\copy TABLE from stdin csv header'
#   server-copy COPY TABLE FROM 'file.csv' by the server itself (the CSV written beforehand)
#   refused-10  ours with 10 rows refused, spread through the table
#   refused-all ours with a row refused in every chunk
# The peers load into tables created with our own CREATE TABLE statements. Rounds alternate the
# order of the routes. Prints each route's seconds per round and our peak memory (VmHWM, kB).
#
#   bench/bulk.sh FILE.mdb [ROUNDS] [--per-row]
# TABULANT_BUILD_DIR is the build folder holding bin/tabulant-convert (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULANT_BUILD_DIR:-$root/build}
file=$(realpath "$1")
rounds=${2:-3}
per_row=${3:-}
convert="$build/bin/tabulant-convert"
[[ -x $convert ]] || { echo "bulk.sh: no $convert (build tabulant-convert first)" >&2; exit 2; }

work=$(mktemp -d /tmp/tabulant-bulk.XXXXXX)
chmod 755 "$work"
trap '"$root/scripts/pg-cluster.sh" destroy "$work/pg" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
port=$("$root/scripts/pg-cluster.sh" start "$work/pg" | tail -n 1)
bindir=$(cat "$work/pg/bindir")
export PGHOST=127.0.0.1 PGPORT=$port PGUSER=tabulant PGPASSWORD=tabulant PGDATABASE=tabulant
psql() { "$bindir/psql" -X -q -v ON_ERROR_STOP=1 "$@"; }

mapfile -t tables < <(mdb-tables -1 "$file")
"$convert" --sql - "$file" 2>/dev/null | grep '^CREATE TABLE' >"$work/create.sql"
for t in "${tables[@]}"; do
    mdb-export "$file" "$t" >"$work/$t.csv"
done
chmod 644 "$work"/*.csv

drop_all() {
    psql -c "drop schema public cascade; create schema public;" 2>/dev/null
}
# Seconds of the command given, as a decimal.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/last.err" || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
ours() { /usr/bin/time -f %M -o "$work/mem" "$convert" --quiet --overwrite yes --copy "$@" "$file"; }
ours_psql() { "$convert" --copy --sql - "$file" 2>/dev/null | psql -1; }
csv_copy() {
    psql -f "$work/create.sql"
    for t in "${tables[@]}"; do
        mdb-export "$file" "$t" | psql -c "\\copy \"$t\" from stdin csv header"
    done
}
server_copy() {
    psql -f "$work/create.sql"
    for t in "${tables[@]}"; do psql -c "copy \"$t\" from '$work/$t.csv' csv header"; done
}
# A CHECK that refuses rows with the given numbers of the first table's first column; set up by
# an event trigger, as the tables are created by the run itself.
refusing() {
    psql -c "create or replace function bench_refuse() returns event_trigger language plpgsql as \$\$
      declare r record; begin for r in select * from pg_event_trigger_ddl_commands()
      where command_tag = 'CREATE TABLE' loop
      if lower(r.object_identity) like lower('%${tables[0]}%') then
      execute format('alter table %s add constraint bench_refused check ((%s)::numeric %% $1 <> 7)',
        r.object_identity, (select quote_ident(attname) from pg_attribute where attrelid = r.objid and attnum = 1));
      end if; end loop; end \$\$;
      drop event trigger if exists bench_refuse;
      create event trigger bench_refuse on ddl_command_end execute function bench_refuse();"
}
no_refusing() { psql -c "drop event trigger if exists bench_refuse" 2>/dev/null; }

routes=(ours ours-typed ours-psql csv-copy server-copy refused-10 refused-all)
[[ $per_row == --per-row ]] && routes+=(per-row)
rows=$(mdb-count "$file" "${tables[0]}")
for ((r = 1; r <= rounds; r++)); do
    order=("${routes[@]}")
    ((r % 2 == 0)) && mapfile -t order < <(printf '%s\n' "${routes[@]}" | tac)
    for route in "${order[@]}"; do
        drop_all
        mem=""
        case $route in
        ours) s=$(seconds ours); mem=$(tail -n 1 "$work/mem") ;;
        ours-typed) s=$(seconds ours --typed); mem=$(tail -n 1 "$work/mem") ;;
        ours-psql) s=$(seconds ours_psql) ;;
        per-row) s=$(seconds "$convert" --quiet --overwrite yes "$file") ;;
        csv-copy) s=$(seconds csv_copy) ;;
        server-copy) s=$(seconds server_copy) ;;
        refused-10) refusing $((rows / 10)); s=$(seconds ours --rejects "$work/rejects-$r-10.sql"); mem=$(tail -n 1 "$work/mem"); no_refusing ;;
        refused-all) refusing 10000; s=$(seconds ours --rejects "$work/rejects-$r-all.sql"); mem=$(tail -n 1 "$work/mem"); no_refusing ;;
        esac
        loaded=$(psql -At -c "select count(*) from \"${tables[0]}\"")
        printf 'round %d %-12s %8.2f s  %s rows in %s%s\n' "$r" "$route" "$s" "$loaded" "${tables[0]}" "${mem:+  peak ${mem} kB}"
    done
done
