#!/usr/bin/env bash
# Checks that every C and C++ file in the repository is laid out as
# .clang-format says, and that shellcheck finds nothing in any shell file;
# lists the files that are not and fails.
#   scripts/format-check.sh          check
#   scripts/format-check.sh --fix    rewrite the C and C++ files in place
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
format=$(command -v clang-format-14 || command -v clang-format) || {
  echo "format check: clang-format is not installed" >&2
  exit 1
}
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
bad=0
for file in "${files[@]}"; do
  if ! "$format" --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file"
    bad=$((bad + 1))
  fi
done
echo "format check: ${#files[@]} files, $bad not formatted"

# Shell files: *.sh, and any other file whose first line names a shell.
mapfile -t scripts < <({ git ls-files '*.sh'; git grep -lE '^#!.*[/ ](ba|da)?sh$'; } | sort -u)
command -v shellcheck >/dev/null || { echo "format check: shellcheck is not installed" >&2; exit 1; }
shellcheck "${scripts[@]}" || bad=$((bad + 1))
echo "shellcheck: ${#scripts[@]} shell files"
[ "$bad" -eq 0 ]
