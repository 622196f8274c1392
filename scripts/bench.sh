#!/usr/bin/env bash
# Builds Quillon's benchmarks and runs them under Wine, in a prefix of their own:
# the catalogue scan and the grid fill at 1,000, 10,000 and 32,767 XTR files
# against the bare system work, then the start-up at 30 XTR files against a
# bare window holding a ListView.
# Usage: scripts/bench.sh [--catalogue | --startup]   (both when no option is given)
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}
case "$which" in
all | --catalogue | --startup) ;;
*)
    echo "usage: $0 [--catalogue | --startup]" >&2
    exit 2
    ;;
esac
scripts/configure.sh
cmake --build --preset mingw --target quillon_bench quillon_startup_bench
source scripts/xvfb-env.sh
# The start-up bench sets UI-View32's real registry setting: never in the tests' prefix.
source scripts/wine-env.sh build/mingw/bench-prefix
trap 'wine_stop; xvfb_stop' EXIT
if [ "$which" != --startup ]; then
    wine build/mingw/bench/quillon_bench.exe
fi
if [ "$which" != --catalogue ]; then
    wine build/mingw/bench/quillon_startup_bench.exe
fi
