#!/usr/bin/env bash
# Runs one shard of a large label run: shard INDEX (from 0) covers PAGES_PER_SHARD pages of the
# whole run. Batch engines call it once per array index (Kubernetes indexed Jobs set
# JOB_COMPLETION_INDEX, Slurm arrays SLURM_ARRAY_TASK_ID); the shards put together, in index
# order, are the whole run page for page.
#
# Settings (environment):
#   DOC              the label design (.json or .eti)
#   DATA             the records (.csv or .json)
#   PAGES_PER_SHARD  pages per shard (default 100)
#   OUT_DIR          where export shards go (default ./out): OUT_DIR/shard-00000.pdf, ...
#   MODE             export (default) or print
#   PRINTER          the print queue for MODE=print (default: the first printer)
#   PLANORA          the planora command (default: planora on PATH)
#   INDEX            the shard (default: JOB_COMPLETION_INDEX or SLURM_ARRAY_TASK_ID)
set -euo pipefail

: "${DOC:?DOC names the label design}"
: "${DATA:?DATA names the records}"
PAGES_PER_SHARD="${PAGES_PER_SHARD:-100}"
OUT_DIR="${OUT_DIR:-out}"
MODE="${MODE:-export}"
PLANORA="${PLANORA:-planora}"
INDEX="${INDEX:-${JOB_COMPLETION_INDEX:-${SLURM_ARRAY_TASK_ID:-}}}"
: "${INDEX:?INDEX (or JOB_COMPLETION_INDEX / SLURM_ARRAY_TASK_ID) names the shard}"

case "$INDEX$PAGES_PER_SHARD" in
  *[!0-9]*) echo "shard.sh: INDEX and PAGES_PER_SHARD must be whole numbers" >&2; exit 2 ;;
esac
if [ "$PAGES_PER_SHARD" -lt 1 ]; then echo "shard.sh: PAGES_PER_SHARD must be at least 1" >&2; exit 2; fi

first=$(( INDEX * PAGES_PER_SHARD + 1 ))
last=$(( first + PAGES_PER_SHARD - 1 ))
case "$MODE" in
  export)
    mkdir -p "$OUT_DIR"
    out="$OUT_DIR/shard-$(printf '%05d' "$INDEX").pdf"
    exec "$PLANORA" export "$DOC" "$out" --data "$DATA" --pages "$first-$last"
    ;;
  print)
    if [ -n "${PRINTER:-}" ]; then
      exec "$PLANORA" print "$DOC" --data "$DATA" --pages "$first-$last" --printer "$PRINTER"
    fi
    exec "$PLANORA" print "$DOC" --data "$DATA" --pages "$first-$last"
    ;;
  *) echo "shard.sh: MODE is export or print, not $MODE" >&2; exit 2 ;;
esac
