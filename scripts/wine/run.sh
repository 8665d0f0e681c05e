#!/bin/bash
# Runs a 64-bit Windows program under Wine in the build folder's private
# prefix, made on first use. The cross-compiling emulator: ctest, test
# discovery and scripts all run Windows programs the same way.
#
#   run.sh PROGRAM.exe [ARGUMENTS...]
#
# The prefix is $WINEPREFIX when set, otherwise "wineprefix" in the build
# folder that holds PROGRAM.
set -euo pipefail
if [[ -z "${WINEPREFIX:-}" ]]; then
  dir=$(dirname -- "$(realpath -m -- "${1:?usage: run.sh PROGRAM.exe [ARGUMENTS...]}")")
  while [[ "$dir" != / && ! -e "$dir/CMakeCache.txt" ]]; do dir=$(dirname -- "$dir"); done
  [[ "$dir" != / ]] || { echo "run.sh: $1 is not inside a build folder; set WINEPREFIX" >&2; exit 2; }
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" LANG="${LANG:-C.UTF-8}"
"$(dirname -- "$(realpath -- "${BASH_SOURCE[0]}")")/make_prefix.sh" "$WINEPREFIX"

# Wine's server and background processes cost seconds to start, so they stay
# a while between programs. They must not inherit our output, which a caller
# (ctest, Python) reads to its end: the first caller starts them detached,
# under the lock, and the others wait for that.
exec 9>"$WINEPREFIX.lock"
flock 9
if /usr/lib/wine/wineserver -p15 </dev/null >/dev/null 2>&1; then
  /usr/lib/wine/wine64 cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi
flock -u 9
exec 9>&-
exec /usr/lib/wine/wine64 "$@"
