#!/usr/bin/env bash
# Starts the built program on a virtual X display and saves pictures of its main window as
# docs/main-window.png and of the SQL preview of the sample database as docs/preview-window.png.
# Needs xvfb (xvfb-run), xwininfo (x11-utils), ImageMagick's `import` and xdotool; no window
# manager. The preview only opens once the connection check passes, so a throwaway PostgreSQL
# cluster is started for it with scripts/pg-cluster.sh and deleted afterwards.
# Usage: docs/make-screenshot.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$(realpath "$build/bin/tabulant")
sample=$(realpath "$build/bin/Samples/sample.mdb")
[[ -x $program && -f $sample ]] || { echo "no program at $program: build it first" >&2; exit 1; }
for tool in xvfb-run import xwininfo xdotool; do
    command -v "$tool" >/dev/null || {
        echo "needs xvfb-run (xvfb), xwininfo (x11-utils), import (imagemagick) and xdotool" >&2
        exit 1
    }
done

work=$(mktemp -d)
# Under root the server runs as "postgres", which must reach its folder inside this one.
[[ $(id -u) -ne 0 ]] || chmod 755 "$work"
trap 'scripts/pg-cluster.sh destroy "$work/pg" || true; rm -rf "$work"' EXIT

# Runs inside the virtual display: starts the program with the settings folder $2, saves the
# window $1 names (main or preview) as $3.
cat >"$work/shoot.sh" <<'SHOOT'
set -euo pipefail
# The mapped window of that title, not the 1x1 group leader that carries the same name.
window() {
    local id
    for _ in $(seq 100); do
        sleep 0.2
        id=$(xwininfo -root -tree 2>/dev/null |
             awk -v title="\"$1\"" 'index($0, title) { split($(NF-1), g, "x"); if (g[1] > 100) { print $1; exit } }')
        [[ -z $id ]] || { echo "$id"; return; }
    done
    echo "make-screenshot: no window \"$1\" appeared" >&2
    return 1
}
XDG_CONFIG_HOME=$2 "$program" &
pid=$!
id=$(window Tabulant)
sleep 1
if [[ $1 == preview ]]; then
    # "Start Converting", the row above the progress bar at the foot of the main window.
    read -r width height < <(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { print w, $2 }')
    xdotool mousemove --window "$id" $((width / 2)) $((height - 55)) click 1
    id=$(window "SQL Preview - Tabulant")
    sleep 1
fi
import -window "$id" "$3"
kill "$pid"
SHOOT

export program
# A settings file of its own first, so the main window shows the first-start defaults.
xvfb-run -a -s "-screen 0 800x640x24" bash "$work/shoot.sh" main "$work/first" docs/main-window.png
echo "wrote docs/main-window.png"

# Then settings that reach the throwaway server with the sample chosen.
port=$(scripts/pg-cluster.sh start "$work/pg")
mkdir -p "$work/second/Quorvane"
cat >"$work/second/Quorvane/Tabulant.ini" <<INI
[Tabulant]
PostgreSQLPort=$port
PostgreSQLUser=tabulant
PostgreSQLPassword=tabulant
PostgreSQLDatabase=tabulant
AccessMDBFile=$sample
INI
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/shoot.sh" preview "$work/second" \
    docs/preview-window.png
echo "wrote docs/preview-window.png"
