#!/usr/bin/env bash
# Starts the built program on a virtual X display and saves a picture of its main window as
# docs/main-window.png. Needs xvfb (xvfb-run), xwininfo and ImageMagick's `import`; no window
# manager. Usage: docs/make-screenshot.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$build/bin/tabulant
[[ -x $program ]] || { echo "no program at $program: build it first" >&2; exit 1; }
for tool in xvfb-run import xwininfo; do
    command -v "$tool" >/dev/null ||
        { echo "needs xvfb-run (xvfb), xwininfo (x11-utils) and import (imagemagick)" >&2; exit 1; }
done

# A settings file of its own, so the picture shows the first-start defaults.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT

# The inner script is single-quoted on purpose: its variables belong to the inner shell.
# shellcheck disable=SC2016
XDG_CONFIG_HOME=$config xvfb-run -a -s "-screen 0 800x640x24" bash -c '
    "$0" &
    pid=$!
    for _ in $(seq 50); do
        sleep 0.2
        # The mapped main window, not the 1x1 group leader that carries the same name.
        id=$(xwininfo -root -tree 2>/dev/null |
             awk "/\"Tabulant\"/ { split(\$(NF-1), g, \"x\"); if (g[1] > 100) { print \$1; exit } }")
        [[ -n $id ]] && break
    done
    sleep 1
    import -window "$id" docs/main-window.png
    kill "$pid"
' "$program"
echo "wrote docs/main-window.png"
