#!/bin/bash
# Runs a 64-bit Windows program under Wine in the build tree's private
# prefix, creating the prefix on first use. Used as the cross-compiling
# emulator, so ctest, test discovery and scripts all run programs the same way.
#
#   run.sh PROGRAM.exe [ARGUMENTS...]
#
# The prefix is $WINEPREFIX when set (the test presets set it), otherwise
# "wineprefix" in the build folder that holds PROGRAM.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: run.sh PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi
here=$(dirname -- "$(realpath -- "${BASH_SOURCE[0]}")")

if [[ -z "${WINEPREFIX:-}" ]]; then
  dir=$(dirname -- "$(realpath -m -- "$1")")
  while [[ "$dir" != / && ! -e "$dir/CMakeCache.txt" ]]; do
    dir=$(dirname -- "$dir")
  done
  if [[ "$dir" == / ]]; then
    echo "run.sh: $1 is not inside a build folder; set WINEPREFIX" >&2
    exit 2
  fi
  WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG="${LANG:-C.UTF-8}"

wine=${QUORVANE_WINE:-/usr/lib/wine/wine64}
wineserver=${QUORVANE_WINESERVER:-/usr/lib/wine/wineserver64}
"$here/make_prefix.sh" "$WINEPREFIX"

# Starting Wine's server and its background processes costs seconds, so keep
# them for a while between programs. The background processes must not
# inherit our output: a caller reading it to the end (ctest, Python) would
# wait for them. So the first caller starts them detached, under the lock,
# and the others wait for that.
exec 9>"$WINEPREFIX.lock"
flock 9
if "$wineserver" -p15 </dev/null >/dev/null 2>&1; then
  "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi
flock -u 9
exec 9>&-

exec "$wine" "$@"
