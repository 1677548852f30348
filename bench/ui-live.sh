#!/usr/bin/env bash
# Live-window timings under Wine and Xvfb: building, laying out and first-painting windows of
# alternating labels and buttons (measured at n and 2n, best of three runs), and the repaint of
# one invalidated control against a full repaint in a 1,000-control window. The last line is
# the largest time ratio seen when the number of controls doubles.
#   bench/ui-live.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-live-bench/ui_live_bench.exe
on_wine_display "$@"
for n in 100 1000 5000; do
  measure "build, lay out and first-paint labels and buttons" first "$n"
done
one=$(best one 1000)
full=$(best full 1000)
echo "repaint in a 1,000-control window: one invalidated control ${one} ms, whole window ${full} ms"
echo "RESULT worst_growth=$worst"
