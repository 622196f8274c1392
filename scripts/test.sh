#!/usr/bin/env bash
# Installs what is missing, builds Quillon and its tests, and runs every test
# under Wine three times: on Windows 7, on Windows 10, and on Windows 7 under the
# Japanese locale (code page 932). Each pass has a prefix of its own, set to its
# Windows version (a new prefix is Windows 7 under Wine 8 but Windows 10 under
# Wine 9 and later), whose Wine server and services start under the pass's
# locale. A pass first checks that a program there sees the Windows version and
# code page the pass is named for. Ends with one line per pass; fails when any
# pass failed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh
source scripts/wine-arch.sh
cmake --build --preset mingw
allowed_skips=' - Image\.VirtualizedWhereverTheSystemAllowsIt '
if [ "$quillon_arch" != i686 ]; then
  # The tests ran a 64-bit build: the 32-bit program, the one released, is built
  # and its header checked here instead (machine 14c, i386).
  cmake --build build/mingw-i686 --target Quillon
  header=$(od -An -tu4 -j60 -N4 build/mingw-i686/Quillon.exe | tr -d ' ')
  machine=$(od -An -tx2 -j$((header + 4)) -N2 build/mingw-i686/Quillon.exe | tr -d ' ')
  [ "$machine" = 014c ] || { echo "test: build/mingw-i686/Quillon.exe is not a 32-bit x86 program" >&2; exit 1; }
  echo "build/mingw-i686/Quillon.exe is a 32-bit x86 program (machine 14c); the tests run a 64-bit build"
  allowed_skips+='| - Image\.IsA32BitX86Program '
fi
log=$(mktemp)
source scripts/xvfb-env.sh
# Also stops the Wine server of the last pass started (wine_stop comes with wine-env.sh).
cleanup() {
  if declare -F wine_stop >/dev/null; then wine_stop; fi
  xvfb_stop
  rm -f "$log"
}
trap cleanup EXIT

results=()
failed=0
# Usage: run_pass <name> <prefix> <locale> <winecfg version> <expected facts, a pattern>
run_pass() {
  local name=$1 prefix=$2 locale=$3 version=$4 expected=$5
  local start=$SECONDS facts summary skipped unexpected result status=0
  echo "=== pass $name"
  export LC_ALL=$locale
  source scripts/wine-env.sh "$prefix"
  wine winecfg /v "$version" </dev/null >/dev/null 2>&1
  facts=$(wine build/mingw/tests/quillon_system_facts.exe </dev/null 2>/dev/null | tr -d '\r') || true
  echo "pass $name runs under: $facts"
  ctest --preset mingw --output-log "$log" || status=$?
  wine_stop
  summary=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log")
  # ctest counts a skipped test as passed and lists it among those that did not run.
  # Only a test with nothing to see under Wine may skip: UAC virtualization (and,
  # in a 64-bit test build, the 32-bit header, checked above instead).
  skipped=$(sed -n '/did not run:/,/^$/p' "$log" | grep -c ' - ' || true)
  unexpected=$(sed -n '/did not run:/,/^$/p' "$log" | grep ' - ' |
    grep -Evc "$allowed_skips" || true)
  if [ -n "$summary" ]; then
    local failures=${summary% *} total=${summary#* }
    result="$((total - failures - skipped)) passed, $failures failed"
    if [ "$skipped" -gt 0 ]; then
      result+=", $skipped skipped"
    fi
    if [ "$unexpected" -gt 0 ]; then
      result+=" ($unexpected not allowed to)"
      status=1
    fi
  else
    result="no test ran"
    status=1
  fi
  result+=" ($((SECONDS - start)) s; $facts)"
  # Unquoted on the right: the expected facts are a pattern.
  if [[ $facts != $expected ]]; then
    result+=", not the system this pass is for: $expected"
    status=1
  fi
  results+=("pass $name: $result")
  [ "$status" -eq 0 ] || failed=1
}

run_pass win7 build/mingw/wineprefix C.UTF-8 win7 "Windows 6.1 build *, code page 1252"
run_pass win10 build/mingw/wineprefix-win10 C.UTF-8 win10 "Windows 10.0 build *, code page 1252"
run_pass ja_JP build/mingw/wineprefix-ja_JP ja_JP.UTF-8 win7 "Windows 6.1 build *, code page 932"
printf '%s\n' "${results[@]}"
exit "$failed"
