#!/bin/sh
# ctest-counts.sh REPORT: "passed failed skipped" of one CTest JUnit report
# (ctest --output-junit), counted as CTest's own summary counts them: a test
# that could not run (no executable, a failed fixture) has failed; only one
# that skipped itself is skipped; a disabled test is not counted.
awk '
  /<testcase / { match($0, /status="[a-z]*"/); status = substr($0, RSTART + 8, RLENGTH - 9)
                 if (status == "run") passed++; else if (status == "fail") failed++
                 else if (status == "notrun") pending = 1
                 next }
  pending && /<skipped / { if (/message="SKIP_/) skipped++; else failed++; pending = 0 }
  END { print passed + 0, failed + 0, skipped + 0 }' "$1"
