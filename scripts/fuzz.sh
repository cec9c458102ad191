#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a short time. Every file
# fuzz/NAME_fuzz.cpp is the target NAME_fuzz; a line "// Seeds: GLOB..." in it names
# seed files (globs from the repository root) copied into a fresh corpus first.
# A failing input is kept in fuzz-failures/.
#
#   scripts/fuzz.sh [BUILD_DIR]      FUZZ_SECONDS=20 by default, per target
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipped"
  exit 0
fi

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCODFIX_FUZZ=ON -DCODFIX_TESTS=OFF -DCODFIX_BENCH=OFF \
  -DCODFIX_SANITIZE=address,undefined \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null

targets=()
for src in fuzz/*_fuzz.cpp; do
  targets+=("$(basename "$src" .cpp)")
done
ninja -C "$build" -j2 "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for t in "${targets[@]}"; do
  corpus="$work/$t"
  mkdir -p "$corpus"
  seeds=$(sed -n 's|^// Seeds: ||p' "fuzz/$t.cpp")
  for pattern in $seeds; do
    for f in $pattern; do
      [ -f "$f" ] && cp "$f" "$corpus/" || true
    done
  done
  echo "fuzz: $t for ${seconds}s"
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="$work/$t-" "$corpus" >"$work/$t.log" 2>&1; then
    echo "fuzz: $t FAILED"
    tail -n 40 "$work/$t.log"
    mkdir -p fuzz-failures
    cp "$work/$t"-* fuzz-failures/ 2>/dev/null || true
    status=1
  else
    grep -E "^#[0-9]+.*DONE" "$work/$t.log" || tail -n 1 "$work/$t.log"
  fi
done
exit $status
