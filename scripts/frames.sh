#!/usr/bin/env bash
# Takes frames of the main window at 400 entries, from outside as a user sees
# it, during 10 presses of F5 (a file coming meanwhile) and after Set
# Inactive, Delete and a save, and sorts each frame: the grid before the
# command, the grid after it, or neither (a menu or dialog over it, or a blank
# or half-filled grid: look at those, in build/frames).
set -euo pipefail
demo_headless=1
source "$(dirname "$0")/demo-env.sh"
out=build/frames
rm -rf "$out"; mkdir -p "$out"
ui="$drive_c/UI-View32"
mkdir -p "$ui/SavedXTR" "$ui/Tools"
printf 'MZ' >"$ui/Tools/found.exe"
for i in $(seq -w 1 400); do
  if (( 10#$i % 2 )); then prog='Tools\found.exe'; else prog='C:\Nowhere\missing.exe'; fi
  dir="$ui"; (( 10#$i % 4 == 0 )) && dir="$ui/SavedXTR"
  printf 'Entry %s\r\n%s\r\nTrue\r\nFalse\r\n' "$i" "$prog" >"$dir/entry$i.xtr"
done
demo_start build/mingw/Quillon.exe
main=$(demo_wait_window "$quillon_title")
sleep 3
xdotool windowfocus --sync "$main"
capture() { # <label> <seconds>: frames as fast as import takes them
  local end=$(( $(date +%s%N) + $2 * 1000000000 )) n=0
  while (( $(date +%s%N) < end )); do
    import -window "$main" "$out/$1-$(printf %03d $n).png" 2>/dev/null || true
    n=$((n + 1))
  done
}
import -window "$main" "$out/start.png"
capture f5 6 &
cap=$!
# A file that comes meanwhile shows after the next F5: the rows change once.
for i in $(seq 1 10); do
  (( i == 5 )) && printf 'Came meanwhile\r\nTools\\found.exe\r\nTrue\r\nTrue\r\n' >"$ui/aaa.xtr"
  xdotool key --window "$main" F5; sleep 0.4
done
wait $cap
sleep 1
import -window "$main" "$out/after-f5.png"
# Set Inactive on the current row (Down: the second row), by the context menu key.
xdotool key --window "$main" Down; sleep 0.5
import -window "$main" "$out/before-inactive.png"
capture inactive 4 &
cap=$!
xdotool key --window "$main" Menu; sleep 0.5; xdotool key i
wait $cap
import -window "$main" "$out/after-inactive.png"
capture delete 5 &
cap=$!
xdotool key --window "$main" Delete; sleep 0.8; xdotool key y
wait $cap
import -window "$main" "$out/after-delete.png"
# A save: Edit by the context menu, a letter typed into the first box, OK by Enter.
xdotool key --window "$main" Menu; sleep 0.5; xdotool key e; sleep 1.5
capture save 5 &
cap=$!
xdotool key End; xdotool type X; xdotool key Return
wait $cap
sleep 0.5
import -window "$main" "$out/after-save.png"
# sort <prefix> <before.png> <after.png>: how many frames show which.
sort_frames() {
  local f
  for f in "$out/$1"-*.png; do
    if [ "$(compare -metric AE "$2" "$f" null: 2>&1)" = 0 ]; then echo before
    elif [ "$(compare -metric AE "$3" "$f" null: 2>&1)" = 0 ]; then echo after
    else echo "neither ($f)"; fi
  done | sed 's/ (.*//' | sort | uniq -c | tr '\n' ' '
  echo "<- $1"
}
sort_frames f5 "$out/start.png" "$out/after-f5.png"
sort_frames inactive "$out/before-inactive.png" "$out/after-inactive.png"
sort_frames delete "$out/after-inactive.png" "$out/after-delete.png"
sort_frames save "$out/after-delete.png" "$out/after-save.png"
