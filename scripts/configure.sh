#!/usr/bin/env bash
# Installs what is missing and configures the cross build in build/mingw: for
# 32-bit Windows, or on a machine that runs no 32-bit code for 64-bit Windows
# (scripts/wine-arch.sh), with the 32-bit program alone in build/mingw-i686. A
# build tree configured for another compiler is removed first, its Wine
# prefixes with it: its objects would not link, and a prefix booted for
# another of Wine's parts starts no program of the other kind.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/wine-arch.sh
cache=build/mingw/CMakeCache.txt
if [ -f "$cache" ] && { ! grep -q '^CMAKE_TOOLCHAIN_FILE:FILEPATH=.*/cmake/mingw-w64-i686\.cmake$' "$cache" ||
  ! grep -q "^QUILLON_MINGW_ARCH:STRING=$quillon_arch\$" "$cache"; }; then
  echo "build/mingw was configured for another compiler: starting it afresh"
  rm -rf build/mingw
fi
cmake --preset mingw -DQUILLON_MINGW_ARCH="$quillon_arch" >/dev/null
if [ "$quillon_arch" != i686 ]; then
  echo "This machine runs no 32-bit code: Quillon and its tests are built for x86-64 to run here;"
  echo "the 32-bit Quillon.exe, the one released, is built in build/mingw-i686 and cannot run here."
  cmake --preset mingw -B build/mingw-i686 -DQUILLON_MINGW_ARCH=i686 -DQUILLON_BUILD_TESTS=OFF >/dev/null
fi
