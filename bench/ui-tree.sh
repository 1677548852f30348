#!/usr/bin/env bash
# A tree view of about n nodes three levels deep under Wine and Xvfb: building the window from
# a layout, expanding every node, collapsing the root and ticking the root's check box (which
# ticks every node), each with its layout and paint, for 1,000 and 10,000 nodes, each measured
# at n and 2n (best of three runs). The last line is the largest time ratio seen when the nodes
# double.
#   bench/ui-tree.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-tree-bench/ui_tree_bench.exe
on_wine_display "$@"
measure_each "1000 10000" \
  "build=tree window: create from the layout and paint (nodes)" \
  "expand=tree: expand every node and paint (nodes)" \
  "collapse=tree: collapse the root and paint (nodes)" \
  "check=tree: tick the root's check box (every node) and paint (nodes)"
echo "RESULT worst_growth=$worst"
