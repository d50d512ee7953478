#!/usr/bin/env bash
# A Slurm job array that renders a large label run in shards, one array task per shard.
# Submit with the array size plan.sh prints (indices from 0):
#   n=$(DOC=labels.json DATA=products.csv PAGES_PER_SHARD=100 deploy/plan.sh)
#   sbatch --array=0-$((n - 1)) --export=ALL,DOC=labels.json,DATA=products.csv,PAGES_PER_SHARD=100 deploy/slurm-array.sh
# then put the shards together in order:  pdfunite out/shard-*.pdf whole.pdf
#SBATCH --job-name=planora-labels
#SBATCH --cpus-per-task=1
#SBATCH --mem=512M
#SBATCH --time=00:30:00
#SBATCH --output=planora-%A_%a.log
set -euo pipefail
exec "$(dirname "$0")/shard.sh"
