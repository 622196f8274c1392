#!/usr/bin/env bash
# Builds the platform-free rules natively with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs their tests, then fuzzes them for a bounded
# time and prints the fuzzer's speed. FUZZ_SECONDS changes the time (default 60).
# The compiler is the release's own clang (install-deps.sh), whatever its version.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=build/native
cmake -S native -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$build" --output-on-failure -j2

# The run works on a copy: what it adds to its corpus stays out of the repository.
# The seeds include every input that once broke a rule, so each run replays them first.
work="$build/fuzz-corpus"
crashes="$build/fuzz-crashes"
rm -rf "$work" "$crashes"
mkdir -p "$work" "$crashes"
cp fuzz/corpus/* "$work"/
seconds="${FUZZ_SECONDS:-60}"
fuzz_log="$build/fuzz.log"
status=0
"$build/xtr_rules_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$crashes/" -print_final_stats=1 "$work" >"$fuzz_log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 40 "$fuzz_log"
  echo "The fuzzer found a failing input, kept in $crashes/: add it to fuzz/corpus/ with a test." >&2
  exit "$status"
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$fuzz_log" | tail -n1)
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$fuzz_log" | tail -n1)
echo "Fuzzing: ${runs:-?} executions in ${seconds} s, ${speed:-?} executions per second"
