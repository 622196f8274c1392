#!/usr/bin/env bash
# Installs what is missing, builds Quillon.exe and runs it under Wine on the
# demo UI-View32 folder (a fresh copy in a prefix of its own). With an X display
# the window opens there; without one it runs under Xvfb and a screenshot is
# saved. --smoke: start, check the main window appears, close it.
set -euo pipefail
cd "$(dirname "$0")/.."
smoke=0
[ "${1:-}" = "--smoke" ] && smoke=1
title="UI-View Quillon V1.1.0"

scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Quillon >/dev/null

headless=0
if [ -z "${DISPLAY:-}" ] || [ $smoke -eq 1 ]; then
  headless=1
  source scripts/xvfb-env.sh
fi
source scripts/wine-env.sh build/mingw/demo-prefix
cleanup() { wine_stop; [ $headless -eq 1 ] && xvfb_stop; true; }
trap cleanup EXIT

# A fresh UI-View32 folder, its registry setting as UI-View32 keeps it, and one
# program that a demo entry points at outside that folder.
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/UI-View32"
cp -r demo/UI-View32 "$drive_c/UI-View32"
mkdir -p "$drive_c/Program Files/WX Tools"
printf 'MZ' >"$drive_c/Program Files/WX Tools/wxnow.exe"
wine reg add 'HKCU\Software\VB and VBA Program Settings\Peak Systems\UI-View32' \
  /v "Program Folder" /t REG_SZ /d 'C:\UI-View32\' /f </dev/null >/dev/null 2>&1

if [ $headless -eq 0 ]; then
  wine build/mingw/Quillon.exe </dev/null
  exit 0
fi

wine build/mingw/Quillon.exe </dev/null >/dev/null 2>&1 &
app=$!
window=""
for _ in $(seq 1 60); do
  window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "demo: no window titled '$title' appeared" >&2
  kill $app 2>/dev/null || true
  exit 1
fi
sleep 1
shot="$PWD/build/mingw/demo.png"
import -window root "$shot"
echo "demo: the main window '$title' is up; screenshot saved to $shot"
kill $app 2>/dev/null || true
