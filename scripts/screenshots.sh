#!/usr/bin/env bash
# Refreshes the README's screenshots: the window tests take them under Wine
# (the main window after analysing a text of the user's own, in UTF-8 and in
# UTF-16, and the About dialog).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 >/dev/null
/usr/bin/python3 tests/gui/gui_tests.py build/windows-x64 QuorvaneWindow.test_2_open_by_argument QuorvaneWindow.test_4_about
shots=build/windows-x64/screenshots
mkdir -p docs/preview
cp "$shots/main.png" "$shots/about.png" docs/
cp "$shots/main.png" docs/preview/utf-8.png
cp "$shots/utf-16.png" docs/preview/
