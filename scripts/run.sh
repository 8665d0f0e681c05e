#!/usr/bin/env bash
# Runs Quorvane on FILE: the real program under Wine, on your display when
# DISPLAY is set; otherwise on a private X server, printing what the window
# shows and saving a screenshot of it.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: scripts/run.sh FILE" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
file="$(realpath -m -- "$1")"
cd "$root"
scripts/setup.sh
cmake --preset windows-x64 >/dev/null
cmake --build build/windows-x64 --target Quorvane quorvane_gui_probe >/dev/null
exec /usr/bin/python3 scripts/show_window.py build/windows-x64 "$file"
