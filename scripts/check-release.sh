#!/usr/bin/env bash
# Checks that a release is the same bytes whoever builds it, where and when:
# builds one with scripts/release.sh (the commit's sources, a temporary
# folder) and compares it, file by file, with a second build of the same
# commit made in another folder at another time. The second is BUILD (the
# test command's build/i686, packed as a release) when the working tree has
# no uncommitted changes, as in CI; otherwise release.sh runs twice.
# Usage: check-release.sh [BUILD]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/i686}"
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
export SOURCE_DATE_EPOCH

work="$(mktemp -d "${TMPDIR:-/tmp}/orbelune-check-release.XXXXXX")"
trap 'rm -rf "$work"' EXIT
"$root/scripts/release.sh" "$work/first" >/dev/null
if [ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] && [ -f "$build/installer/Orbelune-setup.exe" ]; then
  second="this build ($build)"
  python3 "$root/scripts/package.py" "$build" "$work/second"
else
  second="a second release"
  "$root/scripts/release.sh" "$work/second" >/dev/null 2>&1
fi

if diff -r "$work/first" "$work/second" >/dev/null; then
  echo "check-release: a release of $(git -C "$root" rev-parse --short HEAD) and $second are the same bytes:"
  cat "$work/first/SHA256SUMS"
  exit 0
fi
echo "check-release: a release and $second differ:" >&2
diff -r "$work/first" "$work/second" >&2 || true
for file in "$work/first"/*.exe; do
  name="${file##*/}"
  [ -f "$work/second/$name" ] || continue
  cmp -l "$file" "$work/second/$name" | head -n 20 >&2 || true
done
exit 1
