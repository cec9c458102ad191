#!/usr/bin/env bash
# Sets up, builds and runs every test.
#   scripts/test.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac
"$root/scripts/build.sh" "$dir"
cd "$dir"
ctest --output-on-failure -j2
