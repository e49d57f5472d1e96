#!/usr/bin/env bash
# Builds the Debian package in a configured build folder and checks it with lintian.
#   scripts/check-package.sh [BUILD_DIR]      (default: build-ci of this checkout)
# Fails when lintian reports any error or warning, or when the package lacks a program or its
# manual page. Needs lintian (Debian package "lintian").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-ci}
[[ -f "$build/CPackConfig.cmake" ]] || { echo "check-package: $build is not a configured build folder" >&2; exit 2; }
command -v lintian >/dev/null || { echo "check-package: lintian is not installed (apt-get install lintian)" >&2; exit 2; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(find "$out" -maxdepth 1 -name '*.deb' | head -n 1)
[[ -n "$deb" ]] || { echo "check-package: cpack made no package" >&2; exit 1; }

failed=0
contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/tabulant ./usr/bin/tabulant-convert ./usr/lib/tabulant/tabulant \
    ./usr/share/man/man1/tabulant.1.gz ./usr/share/man/man1/tabulant-convert.1.gz \
    ./usr/share/doc/tabulant/copyright ./usr/share/doc/tabulant/changelog.gz; do
    if ! grep -q " $path\( \|$\)" <<<"$contents"; then
        echo "check-package: $(basename "$deb") lacks $path" >&2
        failed=1
    fi
done

# Errors and warnings fail the check.
if ! lintian --fail-on error,warning "$deb"; then
    echo "check-package: lintian found errors or warnings in $(basename "$deb")" >&2
    failed=1
fi
exit "$failed"
