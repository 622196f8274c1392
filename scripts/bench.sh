#!/usr/bin/env bash
# Builds Quillon's benchmark and runs it under Wine: the catalogue scan and the
# grid fill at 1,000, 10,000 and 32,767 XTR files, against the bare system work.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target quillon_bench
source scripts/xvfb-env.sh
source scripts/wine-env.sh build/mingw/wineprefix
trap 'wine_stop; xvfb_stop' EXIT
wine build/mingw/bench/quillon_bench.exe
