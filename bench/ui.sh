#!/usr/bin/env bash
# UI framework timings under Wine. Each figure is measured at n and 2n (best of three runs) and
# the ratio shows whether the cost grows linearly; the last line is the largest ratio seen when
# an input doubles.
#   bench/ui.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-core-bench/ui_core_bench.exe

# ---- skin readers: layout documents and the skin zip ----
bash "$here/tools/wine-prefix.sh" start "$tree"
measure "parse a layout document and map every attribute (bytes)" xml 4194304
measure "1,000 look-ups with extraction in a skin zip (entries)" zip 1000
bash "$here/tools/wine-prefix.sh" stop "$tree"

# ---- renderer: decoding and drawing PNGs, laying out marked-up text ----
# Measured by bench/ui-render.sh; its figures are repeated here and its ratio joins ours.
fold_from ui-render.sh

# ---- live windows: building, first paint and repaint of many labels and buttons ----
# Measured by bench/ui-live.sh (it needs a display); its ratio joins ours.
fold_from ui-live.sh

# ---- skinned windows from layouts: the builder, and creation through the first paint ----
# Measured by bench/ui-layout.sh (it needs a display); its ratio joins ours.
fold_from ui-layout.sh

# ---- lists of many rows: building, painting, selecting, paging and one-row repaints ----
# Measured by bench/ui-list.sh (it needs a display); its ratio joins ours.
fold_from ui-list.sh

# ---- tree views of many nodes: building, expanding, collapsing and checking ----
# Measured by bench/ui-tree.sh (it needs a display); its ratio joins ours.
fold_from ui-tree.sh

echo "RESULT worst_growth=$worst"
