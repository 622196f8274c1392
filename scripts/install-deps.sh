#!/usr/bin/env bash
# Installs what building, testing, the demo and the native sanitizer and fuzz
# build need on Debian 12 or later, when missing, and the Japanese locale under
# which the tests run once more (Wine takes its ANSI code page from it: 932).
# Quillon.exe is a 32-bit program: Wine runs it through its 32-bit part,
# wine32:i386, which needs the i386 architecture added to dpkg first.
# Clang comes by its unversioned names: each release has its own clang-N
# (Debian 12 clang-14, Debian 13 clang-19), and apt installs nothing at all
# when one package named is missing.
set -euo pipefail
packages=(cmake make g++-mingw-w64-i686-posix wine wine64 wine32:i386 fonts-wine googletest xvfb xauth xdotool
  imagemagick zip clang libclang-rt-dev locales fonts-ipafont-gothic)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Where the machine runs no 32-bit code, the tests are built for x86-64 (scripts/wine-arch.sh).
source "$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh"
if [ "$quillon_arch" = x86_64 ] && ! dpkg-query -W -f='${Status}' g++-mingw-w64-x86-64-posix 2>/dev/null |
  grep -q "install ok installed"; then
  echo "Installing: g++-mingw-w64-x86-64-posix (this machine runs no 32-bit code)"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8'; then
  echo "Generating the locale ja_JP.UTF-8"
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  else
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
