#!/usr/bin/env bash
# Prints how many shards of PAGES_PER_SHARD pages a run needs: the array size to submit.
#   DOC=labels.json DATA=products.csv PAGES_PER_SHARD=100 deploy/plan.sh
set -euo pipefail
: "${DOC:?DOC names the label design}"
: "${DATA:?DATA names the records}"
PAGES_PER_SHARD="${PAGES_PER_SHARD:-100}"
PLANORA="${PLANORA:-planora}"
pages=$("$PLANORA" info "$DOC" --data "$DATA" | sed -n 's/^Data: *[0-9]* records on \([0-9]*\) pages.*/\1/p')
if [ -z "$pages" ]; then echo "plan.sh: planora info did not report the pages" >&2; exit 1; fi
echo $(( (pages + PAGES_PER_SHARD - 1) / PAGES_PER_SHARD ))
