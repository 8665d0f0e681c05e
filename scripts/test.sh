#!/usr/bin/env bash
# Builds every configuration and runs every test: native (Linux), native with
# the sanitizers and a minute of fuzzing per target, Windows x64 (under this
# machine's Wine) and Windows x86 (under Wine's WoW64 in a Debian root of its
# own, scripts/wine/wow64.sh: natively where the kernel runs 32-bit programs,
# emulated by qemu-i386 where it refuses them; one line says which, or why
# only the x86 build checks run); then the release zips, built, checked and
# their programs run. Where the kernel runs 32-bit programs, the x86 console
# program's tests run once more emulated, so that both routes stay tested.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

status=0
for preset in linux linux-sanitize windows-x64 windows-x86; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  only=()
  if [ "$preset" = windows-x86 ]; then
    if route=$(scripts/wine/wow64.sh check); then
      echo "=== windows-x86: $route"
    else
      echo "=== windows-x86: the 32-bit programs are not run, only checked: $route"
      only=(-L build_check)
    fi
  fi
  ctest --preset "$preset" "${only[@]}" || status=1
done
if [[ "$route" == *natively* ]]; then
  if other=$(QUORVANE_X86_ROUTE=emulated scripts/wine/wow64.sh check); then
    echo "=== windows-x86, the console program's tests again: $other"
    QUORVANE_X86_ROUTE=emulated ctest --preset windows-x86 -R '^(unit_tests|cli_e2e)$' || status=1
  else
    echo "=== windows-x86: not run emulated as well: $other"
  fi
fi
echo "=== release"
scripts/release.sh --allow-changes >/dev/null
/usr/bin/python3 tests/release/release_test.py build/release || status=1
exit $status
