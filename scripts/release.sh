#!/usr/bin/env bash
# Makes the release, build/mingw/release/Quillon-<version>-win32.zip (Quillon.exe,
# README.md, LICENSE and the README's pictures in docs/), then checks it as a
# user would use it: unpacked into an empty folder, and copied into the
# UI-View32 folder, the Quillon.exe from the zip starts under Wine on the demo
# UI-View32 folder and shows its main window. The pictures are taken first, of
# the very Quillon.exe the zip packs; the zip's README is the README without
# its developers' part (CMakeLists.txt), so that it links only to what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >/dev/null
source scripts/wine-arch.sh
if [ "$quillon_arch" != i686 ]; then
  echo "release: this machine runs no 32-bit code: the release, a 32-bit Quillon.exe that must start here, is made where it does" >&2
  exit 1
fi
scripts/screenshots.sh
demo_headless=1
source scripts/demo-env.sh

cpack --config build/mingw/CPackConfig.cmake -B build/mingw/release >/dev/null
zip="$PWD/build/mingw/release/Quillon-${quillon_version}-win32.zip"
unpacked=$(mktemp -d)
trap 'demo_stop; rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
for file in Quillon.exe README.md LICENSE docs/main-window.png docs/editor-window.png docs/about-window.png; do
  [ -f "$unpacked/$file" ] || { echo "release: $file is missing from the zip" >&2; exit 1; }
done
# The README links only to what the zip holds.
for link in $(grep -o '](\([^)#]*\))' "$unpacked/README.md" | sed 's/^](\(.*\))$/\1/' | grep -v '^https\?:' || true); do
  [ -e "$unpacked/$link" ] || { echo "release: the README links to $link, which the zip lacks" >&2; exit 1; }
done
# A 32-bit program, as UI-View32 is: machine 14c (i386) in the PE header, whose
# offset the DOS header holds at byte 60.
header=$(od -An -tu4 -j60 -N4 "$unpacked/Quillon.exe" | tr -d ' ')
machine=$(od -An -tx2 -j$((header + 4)) -N2 "$unpacked/Quillon.exe" | tr -d ' ')
[ "$machine" = 014c ] || { echo "release: Quillon.exe is not a 32-bit x86 program (machine $machine)" >&2; exit 1; }

# check_start <folder>: runs the zip's Quillon.exe from that folder, with it as
# the working folder, and waits for the main window.
check_start() {
  pushd "$1" >/dev/null
  demo_start ./Quillon.exe
  popd >/dev/null
  demo_wait_window "$quillon_title" >/dev/null || { echo "release: no main window from $1" >&2; exit 1; }
  demo_stop_apps
  for _ in $(seq 1 20); do
    xdotool search --name "^${quillon_title}\$" >/dev/null 2>&1 || break
    sleep 0.5
  done
  echo "release: Quillon.exe starts from $1"
}
check_start "$unpacked"
cp "$unpacked/Quillon.exe" "$WINEPREFIX/drive_c/UI-View32/"
check_start "$WINEPREFIX/drive_c/UI-View32"

echo "release: $zip ($(stat -c %s "$zip") bytes)"
