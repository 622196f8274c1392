# Sourced by the scripts, once Wine is installed: whether this machine runs
# 32-bit code. Some virtual machines run none at all (seen: a PVM guest, whose
# kernel refuses every 32-bit program with "Exec format error"): Wine's 32-bit
# part cannot start there, and neither can the 32-bit Quillon.exe. There the
# program and its tests are also built for x86-64, into build/mingw, and Wine
# runs them through its 64-bit loader: a `wine` of our own goes first on the
# PATH. The 32-bit Quillon.exe is still built (build/mingw-i686), and its
# header checked, but it cannot be run.
# Gives: quillon_arch (i686, or x86_64 on such a machine), and on such a
# machine PATH with that `wine` first.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  quillon_arch=i686
else
  quillon_arch=x86_64
  quillon_wine64=""
  for loader in /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64; do
    [ -x "$loader" ] && { quillon_wine64=$loader; break; }
  done
  if [ -z "$quillon_wine64" ]; then
    echo "wine-arch: this machine runs no 32-bit code, and Wine's 64-bit loader was not found" >&2
    return 1 2>/dev/null || exit 1
  fi
  quillon_wine_bin="$(realpath -m "$(dirname "${BASH_SOURCE[0]}")/../build/wine64-bin")"
  mkdir -p "$quillon_wine_bin"
  printf '#!/bin/sh\nWINELOADER=%s exec %s "$@"\n' "$quillon_wine64" "$quillon_wine64" >"$quillon_wine_bin/wine"
  chmod +x "$quillon_wine_bin/wine"
  case ":$PATH:" in
    *":$quillon_wine_bin:"*) ;;
    *) export PATH="$quillon_wine_bin:$PATH" ;;
  esac
fi
