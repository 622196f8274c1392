#!/usr/bin/env bash
# Installs what is missing, builds Quillon.exe and runs it under Wine on the
# demo UI-View32 folder (a fresh copy in a prefix of its own). With an X display
# the window opens there; without one it runs under Xvfb and a screenshot is
# saved. --smoke: start, check the main window appears, close it.
set -euo pipefail
demo_headless=0
[ "${1:-}" = "--smoke" ] && demo_headless=1
source "$(dirname "$0")/demo-env.sh"

if [ "$demo_headless" -eq 0 ]; then
  wine build/mingw/Quillon.exe </dev/null
  exit 0
fi

demo_start build/mingw/Quillon.exe
window=$(demo_wait_window "$quillon_title") || { echo "demo: the main window did not appear" >&2; exit 1; }
sleep 1
shot="$PWD/build/mingw/demo.png"
import -window root "$shot"
echo "demo: the main window '$quillon_title' is up; screenshot saved to $shot"
