#!/usr/bin/env bash
# A list of three-column text rows under Wine and Xvfb: building the window from a layout,
# first paint, selecting the last row, and paging to the end, for 1,000 and 10,000 rows, each
# measured at n and 2n (best of three runs). Then the cost of repainting after one selection
# change at 1,000 and 10,000 rows, which should not grow with the rows (only the band in view
# is painted). The last line is the largest time ratio seen when the rows double.
#   bench/ui-list.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-list-bench/ui_list_bench.exe
on_wine_display "$@"
for kind in build first select pages; do
  case $kind in
    build) label="list window: create from the layout" ;;
    first) label="list: first layout and paint" ;;
    select) label="list: select the last row from the top and paint (x10)" ;;
    pages) label="list: page down to the end, painting each page (x3)" ;;
  esac
  for n in 1000 10000; do
    measure "$label (rows)" "$kind" "$n"
  done
done
small=$(best repaint 1000)
large=$(best repaint 10000)
echo "list: one selection change and its repaint: 1,000 rows ${small} ms, 10,000 rows ${large} ms"
echo "RESULT worst_growth=$worst"
