#!/bin/bash
# 32-bit Windows programs run here as on 64-bit Windows: under Wine's WoW64,
# with Debian's 64-bit and 32-bit Wine side by side in one 64-bit prefix.
# Installing the 32-bit Wine on this machine would upgrade many of its own
# packages, so that Wine lives in a Debian root of its own, build/wow64, and
# every program is run in a private mount namespace: the root's /proc, /dev
# and the repository inside it are mounted for that program alone and go
# with it, so nothing stays mounted and build/ can always be removed.
#
#   wow64.sh check            whether this kernel runs 32-bit programs; if not, says why and fails
#   wow64.sh make             makes the root, once (about a minute and a half)
#   wow64.sh run CMD ARGS...  runs CMD inside the root, in the same folder and environment
#
# Needs root (or sudo), debootstrap and Debian's archive
# ($QUORVANE_DEBIAN_MIRROR, by default http://deb.debian.org/debian).
set -euo pipefail
repo=$(realpath -- "$(dirname -- "${BASH_SOURCE[0]}")/../..")
root="$repo/build/wow64"

if [[ "$(id -u)" -ne 0 ]]; then
  exec sudo --preserve-env -- "${BASH_SOURCE[0]}" "$@"
fi

# Mounts what a program needs and becomes it; run in the new namespace.
inside() {
  local target=$1 folder=$2
  shift 2
  mount -t proc proc "$target/proc"
  mount --rbind /dev "$target/dev"
  mkdir -p -- "$target$repo"
  mount --bind -- "$repo" "$target$repo"
  # This machine's locales (the same C library), for Wine's code pages.
  mount --bind /usr/lib/locale "$target/usr/lib/locale"
  # The X servers' sockets, for a display that has no abstract one.
  if [[ -d /tmp/.X11-unix ]]; then
    mkdir -p "$target/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$target/tmp/.X11-unix"
  fi
  exec chroot -- "$target" /usr/bin/env --chdir="$folder" -- "$@"
}

enter() {
  local target=$1 folder=$PWD
  shift
  # Only the repository is there; elsewhere the program starts at the root.
  [[ "$folder/" == "$repo/"* ]] || folder=/
  exec unshare --mount --propagation private -- "${BASH_SOURCE[0]}" --inside "$target" "$folder" "$@"
}

# The smallest 32-bit Linux program: exit(42) through int 0x80.
check() {
  mkdir -p -- "$repo/build"
  local program
  program=$(mktemp -- "$repo/build/.i386-check.XXXXXX")
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$program"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$program"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$program"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$program"
  printf '\x5f\x00\x00\x00\x5f\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$program"
  printf '\x31\xdb\xb3\x2a\xb8\x01\x00\x00\x00\xcd\x80' >>"$program"
  chmod +x -- "$program"
  local status=0 why
  why=$("$program" 2>&1) || status=$?
  rm -f -- "$program"
  [[ $status -eq 42 ]] && return 0
  why=${why##*: }
  echo "this machine's kernel cannot run 32-bit programs (${why:-exit status $status})"
  return 1
}

make_root() {
  [[ -e "$root/.quorvane-root-ready" ]] && return 0
  mkdir -p -- "$repo/build"
  exec 9>"$root.lock"
  flock 9
  [[ -e "$root/.quorvane-root-ready" ]] && return 0
  local mirror=${QUORVANE_DEBIAN_MIRROR:-http://deb.debian.org/debian} log="$root.log" work="$root.new"
  echo "Making the WoW64 root in $root (Debian 12 with 64-bit and 32-bit Wine)" >&2
  rm -rf -- "$work"
  if ! debootstrap --arch=amd64 --variant=minbase bookworm "$work" "$mirror" >"$log" 2>&1 ||
    ! (enter "$work" /bin/sh -c 'dpkg --add-architecture i386 && apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
          wine64 wine32:i386 libwine libwine:i386 fonts-wine && apt-get clean') >>"$log" 2>&1; then
    tail -n 20 -- "$log" >&2
    echo "wow64.sh: could not make the root; the log is $log" >&2
    return 1
  fi
  rm -rf -- "$root"
  mv -- "$work" "$root"
  touch -- "$root/.quorvane-root-ready"
}

case "${1:-}" in
  --inside) shift; inside "$@" ;;
  check) check ;;
  make) make_root ;;
  run)
    shift
    [[ $# -gt 0 ]] || { echo "usage: wow64.sh run CMD ARGS..." >&2; exit 2; }
    make_root
    enter "$root" "$@"
    ;;
  *) echo "usage: wow64.sh check | make | run CMD ARGS..." >&2; exit 2 ;;
esac
