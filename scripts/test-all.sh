#!/usr/bin/env bash
# Builds MdbSwitch and runs every test: the native unit tests (plain and with
# AddressSanitizer/UBSan), then the Win32 tests under Wine. The 32-bit build is
# the product; where this machine cannot run 32-bit code (Wine's 32-bit loader
# needs it), the Wine tests run on the x64 build of the same sources.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
status=0

run_preset() {
  local preset=$1
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >"build-$preset.log" 2>&1 ||
     ! cmake --build --preset "$preset" -j"$jobs" >>"build-$preset.log" 2>&1; then
    tail -50 "build-$preset.log"
    echo "=== $preset: build FAILED"
    status=1
    return
  fi
  rm -f "build-$preset.log"
  [ "${2:-test}" = test ] || return
  echo "=== $preset: tests"
  local out
  out=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$out"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  local line total failures
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$out" | tail -1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    failures=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - failures))
    failed=$((failed + failures))
  else
    status=1
  fi
  rm -f "$out"
}

run_preset native
run_preset native-asan
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  run_preset win32
else
  echo "=== this machine cannot run 32-bit code: the win32 product is built, its Wine tests run on win64"
  run_preset win32 build-only
  run_preset win64
fi
ls -l build/win32/MdbSwitch.exe 2>/dev/null

echo "total: $passed passed, $failed failed"
exit $status
