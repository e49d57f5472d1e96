#!/usr/bin/env bash
# Installs what is missing, builds the program, makes sure a PostgreSQL server answers on
# localhost:5432, and starts Tabulant.
#
# When nothing answers on localhost:5432, a private cluster is started there (created on first
# use, kept between runs in $TABULANT_PG_DIR, by default ~/.local/share/tabulant/pg, or
# /var/lib/tabulant/pg for root). It listens on the loopback address only and lets exactly one
# role in over TCP without a password: the role named after you, into the database of the same
# name. That is what the program's defaults (server localhost, port 5432, empty user name,
# password and database) reach, because an empty user name means your login name and an empty
# database the database named after the user. Every other login over TCP is refused.
set -euo pipefail
cd "$(dirname "$0")/.."

die() { echo "run.sh: $*" >&2; exit 1; }

[[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]] ||
    die "no graphical display (DISPLAY and WAYLAND_DISPLAY are not set): run this from a desktop session"

# The CJK font only shows Chinese, Japanese and Korean texts of a file in the preview; the tests
# do not need it, so it is installed here and not by install-deps.sh for everyone.
scripts/install-deps.sh fonts-noto-cjk
cmake --preset default >/dev/null
cmake --build --preset default --target tabulant -j "$(nproc)"

if [[ $(id -u) -eq 0 ]]; then
    pgdir=${TABULANT_PG_DIR:-/var/lib/tabulant/pg}
else
    pgdir=${TABULANT_PG_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/tabulant/pg}
fi

bindir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
[[ -x "$bindir/pg_isready" ]] || die "no PostgreSQL programs under /usr/lib/postgresql"

if "$bindir/pg_isready" -q -h localhost -p 5432; then
    if [[ -f "$pgdir/port" ]] && scripts/pg-cluster.sh status "$pgdir"; then
        echo "run.sh: using the local cluster in $pgdir"
    else
        echo "run.sh: a PostgreSQL server already answers on localhost:5432; enter its account in the program"
    fi
else
    echo "run.sh: starting the local cluster in $pgdir on localhost:5432"
    mkdir -p "$(dirname "$pgdir")"
    scripts/pg-cluster.sh start "$pgdir" 5432 >/dev/null
    # Your own role and database, and only they over loopback (see pg-cluster.sh login).
    scripts/pg-cluster.sh login "$pgdir"
fi

exec build/bin/tabulant
