#!/usr/bin/env bash
# The table benchmark: a table of N records (1,000,000 by default), timed against
# copying the same file with cp in the same run:
#   1. building an NTX on Codigo+Cliente+Fabric, and a CDX tag on the same key;
#   2. appending all its records into a new table with CODIGO widened to 15 that
#      has an (empty) index on that key attached; the index must be complete and
#      correct at the end (checked with dbf-tool verify, not timed).
# Prints seconds (best of 3 runs, to the millisecond), the ratio to cp and the
# peak memory (kB) of each step.
#
#   bench/table_bench.sh [BUILD_DIR] [N]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
n=${2:-1000000}
tool="$build/tools/dbf-tool/dbf-tool"
make_table="$build/bench/dbf/make_bench_table"
ninja -C "$build" -j2 dbf-tool make_bench_table >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_table" "$work/KVPROD.DBF" "$n"
size=$(stat -c %s "$work/KVPROD.DBF")
cat "$work/KVPROD.DBF" >/dev/null  # in the page cache for every step alike

. bench/measure.sh

nothing() { :; }
fresh_target() {
  rm -f "$work/NOVO.DBF" "$work/NOVO.NTX"
  "$tool" create "$work/NOVO.DBF" CODIGO:C:15,CLIENTE:C:6,FABRIC:C:4,DESCRICAO:C:40,PRECO:N:12:2,DATA:D,ATIVO:L
  "$tool" index "$work/NOVO.DBF" "$work/NOVO.NTX" "Codigo+Cliente+Fabric"
}

no_copy() { rm -f "$work/COPIA.DBF"; }
read -r cp_s cp_cpu cp_kb < <(measure no_copy cp "$work/KVPROD.DBF" "$work/COPIA.DBF")
read -r index_s index_cpu index_kb < <(measure nothing "$tool" index "$work/KVPROD.DBF" "$work/KVPROD.NTX" "Codigo+Cliente+Fabric")
no_cdx() { rm -f "$work/KVPROD.CDX"; }
read -r tag_s tag_cpu tag_kb < <(measure no_cdx "$tool" index "$work/KVPROD.DBF" "$work/KVPROD.CDX" \
  "Codigo+Cliente+Fabric" --tag CODIGO --driver DBFCDX)
read -r copy_s copy_cpu copy_kb < <(measure fresh_target "$tool" copy "$work/KVPROD.DBF" "$work/NOVO.DBF" "$work/NOVO.NTX")

verdict=$("$tool" verify "$work/NOVO.DBF" "$work/NOVO.NTX" | head -n 3)

echo "table: $n records, $size bytes (best of 3 runs; cpu = user + system)"
printf "%-32s %7s s %6s x cp   cpu %6s s %6s x cp   %8s kB\n" "cp" "$cp_s" "1.0" "$cp_cpu" "1.0" "$cp_kb"
printf "%-32s %7s s %6s x cp   cpu %6s s %6s x cp   %8s kB\n" "index on Codigo+Cliente+Fabric" \
  "$index_s" "$(ratio "$index_s" "$cp_s")" "$index_cpu" "$(ratio "$index_cpu" "$cp_cpu")" "$index_kb"
printf "%-32s %7s s %6s x cp   cpu %6s s %6s x cp   %8s kB\n" "CDX tag on the same key" \
  "$tag_s" "$(ratio "$tag_s" "$cp_s")" "$tag_cpu" "$(ratio "$tag_cpu" "$cp_cpu")" "$tag_kb"
printf "%-32s %7s s %6s x cp   cpu %6s s %6s x cp   %8s kB\n" "copy into CODIGO C(15) + index" \
  "$copy_s" "$(ratio "$copy_s" "$cp_s")" "$copy_cpu" "$(ratio "$copy_cpu" "$cp_cpu")" "$copy_kb"
echo "verify of the copy: $verdict"
