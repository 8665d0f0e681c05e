#!/usr/bin/env bash
# Refreshes the README's screenshots: the window tests take them under Wine
# (the main window after analysing a sample file, and the About dialog).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 >/dev/null
/usr/bin/python3 tests/gui/gui_tests.py build/windows-x64 QuorvaneWindow.test_2_open_by_argument QuorvaneWindow.test_4_about
mkdir -p docs
cp build/windows-x64/screenshots/main.png build/windows-x64/screenshots/about.png docs/
