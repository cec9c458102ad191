#!/usr/bin/env bash
# Sets up, builds, makes a demo folder and runs codfix in it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" build
demo="$root/demo"
if [ -x "$root/build/app/codfix" ] && [ -x "$root/scripts/make-demo.sh" ]; then
  "$root/scripts/make-demo.sh" "$demo"
  cd "$demo"
  exec "$root/build/app/codfix"
fi
echo "codfix is not built yet; the libraries and tools built are in $root/build"
ls "$root/build/tools"/*/ 2>/dev/null || true
