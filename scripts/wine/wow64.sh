#!/bin/bash
# 32-bit Windows programs run here as on 64-bit Windows: under Wine's WoW64,
# with Debian's 64-bit and 32-bit Wine side by side in one 64-bit prefix.
# Installing the 32-bit Wine on this machine would upgrade many of its own
# packages, so that Wine lives in a Debian root of its own, build/wow64, and
# every program is run in a private mount namespace: the root's /proc, /dev
# and the repository inside it are mounted for that program alone and go
# with it, so nothing stays mounted and build/ can always be removed.
#
# A kernel built or booted without IA32 emulation refuses 32-bit code. There
# the 32-bit programs run emulated, by the root's qemu-i386 (a static build
# from bookworm-backports; bookworm's own takes over a minute to start a
# program under Wine): the program's namespaces include a user namespace of
# its own, whose binfmt_misc instance (Linux 6.7 and later) hands every
# 32-bit ELF program to that qemu-i386. The registration ends with the
# namespace; nothing on the machine changes.
#
#   wow64.sh check            says in one line how 32-bit programs run here, natively or
#                             emulated and why; fails when they cannot (it may make the root)
#   wow64.sh make             makes the root, once (about two minutes); adds to an older one what it lacks
#   wow64.sh run CMD ARGS...  runs CMD inside the root, in the same folder and environment
#
# QUORVANE_X86_ROUTE chooses: auto (the default) runs 32-bit programs natively
# where the kernel can and emulated elsewhere; emulated emulates them even
# where the kernel could run them, so that one machine tests both routes;
# native never emulates.
#
# Needs root (or sudo), debootstrap and Debian's archive
# ($QUORVANE_DEBIAN_MIRROR, by default http://deb.debian.org/debian).
set -euo pipefail
repo=$(realpath -- "$(dirname -- "${BASH_SOURCE[0]}")/../..")
root="$repo/build/wow64"
# What the root holds, written into its marker: a root whose marker lists
# less was made by an older version of this script and gets the rest added.
packages="wine64 wine32:i386 libwine libwine:i386 fonts-wine qemu-user/bookworm-backports"
marker="$root/.quorvane-root-ready"

if [[ "$(id -u)" -ne 0 ]]; then
  exec sudo --preserve-env -- "${BASH_SOURCE[0]}" "$@"
fi

# Mounts what a program needs and becomes it; run in the new namespaces.
inside() {
  local target=$1 folder=$2 route=$3
  shift 3
  # Bound rather than mounted anew: a user namespace may not mount a proc
  # of the machine's process namespace, which Wine's processes must share.
  mount --rbind /proc "$target/proc"
  mount --rbind /dev "$target/dev"
  mkdir -p -- "$target$repo"
  mount --bind -- "$repo" "$target$repo"
  # This machine's locales (the same C library), for Wine's code pages.
  [[ ! -d /usr/lib/locale ]] || mount --bind /usr/lib/locale "$target/usr/lib/locale"
  # The X servers' sockets, for a display that has no abstract one.
  if [[ -d /tmp/.X11-unix ]]; then
    mkdir -p "$target/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$target/tmp/.X11-unix"
  fi
  if [[ "$route" == emulated ]]; then
    # The i386 ELF header, executables and shared objects alike. With F the
    # emulator is opened now, by its path outside the root.
    mkdir -p "$target/run/binfmt_misc"
    mount -t binfmt_misc binfmt_misc "$target/run/binfmt_misc"
    printf '%s' ':i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$target/usr/bin/qemu-i386:F" \
      >"$target/run/binfmt_misc/register"
  fi
  exec chroot -- "$target" /usr/bin/env --chdir="$folder" -- "$@"
}

# Runs CMD in the root by the route given (native, emulated, or plain for
# work on the root itself); the process becomes it.
enter() {
  local target=$1 route=$2 folder=$PWD
  shift 2
  # Only the repository is there; elsewhere the program starts at the root.
  [[ "$folder/" == "$repo/"* ]] || folder=/
  local namespaces=(--mount --propagation private)
  [[ "$route" == emulated ]] && namespaces+=(--user --map-root-user)
  exec unshare "${namespaces[@]}" -- "${BASH_SOURCE[0]}" --inside "$target" "$folder" "$route" "$@"
}

# Runs the smallest 32-bit Linux program, exit(42) through int 0x80, by the
# command given (none: directly); prints why when it did not run.
run_i386() {
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
  why=$("$@" "$program" 2>&1) || status=$?
  rm -f -- "$program"
  [[ $status -eq 42 ]] && return 0
  why=${why%%$'\n'*}
  why=${why##*: }
  echo "${why:-exit status $status}"
  return 1
}

# The route 32-bit programs take here, with the reason in words: native,
# emulated, or none when neither is allowed or possible.
choose_route() {
  local asked=${QUORVANE_X86_ROUTE:-auto} refused
  case "$asked" in
    auto | native | emulated) ;;
    *) echo "wow64.sh: QUORVANE_X86_ROUTE is auto, native or emulated, not '$asked'" >&2; exit 2 ;;
  esac
  if [[ "$asked" == emulated ]]; then
    route=emulated why="as QUORVANE_X86_ROUTE=emulated asks"
  elif refused=$(run_i386); then
    route=native why="this machine's kernel runs them"
  elif [[ "$asked" == native ]]; then
    route=none why="this machine's kernel cannot run them ($refused), and QUORVANE_X86_ROUTE=native forbids emulating them"
  else
    route=emulated why="this machine's kernel cannot run them ($refused)"
  fi
}

check() {
  choose_route
  if [[ "$route" == emulated ]]; then
    local scratch failed=
    scratch=$(mktemp -d)
    # Before the root is made for it: can a user namespace register an emulator?
    unshare --user --map-root-user --mount -- mount -t binfmt_misc binfmt_misc "$scratch" 2>"$scratch.err" ||
      failed=$(head -n1 -- "$scratch.err")
    rm -rf -- "$scratch" "$scratch.err"
    if [[ -n "$failed" ]]; then
      echo "32-bit programs cannot run here: $why, and a user namespace cannot register an emulator for them" \
        "(Linux 6.7 and later can; this is $(uname -r): ${failed##*: })"
      return 1
    fi
    make_root
    if ! failed=$(QUORVANE_X86_ROUTE=emulated run_i386 "${BASH_SOURCE[0]}" run); then
      echo "32-bit programs cannot run here: $why, and qemu-i386 in the root does not run them ($failed)"
      return 1
    fi
    echo "32-bit programs run emulated, by qemu-i386: $why"
  elif [[ "$route" == native ]]; then
    echo "32-bit programs run natively: $why"
  else
    echo "32-bit programs cannot run here: $why"
    return 1
  fi
}

make_root() {
  [[ "$(cat -- "$marker" 2>/dev/null)" == "$packages" ]] && return 0
  mkdir -p -- "$repo/build"
  exec 9>"$root.lock"
  flock 9
  [[ "$(cat -- "$marker" 2>/dev/null)" == "$packages" ]] && return 0
  local mirror=${QUORVANE_DEBIAN_MIRROR:-http://deb.debian.org/debian} log="$root.log" target="$root.new"
  # A finished root is completed in place; anything else is made anew.
  if [[ -e "$marker" ]]; then
    target=$root
    echo "Adding to the WoW64 root in $root: $packages" >&2
    : >"$log"
  else
    echo "Making the WoW64 root in $root (Debian 12 with 64-bit and 32-bit Wine, and qemu-i386)" >&2
    rm -rf -- "$target"
    debootstrap --arch=amd64 --variant=minbase bookworm "$target" "$mirror" >"$log" 2>&1 || target=
  fi
  if [[ -z "$target" ]] ||
    ! (enter "$target" plain /bin/sh -c "dpkg --add-architecture i386 &&
        echo 'deb $mirror bookworm-backports main' >/etc/apt/sources.list.d/backports.list && apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $packages && apt-get clean") \
      >>"$log" 2>&1; then
    tail -n 20 -- "$log" >&2
    echo "wow64.sh: could not make the root; the log is $log" >&2
    return 1
  fi
  if [[ "$target" != "$root" ]]; then
    rm -rf -- "$root"
    mv -- "$target" "$root"
  fi
  printf '%s' "$packages" >"$marker"
}

case "${1:-}" in
  --inside) shift; inside "$@" ;;
  check) check ;;
  make) make_root ;;
  run)
    shift
    [[ $# -gt 0 ]] || { echo "usage: wow64.sh run CMD ARGS..." >&2; exit 2; }
    choose_route
    [[ "$route" != none ]] || { echo "wow64.sh: 32-bit programs cannot run here: $why" >&2; exit 1; }
    make_root
    enter "$root" "$route" "$@"
    ;;
  *) echo "usage: wow64.sh check | make | run CMD ARGS..." >&2; exit 2 ;;
esac
