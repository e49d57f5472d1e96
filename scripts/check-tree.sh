#!/usr/bin/env bash
# Checks the house rules that the compiler does not: every C++ file formatted as .clang-format
# says, every shell script clean under shellcheck, and #include lines that only point down the
# layers (platform, shell/core, db, engine, shell/widgets, ui, then app/cli/tools at the top; the
# Access dialect library stands alone);
# the typed conversion reads a file's shape only through the platform's schema record sets.
#   scripts/check-tree.sh [ROOT]      (default: the checkout this script lies in)
# Prints each offence and exits with 1 when there is any.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
failed=0

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}"; then
    echo "check-tree: files above differ from .clang-format (fix: clang-format -i FILE)" >&2
    failed=1
fi

mapfile -t scripts < <(git ls-files '*.sh' .ci/run)
if ! shellcheck "${scripts[@]}"; then
    echo "check-tree: shellcheck found the problems above" >&2
    failed=1
fi

# folder: the project folders its files must not include from
forbidden=(
    "platform:shell/ db/ engine/ ui/ app/ cli/"
    "dialect:platform/ shell/ db/ engine/ ui/ app/ cli/"
    "shell/core:shell/widgets/ db/ engine/ ui/ app/ cli/"
    "db:engine/ shell/widgets/ ui/ app/ cli/"
    "db/crypto:shell/ db/access/ db/odbc/"
    "db/access:shell/ db/odbc/"
    "db/odbc:shell/ db/access/ db/crypto/"
    "engine:shell/widgets/ ui/ app/ cli/"
    "engine/typed:db/"
    "shell/widgets:ui/ app/ cli/"
    "ui:app/ cli/"
    "tests:app/ cli/"
    "tools:app/ cli/"
    "bench:app/ cli/"
)
for rule in "${forbidden[@]}"; do
    folder=${rule%%:*}
    for target in ${rule#*:}; do
        if hits=$(git grep -n -E "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"$target" -- "$folder/"); then
            printf '%s\n' "$hits"
            echo "check-tree: $folder/ must not include from $target (the layers link downwards only)" >&2
            failed=1
        fi
    done
done

exit "$failed"
