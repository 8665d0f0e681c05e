#!/bin/bash
# Creates a private 64-bit Wine prefix for the Windows tests, once: later
# calls return at once while the stamp exists; concurrent first calls wait
# for the one that builds it. With x86, the prefix is made by the Wine of the
# WoW64 root (wow64.sh), which runs 32-bit programs in it as 64-bit Windows
# does; every program run in that prefix must then run there too.
#
#   make_prefix.sh PREFIX [x64|x86]
set -euo pipefail
prefix=$(realpath -m -- "${1:?usage: make_prefix.sh PREFIX [x64|x86]}")
arch=${2:-x64}
stamp="$prefix/.quorvane-prefix-ready"
[[ -e "$stamp" ]] && exit 0
mkdir -p -- "$prefix"
exec 9>"$prefix.lock"
flock 9
[[ -e "$stamp" ]] && exit 0
# Never rework somebody's own prefix (a WINEPREFIX left in the shell): only
# an empty folder or one this script started on is taken.
if [[ ! -e "$prefix/.quorvane-prefix" && -n "$(ls -A -- "$prefix")" ]]; then
  echo "make_prefix.sh: $prefix is a Wine prefix this script did not make; not touching it" >&2
  exit 1
fi
touch -- "$prefix/.quorvane-prefix"

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
# wineboot needs no display; without one it opens nothing on a developer's desktop.
unset DISPLAY WAYLAND_DISPLAY
here=$(dirname -- "$(realpath -- "${BASH_SOURCE[0]}")")
root=()
[[ "$arch" == x86 ]] && root=("$here/wow64.sh" run)
log="$prefix.log"
"${root[@]}" /usr/lib/wine/wine64 wineboot --init >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
# "MS Sans Serif" and friends, so dialog layouts measure as on Windows.
"${root[@]}" /bin/sh -c 'cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"' 2>/dev/null || true
# A crashing test must fail at once instead of waiting in winedbg.
debugger='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
"${root[@]}" /usr/lib/wine/wine64 reg add "$debugger" /v Auto /d 1 /f >>"$log" 2>&1
"${root[@]}" /usr/lib/wine/wine64 reg add "$debugger" /v Debugger /d "" /f >>"$log" 2>&1
"${root[@]}" /usr/lib/wine/wineserver -w
touch -- "$stamp"
