#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test, when any is missing.
#   scripts/install-deps.sh [PACKAGE...]     also installs the packages named
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    mdbtools mdbtools-dev
    unixodbc unixodbc-dev odbc-postgresql
    postgresql postgresql-client libpq-dev
    libssl-dev zlib1g-dev
    libsecret-1-dev gnome-keyring dbus-daemon dbus-bin
    fonts-liberation
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Installing ${missing[*]} needs root rights: run this as root or install sudo." >&2; exit 1; }
    as_root=(sudo)
fi
# No cluster before the install means any cluster afterwards is the package's own fresh one.
had_clusters=$(find /etc/postgresql -mindepth 2 -maxdepth 2 -type d 2>/dev/null | wc -l)

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"

# Debian's server package creates an empty cluster "main" on port 5432 and starts it where it
# can. It would stand on the port where scripts/run.sh puts the program's own local server, whose
# account the default settings reach, so a cluster this install brought is removed again.
if ((had_clusters == 0)) && command -v pg_dropcluster >/dev/null; then
    for conf in /etc/postgresql/*/main; do
        [[ -d "$conf" ]] || continue
        version=$(basename "$(dirname "$conf")")
        "${as_root[@]}" pg_dropcluster --stop "$version" main
    done
fi
