# shellcheck shell=bash
# What every script shares, sourced from the repository's root: the one way
# to build a preset, and the Wine session (wine/wine.sh: the Wine loader of
# each architecture, the Windows form of a path, the session itself).

# shellcheck source=scripts/wine/wine.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine/wine.sh"

# build_preset [-B DIR] PRESET [TARGET...]: configures PRESET and builds the
# targets named (all without any), with a job for each core. The tree is the
# preset's own folder, or DIR: a script that must not disturb the tree the
# tests use builds its own copy. Fails when either step fails.
build_preset() {
  local dir=
  if [ "${1:-}" = -B ]; then
    dir=$2
    shift 2
  fi
  local preset=$1 jobs elsewhere=() tree targets=()
  shift
  jobs=$(nproc 2>/dev/null || echo 2)
  tree=(--preset "$preset")
  if [ -n "$dir" ]; then
    elsewhere=(-B "$dir")
    tree=("$dir")
  fi
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --preset "$preset" "${elsewhere[@]}" && cmake --build "${tree[@]}" -j"$jobs" "${targets[@]}"
}
