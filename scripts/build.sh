#!/usr/bin/env bash
# Configures and builds into a build folder (default: build).
#   scripts/build.sh [BUILD_DIR] [extra cmake -D options...]
# CODFIX_SANITIZE=address,undefined selects a sanitizer build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
shift || true
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac
"$root/scripts/setup.sh"
extra=()
[ -n "${CODFIX_SANITIZE:-}" ] && extra+=(-DCODFIX_BENCH=OFF)
cmake -S "$root" -B "$dir" -G Ninja -DCODFIX_WERROR=ON -DCODFIX_STRICT=ON \
  -DCODFIX_SANITIZE="${CODFIX_SANITIZE:-}" "${extra[@]}" "$@" >/dev/null
ninja -C "$dir"
