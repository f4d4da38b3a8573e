#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Submits a whole-plane picture of orbitra-render to Slurm: a job array with one task per
# tile, and a job that merges the tiles once every task has succeeded.
#
#   scripts/cluster/slurm-tiles.sh -n TILES -o FOLDER [-c CPUS] [-r RENDER] [-a 'SBATCH OPTIONS'] \
#       -- ORBITRA-RENDER OPTIONS (the map, --parameter-plane or --basins, --size, ...)
#
# FOLDER must be on a file system that every node sees. The tiles go to FOLDER/tile-I.txt,
# the logs to FOLDER/*.log, and the merged picture and export to FOLDER/picture.png and
# FOLDER/picture.dat. RENDER is the orbitra-render to run (default: the one beside this
# script's build folder); CPUS the cores of each task (its --threads), default 4.
set -euo pipefail

here="$(cd "$(dirname "$0")/../.." && pwd)"
tiles="" folder="" cpus=4 render="$here/build/orbitra-render" extra=""
while getopts "n:o:c:r:a:" option; do
  case "$option" in
    n) tiles="$OPTARG" ;;
    o) folder="$OPTARG" ;;
    c) cpus="$OPTARG" ;;
    r) render="$OPTARG" ;;
    a) extra="$OPTARG" ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ "${1:-}" = "--" ] && shift
if ! [[ "$tiles" =~ ^[1-9][0-9]*$ ]] || [ -z "$folder" ] || [ $# -eq 0 ]; then
  echo "usage: $0 -n TILES -o FOLDER [-c CPUS] [-r RENDER] [-a 'SBATCH OPTIONS'] -- ORBITRA-RENDER OPTIONS" >&2
  exit 2
fi
mkdir -p "$folder"
folder="$(cd "$folder" && pwd)"
options="$(printf ' %q' "$@")"

cat > "$folder/tile-job.sh" <<JOB
#!/usr/bin/env bash
exec $(printf '%q' "$render")$options --tile "\${SLURM_ARRAY_TASK_ID}/$tiles" \\
    --threads "\${SLURM_CPUS_PER_TASK:-$cpus}" --export $(printf '%q' "$folder")/tile-"\${SLURM_ARRAY_TASK_ID}".txt
JOB

cat > "$folder/merge-job.sh" <<JOB
#!/usr/bin/env bash
cd $(printf '%q' "$folder")
exec $(printf '%q' "$render") --merge-tiles tile-*.txt --png picture.png --export picture.dat
JOB

# shellcheck disable=SC2086  # the extra options are words for sbatch
# Names, cores and logs are given here rather than as #SBATCH lines, where a folder's name
# with a blank would not survive.
array="$(sbatch --parsable $extra --job-name=orbitra-tile --cpus-per-task="$cpus" --output="$folder/tile-%a.log" \
  --array=0-$((tiles - 1)) "$folder/tile-job.sh")"
array="${array%%;*}"
# shellcheck disable=SC2086
merge="$(sbatch --parsable $extra --job-name=orbitra-merge --output="$folder/merge.log" \
  --dependency=afterok:"$array" "$folder/merge-job.sh")"
echo "tiles: job array $array ($tiles tasks); merge: job ${merge%%;*} -> $folder/picture.png"
