#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the reader of grid tiles with libFuzzer (clang), for SECONDS seconds (default 60),
# starting from a tile written by orbitra-render of BUILD (default build/) when there is one.
# Builds into build-fuzz/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$here/build}"
out="$here/build-fuzz"
mkdir -p "$out/tile-corpus"
if [ -x "$build/orbitra-render" ]; then
  (cd "$out" && "$build/orbitra-render" --map "Henon D-C Map" --parameter-plane k1=1:1.4,k2=0.2:0.3 \
     --size 120x90 --tile 1/3 --export tile-corpus/tile.txt >/dev/null 2>&1 || true)
fi
clang++ -std=c++20 -O1 -g -ffp-contract=off -fsanitize=fuzzer,address,undefined -I"$here/src" \
  "$here/tests/fuzz/grid_tile_fuzz.cpp" "$here/src/storage/grid_files.cpp" "$here/src/storage/replacement_file.cpp" \
  "$here/src/storage/text_format.cpp" "$here/src/storage/file_io.cpp" "$here/src/analysis/attractor_labels.cpp" \
  "$here/src/analysis/grid_values.cpp" -o "$out/grid_tile_fuzz"
cd "$out"
./grid_tile_fuzz -max_total_time="$seconds" -max_len=16384 tile-corpus
