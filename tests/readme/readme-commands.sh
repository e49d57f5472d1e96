#!/usr/bin/env bash
# Runs the commands of the README as a user types them, against a server set up the way run.sh
# sets up the local one (your login's role and database, loopback only), with tabulant-convert
# on the PATH as an installed one is. The server is a private cluster on a free port (PGPORT)
# under a home folder of its own, so ~/.local/share/tabulant/pg in the commands is that cluster.
#
# Every command the README shows (code blocks, and inline code that starts with a command) must
# be run here or be listed below with the reason it is not, so that the two cannot drift apart.
#
#   tests/readme/readme-commands.sh README BINDIR
set -euo pipefail

readme=$(realpath "$1")
bindir=$(realpath "$2")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

fail() { echo "readme-commands: $*" >&2; exit 1; }

# Commands run here, in this order; the state each one needs is made by the lines around it.
readonly RUN=(
    "scripts/pg-cluster.sh createdb ~/.local/share/tabulant/pg shop"
    "tabulant-convert --database shop shop.mdb"
    "tabulant-convert --verify-only --typed --database shop nwind.mdb"
    "psql -h localhost -c '\\dt'"
    "psql -h localhost -c 'select * from \"Customers\"'"
    "psql -h localhost -d shop"
    "tabulant-convert shop.mdb --sql - | psql -1 -v ON_ERROR_STOP=1 -h localhost -d shop"
    "tabulant-convert shop.mdb --copy --sql - | psql -1 -v ON_ERROR_STOP=1 -h localhost -d shop"
    "tabulant-convert --database sales --schema-per-file sales2019.mdb sales2020.mdb"
    "psql -h localhost -d sales -c 'select count(*) from sales2020.\"Orders\"'"
    "odbcinst -q -d"
    "man -l docs/man/tabulant-convert.1"
    "psql -h localhost -c \"alter role \\\"\$USER\\\" password '...'\""
    "rm -r ~/.config/Quorvane"
    "scripts/pg-cluster.sh stop ~/.local/share/tabulant/pg"
    "scripts/pg-cluster.sh destroy ~/.local/share/tabulant/pg"
)
# Commands not run here, and why.
readonly SKIP=(
    "scripts/run.sh"                                               # opens the window
    "cmake --preset default && cmake --build --preset default"    # builds: CI builds
    "cmake --install build --prefix /usr"                          # installs system-wide
    "(cd build && cpack)"                                          # scripts/check-package.sh
    "cmake --build --preset default --target tabulant-convert"     # builds: CI builds
    "man tabulant"                                                 # needs the package
    "man tabulant-convert"                                         # needs the package
    "sudo apt remove tabulant"                                     # needs the package
    "xargs -d '\\n' sudo rm -f < build/install_manifest.txt"       # needs an installation
    "scripts/pg-cluster.sh stop /var/lib/tabulant/pg"              # root's folder, as above
    "xdg-mime query default x-scheme-handler/mailto"               # needs a desktop
    "ls -l FILE"                                                   # FILE is the user's
    "psql -v ON_ERROR_STOP=1 -f FILE"                              # FILE is the user's rejects
    "cmake --install"                                              # named, not a command
    "scripts/pg-cluster.sh"                                        # named, not a command
    "tabulant-convert --codepage"                                  # named, not a command
)

# The README's commands, one a line: indented code lines (a "$ " prompt and trailing comments
# removed, output lines left out) and inline code spans that begin with a command.
commands=$(perl -0777 -ne '
    my $starts = qr{^(?:\(cd |psql |tabulant-convert |scripts/|cmake |man |odbcinst |xdg-mime |sudo |rm |xargs |ls )};
    for my $line (split /\n/) {
        next unless $line =~ s/^(?:  )?    (?=\S)//; # in a list item too
        $line =~ s/^\$ //;
        $line =~ s/\s+#.*$//;
        print "$line\n" if $line =~ $starts;
    }
    while (/`([^`]+)`/g) {
        (my $code = $1) =~ s/\s+/ /g;
        print "$code\n" if $code =~ $starts;
    }' "$readme" | sort -u)

known=$(printf '%s\n' "${RUN[@]}" "${SKIP[@]}" | sort -u)
unchecked=$(comm -23 <(printf '%s\n' "$commands") <(printf '%s\n' "$known"))
[[ -z "$unchecked" ]] || fail "README commands neither run nor skipped here:"$'\n'"$unchecked"
gone=$(comm -13 <(printf '%s\n' "$commands") <(printf '%s\n' "$known"))
[[ -z "$gone" ]] || fail "commands listed here that the README no longer shows:"$'\n'"$gone"

# A home of its own; the server's owner (postgres, under root) must reach the cluster in it.
work=$(mktemp -d /tmp/tabulant-readme.XXXXXX)
trap 'HOME="$work/home" "$source_dir/scripts/pg-cluster.sh" destroy "$work/home/.local/share/tabulant/pg"; rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir -p "$work/home/.local/share/tabulant" "$work/run"
chmod -R 755 "$work/home"
export HOME=$work/home
unset XDG_DATA_HOME XDG_CONFIG_HOME PGHOST PGUSER PGDATABASE PGPASSWORD TABULANT_ACCESS_PASSWORD
export USER=${USER:-$(id -un)}
export PATH=$bindir:$PATH
export MANPAGER=cat PAGER=cat
pgdir=$HOME/.local/share/tabulant/pg
PGPORT=$("$source_dir/scripts/pg-cluster.sh" start "$pgdir")
export PGPORT
"$source_dir/scripts/pg-cluster.sh" login "$pgdir"

# The commands name files as a user in the checkout does: scripts/, docs/ and the user's shop.mdb.
cd "$work/run"
ln -s "$source_dir/scripts" scripts
ln -s "$source_dir/docs" docs
cp "$bindir/Samples/sample.mdb" shop.mdb
cp "$bindir/Samples/sample.mdb" nwind.mdb

run() {
    local command=$1
    echo "\$ $command"
    bash -o pipefail -c "$command" </dev/null >"$work/out" 2>&1 || {
        cat "$work/out" >&2
        fail "failed as written: $command"
    }
}
superuser() {
    "$(cat "$pgdir/bindir")/psql" -X -q -v ON_ERROR_STOP=1 -h "$(cat "$pgdir/socketdir")" \
        -U tabulant -d postgres -c "$1" >/dev/null
}

for command in "${RUN[@]}"; do
    case "$command" in
        "tabulant-convert --verify-only "*)
            # What it verifies: a typed conversion of that file.
            run "tabulant-convert --typed --overwrite yes --database shop nwind.mdb" ;;
        "psql -h localhost -c '\\dt'")
            # The window's first conversion into your own database, as the README walks it.
            run "tabulant-convert shop.mdb" ;;
        "tabulant-convert shop.mdb --sql - |"* | "tabulant-convert shop.mdb --copy --sql - |"*)
            # Into an empty database: the load stops at a table that exists.
            superuser "drop database shop with (force)"
            superuser "create database shop owner \"$USER\"" ;;
        "tabulant-convert --database sales --schema-per-file "*)
            # Two years of the same shop, into a database of their own.
            "$source_dir/scripts/pg-cluster.sh" createdb "$pgdir" sales >/dev/null
            cp shop.mdb sales2019.mdb
            cp shop.mdb sales2020.mdb ;;
        "man -l "*)
            command -v man >/dev/null || { echo "(no man here: $command not run)"; continue; } ;;
        "rm -r ~/.config/Quorvane")
            mkdir -p "$HOME/.config/Quorvane" ;;
    esac
    run "$command"
    case "$command" in
        "odbcinst -q -d") grep -qx '\[PostgreSQL Unicode\]' "$work/out" || fail "no PostgreSQL Unicode driver" ;;
        "psql -h localhost -c 'select * from \"Customers\"'") grep -q "Alfreds Futterkiste" "$work/out" || fail "no customers" ;;
        "psql -h localhost -d sales -c "*) grep -qx ' *[1-9][0-9]*' "$work/out" || fail "no orders in sales2020" ;;
    esac
done
echo "readme-commands: every README command ran as written"
