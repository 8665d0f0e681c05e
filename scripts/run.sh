#!/usr/bin/env bash
# Analyses FILE and shows what Quorvane sees in it.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: scripts/run.sh FILE" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
file="$(realpath -- "$1")"

cd "$root"
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build build/linux --target quorvane-cli >/dev/null
exec build/linux/cli/quorvane-cli "$file"
