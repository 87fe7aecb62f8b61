#!/usr/bin/env bash
# Checks the sources' layout, builds MdbSwitch and runs every test: the
# native unit tests (plain and with AddressSanitizer/UBSan), each fuzz target
# for 30 s, then the Win32 tests under Wine on the 32-bit product, once as
# Wine's default Windows and once (start-up, launch and window tests) as
# Windows XP, then the same Wine tests on the x64 build. Where the kernel
# cannot run i386 code, the 32-bit suite runs through qemu-i386 in a private
# user namespace (scripts/wine32.sh); only where that is impossible too does
# it fall back to x64 alone, and says so loudly.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
bash scripts/setup.sh || exit 1

logs=build/logs
mkdir -p "$logs"
passed=0 failed=0 skips=0 status=0 summary=()

# build PRESET: builds the preset's tree, its log kept; notes a failure.
build() {
  local preset=$1 log="$logs/build-$1.log"
  echo "=== $preset: configure and build"
  if ! build_preset "$preset" >"$log" 2>&1; then
    tail -50 "$log"
    echo "=== $preset: build FAILED"
    summary+=("$preset: build FAILED")
    status=1
    return 1
  fi
}

# test_suite NAME [RUNNER...] -- CTEST-ARGS...: runs ctest and adds the
# counts of its JUnit report.
test_suite() {
  local name=$1 runner=()
  shift
  while [ "$1" != -- ]; do runner+=("$1"); shift; done
  shift
  echo "=== $name: tests"
  local report="$PWD/$logs/junit.xml" ok bad skipped
  rm -f "$report"
  "${runner[@]}" ctest "$@" --output-junit "$report" || status=1
  if [ -s "$report" ] && read -r ok bad skipped < <(sh scripts/ctest-counts.sh "$report"); then
    passed=$((passed + ok))
    failed=$((failed + bad))
    skips=$((skips + skipped))
    summary+=("$name: $ok passed, $bad failed, $skipped skipped")
  else
    summary+=("$name: no test result")
    status=1
  fi
}

echo "=== format check"
if bash scripts/format-check.sh; then
  summary+=("format check: every C and C++ file as .clang-format says, every shell file clean")
else
  summary+=("format check: FAILED")
  status=1
fi
build native && test_suite "native" -- --preset native
build native-asan && test_suite "native ASan/UBSan" -- --preset native-asan
echo "=== fuzz: each target for 30 s"
if bash scripts/fuzz.sh 30; then
  summary+=("fuzz: every target ran 30 s without a crash")
else
  summary+=("fuzz: FAILED")
  status=1
fi

wine32_mode=none
if build win32; then
  wine32_mode=$(bash scripts/wine32.sh check)
  echo "=== 32-bit Windows programs run here: $wine32_mode"
  case "$wine32_mode" in
    native|qemu)
      run32=(bash scripts/wine32.sh run "$wine32_mode")
      test_suite "win32 product under Wine ($wine32_mode)" "${run32[@]}" -- --preset win32
      test_suite "win32 product under Wine as Windows XP ($wine32_mode)" \
        env MDB_WINE_VERSION=winxp "${run32[@]}" -- --preset win32 -L '^(startup|launch|ui)$'
      ;;
    *)
      echo "!!! THIS MACHINE CANNOT RUN 32-BIT WINDOWS PROGRAMS: the Wine tests run on the x64 build only"
      summary+=("!!! win32 product: NOT RUN under Wine (no i386 support, no usable qemu); x64 only")
      test_suite "win32 product, import check" -- --preset win32 -L '^imports$'
      ;;
  esac
fi
build win64 && test_suite "win64 build under Wine" -- --preset win64

ls -l build/win32/MdbSwitch.exe 2>/dev/null
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "total: $passed passed, $failed failed, $skips skipped"
exit $status
