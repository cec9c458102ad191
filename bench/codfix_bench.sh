#!/usr/bin/env bash
# codfix as a whole process on a product folder whose KVPROD.DBF has N records
# (1,000,000 by default, no memo) and a CODIGO narrower than KVITEM's PRODUTO, timed
# against copying the table file with cp in the same run. Goal: within 5 times the
# copy, with peak memory well below the table's size. The rebuilt table and index
# are checked with dbf-tool verify (not timed).
#
#   bench/codfix_bench.sh [BUILD_DIR] [N]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
n=${2:-1000000}
tool="$build/tools/dbf-tool/dbf-tool"
make_table="$build/bench/dbf/make_bench_table"
codfix="$(pwd)/$build/app/codfix"
ninja -C "$build" -j2 dbf-tool make_bench_table codfix >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seed" "$work/run"
"$make_table" "$work/seed/KVPROD.DBF" "$n"
"$tool" index "$work/seed/KVPROD.DBF" "$work/seed/KVPROD.NTX" "Codigo+Cliente+Fabric" >/dev/null
"$tool" create "$work/seed/KVITEM.DBF" PRODUTO:C:15,QTD:N:8:0 >/dev/null
size=$(stat -c %s "$work/seed/KVPROD.DBF")

fresh() {
  rm -rf "$work/run"
  cp -r "$work/seed" "$work/run"
  cat "$work/run/KVPROD.DBF" >/dev/null
  sync  # the copy's own writes are not left to compete with the step timed
}

. bench/measure.sh
measure_dir="$work/run"

read -r cp_s cp_cpu cp_kb < <(measure fresh cp KVPROD.DBF COPIA.DBF)
read -r run_s run_cpu run_kb < <(measure fresh "$codfix")
verdict=$(cd "$work/run" && "$(cd - >/dev/null; pwd)/$tool" verify KVPROD.DBF KVPROD.NTX | head -n 3)
width=$("$tool" info "$work/run/KVPROD.DBF" | awk '$1 == "CODIGO" { print $3 }')

echo "product table: $n records, $size bytes (best of 3 runs; cpu = user + system)"
printf "%-28s %7s s %6s x cp   cpu %6s s %6s x cp   %8s kB\n" "cp" "$cp_s" "1.0" "$cp_cpu" "1.0" "$cp_kb"
printf "%-28s %7s s %6s x cp   cpu %6s s %6s x cp   %8s kB\n" "codfix (rebuild to C(15))" \
  "$run_s" "$(ratio "$run_s" "$cp_s")" "$run_cpu" "$(ratio "$run_cpu" "$cp_cpu")" "$run_kb"
echo "CODIGO after the run: $width; verify: $verdict"
