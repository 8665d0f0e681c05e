#!/usr/bin/env bash
# Builds every configuration and runs every test: native (Linux), native with
# the sanitizers and a minute of fuzzing per target, Windows x64 (tests under
# Wine) and Windows x86 (built and checked; 32-bit programs cannot run on this
# kind of machine).
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
exit $status
