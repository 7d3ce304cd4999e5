#!/usr/bin/env bash
# Builds the release of the current commit into OUT (default dist/):
# Orbelune-setup.exe, Orbelune-<version>-portable.zip and SHA256SUMS.
# The sources are the commit's own (git archive), built in a temporary
# folder with the 32-bit toolchain; uncommitted changes are not in it.
# Nothing of the time or the folder of the build reaches the files:
# SOURCE_DATE_EPOCH is the commit's time, so two releases of one commit are
# the same bytes wherever and whenever they are built (scripts/test.sh
# checks it).
# Usage: release.sh [OUT]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/dist}")"
"$root/scripts/setup.sh"

commit="$(git -C "$root" rev-parse HEAD)"
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct "$commit")"
export SOURCE_DATE_EPOCH
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "release: building commit ${commit:0:12}; the uncommitted changes are not in it" >&2
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/orbelune-release.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir "$work/source"
git -C "$root" archive --format=tar "$commit" | tar -x -C "$work/source"
cmake -S "$work/source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/toolchain-i686-mingw.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DORBELUNE_TESTS=OFF >/dev/null
cmake --build "$work/build" -j"$(nproc)" -- --no-print-directory >/dev/null

rm -rf "$out"
python3 "$work/source/scripts/package.py" "$work/build" "$out"
echo "release: ${commit:0:12} in $out:"
(cd "$out" && cat SHA256SUMS)
