#!/usr/bin/env bash
# Installs what is missing and configures the cross build in build/mingw. A
# build tree configured for another compiler (the 64-bit one of earlier
# versions) is removed first, its Wine prefixes with it: its objects would not
# link, and a prefix booted before Wine's 32-bit part was installed starts no
# 32-bit program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cache=build/mingw/CMakeCache.txt
if [ -f "$cache" ] && ! grep -q '^CMAKE_TOOLCHAIN_FILE:FILEPATH=.*/cmake/mingw-w64-i686\.cmake$' "$cache"; then
  echo "build/mingw was configured for another compiler: starting it afresh"
  rm -rf build/mingw
fi
cmake --preset mingw >/dev/null
