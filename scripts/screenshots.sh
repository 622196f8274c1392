#!/usr/bin/env bash
# Retakes the README's screenshots: runs Quillon under Xvfb on the demo
# UI-View32 folder and saves each window, cropped to itself, into docs/.
# To add a shot: open the window (keys or clicks below), wait for its title
# with demo_wait_window, and pass its id to shoot.
set -euo pipefail
demo_headless=1
source "$(dirname "$0")/demo-env.sh"

# shoot <x-window-id> <name>: docs/<name>.png, once the window has painted.
shoot() {
  sleep 1
  import -window "$1" "docs/$2.png"
  echo "screenshots: docs/$2.png"
}

# Menu commands by keyboard: F10 enters the menu bar at File.
open_menu_item() { # <main-window-id> <menu position> <item position>, both from 0
  xdotool windowfocus --sync "$1"
  xdotool key F10
  sleep 0.3
  local i
  for ((i = 0; i < $2; i++)); do xdotool key Right; done
  xdotool key Return
  sleep 0.3
  for ((i = 0; i < $3; i++)); do xdotool key Down; done
  xdotool key Return
}

mkdir -p docs
demo_start build/mingw/Quillon.exe
main=$(demo_wait_window "$quillon_title")
shoot "$main" main-window

# A double-click on the third data row opens it in the editor, which carries
# the main window's caption too: it is the other window of that name.
xdotool mousemove --window "$main" 60 145 click --repeat 2 --delay 80 1
editor=""
for _ in $(seq 1 30); do
  editor=$(xdotool search --name "^${quillon_title}\$" 2>/dev/null | grep -v "^${main}\$" | head -n 1 || true)
  [ -n "$editor" ] && break
  sleep 0.3
done
[ -n "$editor" ] || { echo "screenshots: the editor did not open" >&2; exit 1; }
shoot "$editor" editor-window
# Esc closes the editor as it goes down: the key's release may find no window left.
xdotool key --window "$editor" Escape 2>/dev/null || true
sleep 0.5

open_menu_item "$main" 2 1 # Help > About
about=$(demo_wait_window "About $quillon_title")
shoot "$about" about-window
