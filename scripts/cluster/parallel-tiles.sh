#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Computes a whole-plane picture of orbitra-render as tiles with GNU parallel, on this
# machine or on several over ssh, then merges them.
#
#   scripts/cluster/parallel-tiles.sh -n TILES -o FOLDER [-j JOBS] [-t THREADS] [-S HOSTS] [-r RENDER] \
#       -- ORBITRA-RENDER OPTIONS (the map, --parameter-plane or --basins, --size, ...)
#
# JOBS tiles run at a time on each machine (default 1), each with THREADS worker threads
# (default: one per core). HOSTS is GNU parallel's --sshlogin list ("node1,node2" or
# ":,node1" with this machine too); then FOLDER and RENDER must be at the same paths on
# every machine (a shared file system). The merged picture and export go to
# FOLDER/picture.png and FOLDER/picture.dat.
set -euo pipefail

here="$(cd "$(dirname "$0")/../.." && pwd)"
tiles="" folder="" jobs=1 threads=0 hosts="" render="$here/build/orbitra-render"
while getopts "n:o:j:t:S:r:" option; do
  case "$option" in
    n) tiles="$OPTARG" ;;
    o) folder="$OPTARG" ;;
    j) jobs="$OPTARG" ;;
    t) threads="$OPTARG" ;;
    S) hosts="$OPTARG" ;;
    r) render="$OPTARG" ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ "${1:-}" = "--" ] && shift
if ! [[ "$tiles" =~ ^[1-9][0-9]*$ ]] || [ -z "$folder" ] || [ $# -eq 0 ]; then
  echo "usage: $0 -n TILES -o FOLDER [-j JOBS] [-t THREADS] [-S HOSTS] [-r RENDER] -- ORBITRA-RENDER OPTIONS" >&2
  exit 2
fi
mkdir -p "$folder"
folder="$(cd "$folder" && pwd)"
threadOptions=()
[ "$threads" != 0 ] && threadOptions=(--threads "$threads")
remote=()
[ -n "$hosts" ] && remote=(--sshlogin "$hosts")

# -q quotes every word of the command for the shell (local or remote) that runs it.
seq 0 $((tiles - 1)) | parallel -q --halt now,fail=1 -j "$jobs" "${remote[@]}" \
  "$render" "$@" "${threadOptions[@]}" --tile "{}/$tiles" --export "$folder/tile-{}.txt"
"$render" --merge-tiles "$folder"/tile-*.txt --png "$folder/picture.png" --export "$folder/picture.dat"
echo "$folder/picture.png"
