#!/usr/bin/env bash
# Builds bench-run and runs it: bench/run.sh [--rows N] [--direct-rows N] ... (see --help).
# The build folder is $TABULANT_BUILD_DIR, or build/ of the default preset (an optimised build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULANT_BUILD_DIR:-$root/build}
if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
    (cd "$root" && cmake --preset default -B "$build" >/dev/null)
fi
cmake --build "$build" --target bench-run -j2 >/dev/null
exec "$build/bin/bench-run" "$@"
