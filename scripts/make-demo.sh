#!/usr/bin/env bash
# Makes the demo folder for codfix (tables written by our own engine).
#   scripts/make-demo.sh FOLDER [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}
"$build/tools/codfix-demo/make-demo" "$1"
echo "Demo folder: $1"
echo "  KV.INI: direct layout, product folders under PRODUTOS"
echo "  PRODUTOS/LOJA1: CODIGO narrower than KVITEM's PRODUTO (rebuilt)"
echo "  PRODUTOS/LOJA2: the same width (left alone)"
echo "  PRODUTOS/LOJA3: wider (logged; you are asked)"
