#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test, then builds and runs
# the tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

if [[ "${TABULANT_SKIP_ASAN:-0}" != 1 ]]; then
    cmake --preset asan
    cmake --build --preset asan -j "$jobs"
    ctest --preset asan -j "$jobs"
fi
