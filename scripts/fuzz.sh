#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each one, one after
# the other, for a bounded time from its committed seeds. Prints each
# target's executions; fails when any target finds a crash, a sanitizer
# report or a failed check. New inputs and crash inputs stay in the build
# tree: build/fuzz/corpus/<target> and build/fuzz/crashes/<target>-*.
#   scripts/fuzz.sh [seconds per target, default 30]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
seconds=${1:-30}
targets=(command_line mdb_header long_file_name access_command cp932_codec jet_catalog)

mkdir -p build/logs
log=build/logs/build-fuzz.log
if ! build_preset fuzz >"$log" 2>&1; then
  tail -50 "$log"
  echo "=== fuzz: build FAILED"
  exit 1
fi
rm -f "$log"

status=0
for target in "${targets[@]}"; do
  binary=build/fuzz/tests/fuzz/${target}_fuzz
  corpus=build/fuzz/corpus/$target
  crashes=build/fuzz/crashes
  out=build/fuzz/$target.log
  mkdir -p "$corpus" "$crashes"
  # New inputs go to the first directory, the one in the build tree; the
  # committed seeds are only read.
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/$target-" "$corpus" "tests/fuzz/corpus/$target" >"$out" 2>&1
  result=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out" | tail -1)
  if [ "$result" -eq 0 ]; then
    echo "=== fuzz $target: ${runs:-?} executions, no crash"
  else
    grep -E 'check failed|ERROR: |SUMMARY: |Test unit written' "$out" | head -20
    echo "=== fuzz $target: FAILED (exit status $result) after ${runs:-?} executions; log: $out"
    status=1
  fi
done
exit $status
