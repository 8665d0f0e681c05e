#!/usr/bin/env bash
# Builds the release from the commit checked out into build/release/: a
# portable zip per architecture (Quorvane-VERSION-x86.zip, -x64.zip), each
# with both programs, the user's guide and the licence, and SHA256SUMS beside
# them. Everything is built afresh, and every time in the archives is the
# commit's (SOURCE_DATE_EPOCH), so the same commit gives the same bytes.
#
#   scripts/release.sh [--allow-changes]   (the tests build from a work tree)
set -euo pipefail
cd "$(dirname "$0")/.."
# The time every entry carries: SOURCE_DATE_EPOCH when set, else the
# commit's. Outside a git checkout (a source archive) there is no commit to
# take it from, nor to check the tree against.
checkout=false
[ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ] && checkout=true
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! $checkout; then
    echo "release: not a git checkout; set SOURCE_DATE_EPOCH to the time the release should carry (seconds since 1970)" >&2
    exit 1
  fi
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
if [ "${1:-}" != "--allow-changes" ] && $checkout && [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the work tree has changes; a release is built from a commit" >&2
  exit 1
fi
scripts/setup.sh
out=build/release
rm -f "$out"/*.zip "$out/SHA256SUMS"
for arch in x86 x64; do
  rm -rf "$out/$arch"
  cmake --preset "release-$arch" >/dev/null
  cmake --build "$out/$arch"
  cmake --install "$out/$arch" --prefix "$out/$arch/stage" >/dev/null
  # The version the build spells out from the project's one number.
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/$arch/CMakeCache.txt")"
  python3 scripts/package_zip.py "$out/$arch/stage" "$out/Quorvane-$version-$arch.zip"
done
(cd "$out" && sha256sum Quorvane-*.zip >SHA256SUMS && cat SHA256SUMS)
