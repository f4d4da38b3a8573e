#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the reader of "usermaps.txt" with libFuzzer (clang), for SECONDS seconds (default
# 60), starting from the maps of the README. Builds into build-fuzz/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
out="$here/build-fuzz"
mkdir -p "$out/corpus"
sed -n '/^    map Henon/,/^    end$/p' "$here/README.md" | sed 's/^    //' > "$out/corpus/readme-henon.txt"
clang++ -std=c++20 -O1 -g -ffp-contract=off -fsanitize=fuzzer,address,undefined -I"$here/src" \
  "$here/tests/fuzz/user_map_file_fuzz.cpp" "$here"/src/maps/*.cpp "$here/src/storage/user_map_file.cpp" \
  "$here/src/storage/text_format.cpp" "$here/src/storage/file_io.cpp" \
  $(pkg-config --libs muparser) -o "$out/user_map_file_fuzz"
cd "$out"
./user_map_file_fuzz -max_total_time="$seconds" -max_len=4096 corpus
