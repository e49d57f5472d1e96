#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for tests and benchmarks.
#
#   scripts/pg-cluster.sh start DIR [PORT]   create (first time) and start the cluster in DIR
#   scripts/pg-cluster.sh stop DIR           stop it; does nothing when it is not running
#   scripts/pg-cluster.sh destroy DIR        stop it and delete DIR
#   scripts/pg-cluster.sh status DIR         exit 0 when it accepts connections
#   scripts/pg-cluster.sh login DIR          let your login in: see below
#   scripts/pg-cluster.sh createdb DIR NAME  a further database NAME for your login
#
# The server listens on 127.0.0.1 only, on PORT or on a free port it picks, and keeps its unix
# socket in DIR. It has the superuser "tabulant" with the password "tabulant" and a database
# "tabulant"; TCP connections must give the password (scram-sha-256), the socket is trusted.
# After start, DIR/port holds the port and DIR/bindir the server's program folder; the port is
# also printed. Starting a stopped cluster again reuses its data and its port unless PORT is given.
# PostgreSQL refuses to run as root, so under root the server runs as the user "postgres".
#
# login (what scripts/run.sh does for the program's defaults): makes the role named after your
# login name (no right beyond logging in) and the database of that name it owns, and writes
# pg_hba.conf once so that over TCP exactly that role gets into that database, from the loopback
# address only, without a password; the socket stays trusted. createdb: a database NAME owned by
# that role, and a pg_hba.conf line that lets the role into it as into its own (same method);
# prints the name to type as the database.
set -euo pipefail

readonly SUPERUSER=tabulant
readonly PASSWORD=tabulant
readonly DATABASE=tabulant

die() { echo "pg-cluster: $*" >&2; exit 1; }

usage() {
    echo "usage: $0 start DIR [PORT] | stop DIR | destroy DIR | status DIR | login DIR | createdb DIR NAME" >&2
    exit 2
}

find_bindir() {
    if [[ -n "${TABULANT_PG_BINDIR:-}" ]]; then
        echo "$TABULANT_PG_BINDIR"
        return
    fi
    local dir
    dir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
    [[ -n "$dir" && -x "$dir/initdb" ]] || die "no PostgreSQL server found under /usr/lib/postgresql (install postgresql)"
    echo "$dir"
}

# Runs a server program as the cluster's owner.
as_owner() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

port_in_use() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

pick_port() {
    local p
    for _ in $(seq 1 200); do
        p=$((20000 + RANDOM % 40000))
        port_in_use "$p" || { echo "$p"; return; }
    done
    die "no free port found"
}

# A unix socket path is limited to about 107 bytes; a deep build tree gets its socket in /tmp.
socket_dir() {
    local dir=$1
    if [[ -f "$dir/socketdir" ]]; then
        cat "$dir/socketdir"
        return
    fi
    local sock=$dir
    if (( ${#dir} > 80 )); then
        sock=$(mktemp -d /tmp/tabulant-pgsock.XXXXXX)
        [[ $(id -u) -eq 0 ]] && chown postgres: "$sock"
    fi
    echo "$sock" > "$dir/socketdir"
    echo "$sock"
}

is_running() {
    local dir=$1 bindir
    [[ -f "$dir/data/postmaster.pid" ]] || return 1
    bindir=$(find_bindir)
    as_owner "$bindir/pg_ctl" status -D "$dir/data" >/dev/null 2>&1
}

init_cluster() {
    local dir=$1 bindir=$2
    local pwfile="$dir/.pwfile"
    echo "$PASSWORD" > "$pwfile"
    [[ $(id -u) -eq 0 ]] && chown postgres: "$pwfile"
    as_owner "$bindir/initdb" -D "$dir/data" -U "$SUPERUSER" --pwfile="$pwfile" \
        --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 \
        --no-sync --no-instructions >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; die "initdb failed"; }
    rm -f "$pwfile"
    # Durability is worthless for a throwaway cluster and costs the tests their time.
    cat >>"$dir/data/postgresql.conf" <<'EOF'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 50
EOF
}

start() {
    local dir=$1 port=${2:-}
    local bindir
    bindir=$(find_bindir)
    mkdir -p "$dir"
    # The cluster's superuser is reached through the socket in this folder without a password:
    # nobody but its owner may enter it.
    chmod 700 "$dir"
    dir=$(cd "$dir" && pwd)
    if [[ $(id -u) -eq 0 ]]; then
        chown postgres: "$dir"
        runuser -u postgres -- test -w "$dir" ||
            die "the user postgres cannot reach $dir (a parent folder is not searchable)"
    fi
    echo "$bindir" > "$dir/bindir"

    if is_running "$dir"; then
        [[ -z "$port" || "$port" == "$(cat "$dir/port")" ]] ||
            die "already running on port $(cat "$dir/port")"
        cat "$dir/port"
        return
    fi
    [[ -f "$dir/data/PG_VERSION" ]] || init_cluster "$dir" "$bindir"

    local sock fixed=1
    sock=$(socket_dir "$dir")
    if [[ -z "$port" ]]; then
        [[ -f "$dir/port" ]] && port=$(cat "$dir/port") && port_in_use "$port" && port=""
        [[ -n "$port" ]] || { port=$(pick_port); fixed=0; }
    fi

    # Another process may take the picked port between the check and the start: try again.
    local attempt
    for attempt in 1 2 3 4 5; do
        if as_owner "$bindir/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 60 \
            -o "-p $port -k $sock -c unix_socket_permissions=0700 -c listen_addresses=127.0.0.1" >/dev/null 2>&1; then
            break
        fi
        if (( fixed )) || (( attempt == 5 )); then
            tail -n 20 "$dir/server.log" >&2 || true
            die "the server did not start on port $port"
        fi
        port=$(pick_port)
    done
    echo "$port" > "$dir/port"

    local i
    for i in $(seq 1 100); do
        "$bindir/pg_isready" -q -h 127.0.0.1 -p "$port" && break
        (( i == 100 )) && die "the server on port $port does not answer"
        sleep 0.1
    done
    if ! "$bindir/psql" -X -q -h "$sock" -p "$port" -U "$SUPERUSER" -d postgres -tAc \
        "select 1 from pg_database where datname = '$DATABASE'" | grep -q 1; then
        "$bindir/createdb" -h "$sock" -p "$port" -U "$SUPERUSER" "$DATABASE"
    fi
    echo "$port"
}

stop() {
    local dir=$1
    [[ -d "$dir/data" ]] || return 0
    if is_running "$dir"; then
        as_owner "$(find_bindir)/pg_ctl" stop -D "$dir/data" -m fast -w -t 60 >/dev/null
    fi
}

destroy() {
    local dir=$1
    [[ -e "$dir" ]] || return 0
    stop "$dir"
    if [[ -f "$dir/socketdir" ]]; then
        local sock
        sock=$(cat "$dir/socketdir")
        [[ "$sock" == /tmp/tabulant-pgsock.* ]] && rm -rf "$sock"
    fi
    rm -rf "$dir"
}

status() {
    local dir=$1
    [[ -f "$dir/port" ]] || return 1
    "$(find_bindir)/pg_isready" -q -h 127.0.0.1 -p "$(cat "$dir/port")"
}

# psql as the cluster's superuser, through the socket in the cluster's folder.
superuser_psql() {
    local dir=$1
    shift
    [[ -f "$dir/port" && -f "$dir/socketdir" ]] || die "no cluster in $dir (start it first)"
    status "$dir" || die "the cluster in $dir is not running (start it first)"
    "$(find_bindir)/psql" -X -q -v ON_ERROR_STOP=1 -h "$(cat "$dir/socketdir")" \
        -p "$(cat "$dir/port")" -U "$SUPERUSER" -d postgres "$@"
}

exists() {
    local dir=$1 catalog=$2 column=$3 name=$4
    # psql puts variables into what it reads, not into -c.
    superuser_psql "$dir" -tA -v name="$name" <<<"select 1 from $catalog where $column = :'name'" |
        grep -q 1
}

login() {
    local dir=$1 me
    me=$(id -un)
    exists "$dir" pg_roles rolname "$me" ||
        superuser_psql "$dir" -v name="$me" <<<'create role :"name" login'
    exists "$dir" pg_database datname "$me" ||
        superuser_psql "$dir" -v name="$me" <<<'create database :"name" owner :"name"'
    # Written once; later changes of yours (a password instead of trust) are kept.
    local hba=$dir/data/pg_hba.conf
    if ! as_owner head -n 1 "$hba" | grep -q '^# Written by scripts/'; then
        as_owner tee "$hba" >/dev/null <<HBA
# Written by scripts/pg-cluster.sh login; edit freely, it is not written again.
local   all      all                   trust
host    "$me"    "$me"   127.0.0.1/32  trust
host    "$me"    "$me"   ::1/128       trust
HBA
        superuser_psql "$dir" -tAc "select pg_reload_conf()" >/dev/null
    fi
}

make_database() {
    local dir=$1 name=$2 me
    me=$(id -un)
    [[ "$name" =~ ^[A-Za-z0-9_][A-Za-z0-9_.-]*$ ]] ||
        die "a database name of letters, digits, '_', '.' and '-' please: $name"
    login "$dir"
    exists "$dir" pg_database datname "$name" ||
        superuser_psql "$dir" -v name="$name" -v owner="$me" <<<'create database :"name" owner :"owner"'
    superuser_psql "$dir" -tA -v name="$name" -v owner="$me" <<<"select 1 from pg_database d
        join pg_roles r on r.oid = d.datdba where d.datname = :'name' and r.rolname = :'owner'" |
        grep -q 1 || die "database $name exists and belongs to another role"
    # Your login reaches the new database the way it reaches its own.
    local hba=$dir/data/pg_hba.conf method address
    if ! as_owner grep -Eq "^host[[:space:]]+\"$name\"[[:space:]]+\"$me\"[[:space:]]" "$hba"; then
        for address in 127.0.0.1/32 ::1/128; do
            # shellcheck disable=SC2016
            method=$(as_owner awk -v db="\"$me\"" -v at="$address" \
                '$1 == "host" && $2 == db && $3 == db && $4 == at { print $5; exit }' "$hba")
            printf 'host    "%s"    "%s"   %s  %s\n' "$name" "$me" "$address" "${method:-trust}" |
                as_owner tee -a "$hba" >/dev/null
        done
        superuser_psql "$dir" -tAc "select pg_reload_conf()" >/dev/null
    fi
    echo "Database $name is ready for $me: type $name as the program's Database, or run psql -h localhost -d $name"
}

(( $# >= 2 )) || usage
command=$1
dir=$2
case "$command" in
    start) (( $# <= 3 )) || usage; start "$dir" "${3:-}" ;;
    stop) stop "$dir" ;;
    destroy) destroy "$dir" ;;
    status) status "$dir" ;;
    login) (( $# == 2 )) || usage; login "$dir" ;;
    createdb) (( $# == 3 )) || usage; make_database "$dir" "$3" ;;
    *) usage ;;
esac
