#!/usr/bin/env bash
# A rich edit under Wine and Xvfb: loading 1 MiB of text (1,048,576 characters in 64-character
# lines) with its paint, and typing 1,000 characters at its end as key messages, each with its
# paint (best of three runs each). Not part of worst_growth.
#   bench/ui-rich.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-rich-bench/ui_rich_bench.exe
on_wine_display "$@"
chars=1048576
typed=1000
load="" type=""
for _ in $(seq "$BEST_OF"); do
  read -r l t < <("$tree/wine-run.sh" "$BENCH" "$chars" "$typed" | tr -d '\r')
  if [ -z "$load" ] || awk -v a="$l" -v b="$load" 'BEGIN{exit !(a<b)}'; then load=$l; fi
  if [ -z "$type" ] || awk -v a="$t" -v b="$type" 'BEGIN{exit !(a<b)}'; then type=$t; fi
done
echo "rich edit: load $chars characters and paint: $load ms"
echo "rich edit: type $typed characters at the end, each painted: $type ms"
