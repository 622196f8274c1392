# Sourced by the demo scripts: Quillon.exe built, a Wine prefix of their own
# (build/mingw/demo-prefix) holding a fresh copy of demo/UI-View32 with
# UI-View32's registry setting pointing at it, and Xvfb when there is no
# display or when demo_headless=1 is set before sourcing.
# Gives: quillon_title (the main window's caption), demo_wait_window,
# demo_start, demo_stop_apps, demo_stop (also run at exit).
cd "$(dirname "${BASH_SOURCE[0]}")/.."
demo_headless=${demo_headless:-0}

scripts/configure.sh
cmake --build --preset mingw --target Quillon >/dev/null
quillon_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
quillon_title="UI-View Quillon V${quillon_version}"

if [ -z "${DISPLAY:-}" ]; then
  demo_headless=1
fi
if [ "$demo_headless" -eq 1 ]; then
  source scripts/xvfb-env.sh
fi
source scripts/wine-env.sh build/mingw/demo-prefix
demo_apps=()
# Ends the programs started by demo_start.
demo_stop_apps() {
  local app
  for app in "${demo_apps[@]}"; do
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  done
  demo_apps=()
}
demo_stop() {
  demo_stop_apps
  wine_stop
  if [ "$demo_headless" -eq 1 ]; then xvfb_stop; fi
  true
}
trap demo_stop EXIT

# Wine draws the window frames itself here and needs Marlett for the caption
# buttons; it does not find the font in its own data folder by itself.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# A fresh UI-View32 folder, its registry setting as UI-View32 keeps it, and one
# program that a demo entry points at outside that folder.
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/UI-View32"
cp -r demo/UI-View32 "$drive_c/UI-View32"
mkdir -p "$drive_c/Program Files/WX Tools"
printf 'MZ' >"$drive_c/Program Files/WX Tools/wxnow.exe"
wine reg add 'HKCU\Software\VB and VBA Program Settings\Peak Systems\UI-View32' \
  /v "Program Folder" /t REG_SZ /d 'C:\UI-View32\' /f </dev/null >/dev/null 2>&1

# Starts a program under Wine in the background; it is ended by demo_stop.
demo_start() {
  wine "$@" </dev/null >/dev/null 2>&1 &
  demo_apps+=($!)
}

# Prints the X window id of the window titled exactly $1, waiting up to 30 s.
demo_wait_window() {
  local window
  for _ in $(seq 1 60); do
    window=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    sleep 0.5
  done
  echo "no window titled '$1' appeared" >&2
  return 1
}
