#!/usr/bin/env bash
# Installs what building, testing, the demo and the native sanitizer and fuzz
# build need on Debian 12, when missing.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine googletest xvfb xauth xdotool imagemagick zip
  clang-14 libclang-rt-14-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
