#!/usr/bin/env bash
# Builds Quillon's benchmarks and runs them under Wine, in a prefix of their own:
# the catalogue scan and the grid fill at 1,000, 10,000 and 32,767 XTR files
# against the bare system work, the start-up at 30 XTR files against a bare
# window holding a ListView, and every command at 30 and 3,000 entries against
# one rescan.
# Usage: scripts/bench.sh [--catalogue | --startup | --commands [RUNS [COMMAND [EXE]]]]
#   (all three when no option is given; --commands: RUNS per command, 10 at
#   least; COMMAND: only the commands whose name starts so, e.g. "Save", ""
#   for all; EXE: another Quillon.exe, as Wine names it, e.g. 'Z:\tmp\Quillon.exe')
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}
case "$which" in
all | --catalogue | --startup | --commands) ;;
*)
    echo "usage: $0 [--catalogue | --startup | --commands [RUNS [COMMAND [EXE]]]]" >&2
    exit 2
    ;;
esac
scripts/configure.sh
cmake --build --preset mingw --target quillon_bench quillon_startup_bench quillon_command_bench
if [ "$which" = all ] || [ "$which" = --commands ]; then
    # The drop comes as a file manager's under Linux: an XDND client (docs/BENCHMARKS.md says why).
    # The team's XDND client lives beside the repository (../shared/tools), or where QUILLON_XDND_SOURCE says.
    xdnd=${QUILLON_XDND_SOURCE:-$(realpath -m ../shared/tools/xdnd_drop.c)}
    [ -e "$xdnd" ] || { echo "bench: no XDND client at $xdnd (set QUILLON_XDND_SOURCE)" >&2; exit 2; }
    if ! command -v gcc >/dev/null || [ ! -e /usr/include/X11/Xlib.h ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends gcc libx11-dev >/dev/null
    fi
    gcc -O2 -o build/mingw/bench/xdnd_drop "$xdnd" -lX11
fi
source scripts/xvfb-env.sh
# The start-up and command benches set UI-View32's real registry setting: never in the tests' prefix.
source scripts/wine-env.sh build/mingw/bench-prefix
# Delete puts files into Wine's Recycle Bin, the desktop trash: one of the bench's own.
export XDG_DATA_HOME="$PWD/build/mingw/bench-trash"
rm -rf "$XDG_DATA_HOME"
mkdir -p "$XDG_DATA_HOME"
trap 'wine_stop; xvfb_stop; rm -rf "$XDG_DATA_HOME"' EXIT
echo "load: $(uptime)"
if [ "$which" = all ] || [ "$which" = --catalogue ]; then
    wine build/mingw/bench/quillon_bench.exe
fi
if [ "$which" = all ] || [ "$which" = --startup ]; then
    wine build/mingw/bench/quillon_startup_bench.exe
fi
if [ "$which" = all ] || [ "$which" = --commands ]; then
    wine build/mingw/bench/quillon_command_bench.exe "${@:2}"
fi
echo "load: $(uptime)"
