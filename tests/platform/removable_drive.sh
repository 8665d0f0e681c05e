#!/bin/bash
# Runs the directory tests from a removable drive: a fresh prefix whose drive
# R: is a folder that Wine reports as a floppy drive.
#
#   removable_drive.sh UNIT_TESTS.exe WORK_FOLDER
set -euo pipefail
unit_tests=$(realpath -- "$1")
work=$(realpath -m -- "$2")
here=$(dirname -- "$(realpath -- "${BASH_SOURCE[0]}")")
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
unset DISPLAY
trap '"$wineserver" -k 2>/dev/null || true' EXIT

"$here/../wine/make_prefix.sh" "$WINEPREFIX"
drive="$work/drive"
mkdir -p "$drive"
cp -f "$unit_tests" "$drive/"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/r:"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v r: /d floppy /f >"$work/reg.log" 2>&1
# Drive types are read when the server starts.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

roaming=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*/AppData/Roaming' | head -n 1)
rm -rf "$roaming/Ormacle"

status=0
"$wine" "r:\\$(basename -- "$unit_tests")" --gtest_filter='Directories.*' >"$work/output.txt" 2>&1 || status=$?
cat "$work/output.txt"
if [ $status -ne 0 ]; then
  echo "FAIL: the directory tests failed on the removable drive"
  exit 1
fi
if ! grep -q 'OK \] Directories.RemovableDriveKeepsDataBesideTheProgram' "$work/output.txt"; then
  echo "FAIL: R: was not seen as a removable drive"
  exit 1
fi
if [ -e "$roaming/Ormacle" ]; then
  echo "FAIL: a data folder was created although the program runs from a removable drive"
  exit 1
fi
echo "removable drive: data folder kept beside the program, nothing created"
