#!/usr/bin/env bash
# Sets up, builds, makes a demo folder and runs codfix in it.
#   scripts/demo.sh [DEMO_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=${1:-$root/demo}
"$root/scripts/build.sh" build
"$root/scripts/make-demo.sh" "$demo" "$root/build"
cd "$demo"
status=0
"$root/build/app/codfix" || status=$?
echo
echo "codfix ended with exit code $status. The folder now holds:"
(cd "$demo" && find . -type f | sort)
if [ -f "$demo/CODFIX.LOG" ]; then
  echo
  echo "CODFIX.LOG:"
  iconv -f CP850 -t UTF-8 "$demo/CODFIX.LOG" | tr -d '\r'
fi
exit $status
