#!/bin/bash
# Runs a Windows program under Wine in the build folder's private prefix,
# made on first use: 64-bit programs with this machine's Wine, 32-bit ones
# under WoW64 in the Debian root of wow64.sh, which alone decides whether
# they run natively or emulated. The cross-compiling emulator:
# ctest, test discovery and scripts all run Windows programs the same way.
#
#   run.sh PROGRAM.exe [ARGUMENTS...]
#
# The prefix is $WINEPREFIX when set, otherwise "wineprefix" in the build
# folder that holds PROGRAM.
set -euo pipefail
program=${1:?usage: run.sh PROGRAM.exe [ARGUMENTS...]}
if [[ -z "${WINEPREFIX:-}" ]]; then
  dir=$(dirname -- "$(realpath -m -- "$program")")
  while [[ "$dir" != / && ! -e "$dir/CMakeCache.txt" ]]; do dir=$(dirname -- "$dir"); done
  [[ "$dir" != / ]] || { echo "run.sh: $program is not inside a build folder; set WINEPREFIX" >&2; exit 2; }
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" LANG="${LANG:-C.UTF-8}"
here=$(dirname -- "$(realpath -- "${BASH_SOURCE[0]}")")

# The machine type in the program's PE header says which Wine runs it.
arch=x64
root=()
if [[ -f "$program" && "$(head -c2 -- "$program")" == MZ ]]; then
  header=$(od -An -tu4 -j60 -N4 -- "$program" | tr -d ' ')
  if [[ "$(od -An -tx2 -j$((header + 4)) -N2 -- "$program" 2>/dev/null | tr -d ' ')" == 014c ]]; then
    arch=x86
    root=("$here/wow64.sh" run)
  fi
fi
"$here/make_prefix.sh" "$WINEPREFIX" "$arch"

# Wine's server and background processes cost seconds to start, so they stay
# a while between programs. They must not inherit our output, which a caller
# (ctest, Python) reads to its end: the first caller starts them detached,
# under the lock, and the others wait for that.
exec 9>"$WINEPREFIX.lock"
flock 9
if "${root[@]}" /usr/lib/wine/wineserver -p15 </dev/null >/dev/null 2>&1; then
  "${root[@]}" /usr/lib/wine/wine64 cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi
flock -u 9
exec 9>&-
exec "${root[@]}" /usr/lib/wine/wine64 "$@"
