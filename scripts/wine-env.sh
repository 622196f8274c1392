# Sourced by the scripts: a private Wine prefix inside the build tree, started
# once and kept warm, so that each test process starts in a tenth of a second.
# Usage: source scripts/wine-env.sh <prefix-folder>
export WINEPREFIX="$(realpath -m "$1")"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
source "$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh"
# Wine starts no 32-bit program (such as Quillon.exe) in a prefix first booted
# before its 32-bit part was installed ("could not load kernel32.dll"). A
# prefix booted otherwise than this machine runs Quillon lacks this script's
# mark and is made afresh.
wine_mark="$WINEPREFIX/.booted-for-$quillon_arch"
if [ -e "$WINEPREFIX/system.reg" ] && [ ! -e "$wine_mark" ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"
# The server and the prefix's first boot get no pipe of ours: helpers they
# start would hold it open and the reader would wait for ever.
setsid wineserver -p </dev/null >/dev/null 2>&1 &
setsid wine cmd /c exit </dev/null >/dev/null 2>&1 || true
touch "$wine_mark"
# Xvfb has no window manager: Wine then draws the window frames itself, and does
# not wait two seconds for an absent manager each time a shown window closes.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 || true
wine_stop() { wineserver -k >/dev/null 2>&1 || true; }
