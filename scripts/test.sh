#!/usr/bin/env bash
# Builds every configuration and runs every test: native (Linux), native with
# the sanitizers and a minute of fuzzing per target, Windows x64 (under this
# machine's Wine) and Windows x86 (under Wine's WoW64 in a Debian root of its
# own, scripts/wine/wow64.sh; where the kernel cannot run 32-bit programs,
# only the x86 build checks run, and one line says why); then the release
# zips, built, checked and their programs run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

status=0
for preset in linux linux-sanitize windows-x64 windows-x86; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  only=()
  if [ "$preset" = windows-x86 ] && ! why=$(scripts/wine/wow64.sh check); then
    echo "=== windows-x86: the 32-bit programs are not run, only checked: $why"
    only=(-L build_check)
  fi
  ctest --preset "$preset" "${only[@]}" || status=1
done
echo "=== release"
scripts/release.sh --allow-changes >/dev/null
/usr/bin/python3 tests/release/release_test.py build/release || status=1
exit $status
