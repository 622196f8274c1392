#!/usr/bin/env bash
# Installs what is missing, builds Quillon and its tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
source scripts/xvfb-env.sh
source scripts/wine-env.sh build/mingw/wineprefix
trap 'wine_stop; xvfb_stop' EXIT
ctest --preset mingw
