#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the session reader with libFuzzer (clang), for SECONDS seconds (default 60),
# starting from a session saved by orbitra-render of BUILD (default build/) when there is
# one. Builds into build-fuzz/. Each input is checked in a child process first, as the
# program does: the fuzzer's process must never fail.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$here/build}"
out="$here/build-fuzz"
mkdir -p "$out/session-corpus"
if [ -x "$build/orbitra-render" ]; then
  (cd "$out" && "$build/orbitra-render" --map "Henon D-C Map" --from 0.1,0.1 --iterations 200 \
     --save-session session-corpus/henon.orbitra.h5 >/dev/null 2>&1 || true)
fi
clang++ -std=c++20 -O1 -g -ffp-contract=off -fsanitize=fuzzer,address,undefined -I"$here/src" \
  $(pkg-config --cflags hdf5) \
  "$here/tests/fuzz/session_file_fuzz.cpp" "$here/src/storage/session_reader.cpp" "$here/src/storage/session_hdf5.cpp" \
  "$here/src/storage/file_io.cpp" "$here/src/platform/isolated_call.cpp" "$here/src/platform/memory_budget.cpp" \
  $(pkg-config --libs hdf5) -o "$out/session_file_fuzz"
cd "$out"
./session_file_fuzz -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 session-corpus
