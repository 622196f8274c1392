#!/usr/bin/env bash
# ctest's emulator in the cross build: runs a test program under Wine.
# Usage: wine-run.sh <wine> <program.exe> [arguments...]
# The program writes into a file, not into ctest's pipe: a Wine service that a
# test starts on demand (rpcss, explorer...) inherits the program's standard
# handles and outlives it, and ctest would wait for such a holder of its pipe
# until the test's time runs out (seen: a test printed PASSED, then "Timeout").
# Now and then Wine ends a start at once, before the program has printed
# anything (seen once in about 2,000 test runs: "Failed" after 0.01 s, no
# output). Such a start is made once more, and said on stderr. A program that
# printed anything is never started again, so a failing test still fails.
# Each test program gets a trash of its own inside the one ctest names (Wine's
# Recycle Bin is $XDG_DATA_HOME/Trash): two programs that ctest runs at once
# never see each other's deletes, and a test may take its trash away.
set -u
wine=$1
shift
printed=$(mktemp)
own_data=""
if [ -n "${XDG_DATA_HOME:-}" ] && [ -d "$XDG_DATA_HOME" ]; then
  own_data=$(mktemp -d -p "$XDG_DATA_HOME")
  export XDG_DATA_HOME="$own_data"
fi
trap 'rm -f "$printed"; [ -z "$own_data" ] || rm -rf "$own_data"' EXIT
for attempt in 1 2; do
  "$wine" "$@" </dev/null >"$printed" 2>&1
  status=$?
  cat "$printed"
  if [ "$status" -eq 0 ] || [ -s "$printed" ] || [ "$attempt" -eq 2 ]; then
    exit "$status"
  fi
  echo "wine-run: Wine ended with status $status before $1 printed anything; starting it again" >&2
done
