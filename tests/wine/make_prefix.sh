#!/bin/bash
# Creates a private 64-bit Wine prefix for the Windows tests, once: later
# calls return at once while the stamp file exists. Safe to run concurrently
# (ctest -j, test discovery): the first caller builds, the others wait.
#
#   make_prefix.sh PREFIX
set -euo pipefail

if [[ $# -ne 1 || -z "$1" ]]; then
  echo "usage: make_prefix.sh PREFIX" >&2
  exit 2
fi
prefix=$(realpath -m -- "$1")
stamp="$prefix/.quorvane-prefix-ready"
[[ -e "$stamp" ]] && exit 0

wine=${QUORVANE_WINE:-/usr/lib/wine/wine64}
wineserver=/usr/lib/wine/wineserver
for tool in "$wine" "$wineserver"; do
  if [[ ! -x "$tool" ]]; then
    echo "make_prefix.sh: $tool not found (Debian package wine64)" >&2
    exit 1
  fi
done

mkdir -p -- "$(dirname -- "$prefix")"
exec 9>"$prefix.lock"
flock 9
[[ -e "$stamp" ]] && exit 0

# Never rework somebody's own prefix (say a WINEPREFIX left in the shell):
# only an empty folder or one this script started on is taken.
owner="$prefix/.quorvane-prefix"
if [[ -d "$prefix" && ! -e "$owner" && -n "$(ls -A -- "$prefix")" ]]; then
  echo "make_prefix.sh: $prefix is a Wine prefix this script did not make; not touching it" >&2
  exit 1
fi
mkdir -p -- "$prefix"
touch -- "$owner"

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko download prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8
# wineboot needs no display; keeping it away from one also keeps it from
# popping up windows on a developer's desktop.
unset DISPLAY WAYLAND_DISPLAY

started=$(date +%s)
log="$prefix.log"
if ! "$wine" wineboot --init >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi

# "MS Sans Serif" and friends, so dialog layouts measure as on Windows.
cp -f /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true

settings="$prefix/quorvane-settings.reg"
cat >"$settings" <<'REG'
REGEDIT4

; A crashing test must fail at once instead of waiting in winedbg.
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"

; Windows open inside one virtual desktop of fixed size: window tests get
; the same screen whatever the X server is.
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
if ! "$wine" reg import "Z:${settings//\//\\}" >>"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
"$wineserver" -w

touch "$stamp"
echo "Wine prefix $prefix ready in $(($(date +%s) - started)) s" >&2
