#!/usr/bin/env bash
# Skinned windows from generated layouts under Wine and Xvfb: the layout builder alone, and
# creating the window through its first paint, for 100, 1,000 and 5,000 controls, each measured
# at n and 2n (best of three runs). The last line is the largest time ratio seen when the number
# of controls doubles.
#   bench/ui-layout.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-layout-bench/ui_layout_bench.exe
on_wine_display "$@"
for kind in build first; do
  case $kind in
    build) label="layout builder" ;;
    first) label="skinned window: create, lay out and first-paint" ;;
  esac
  for n in 100 1000 5000; do
    measure "$label" "$kind" "$n"
  done
done
echo "RESULT worst_growth=$worst"
