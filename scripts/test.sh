#!/usr/bin/env bash
# Builds every configuration and runs every test: native (Linux), native with
# the sanitizers and a minute of fuzzing per target, Windows x64 (tests under
# Wine) and Windows x86 (built and checked; 32-bit programs cannot run on this
# kind of machine); then the release zips, built and checked.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

status=0
for preset in linux linux-sanitize windows-x64 windows-x86; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
echo "=== release"
scripts/release.sh --allow-changes >/dev/null
/usr/bin/python3 tests/release/release_test.py build/release || status=1
exit $status
