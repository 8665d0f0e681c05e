#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this
# machine lacks. Safe to run again: it installs nothing when all is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  googletest libgtest-dev libbenchmark-dev
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64 xvfb python3-xlib imagemagick fonts-wine fonts-liberation
  python3-pefile clang libclang-rt-14-dev locales
  # The WoW64 root of scripts/wine/wow64.sh, where the 32-bit Wine lives
  # apart from this machine's own packages.
  debootstrap
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes the ANSI code page from the locale: the window tests read texts
# under a Greek and a Japanese one.
for locale in el_GR ja_JP; do
  locale -a | grep -qx "$locale.utf8" || "${sudo_cmd[@]}" localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done
