#!/usr/bin/env bash
# Renderer timings under Wine: decoding and drawing PNG files, laying out and drawing a long
# marked-up paragraph. Each figure is measured at n and 2n (best of five runs); the last line
# is the largest time ratio seen when the input doubles.
#   bench/ui-render.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
BEST_OF=5
bench_program ui-render-bench/ui_render_bench.exe
bash "$here/tools/wine-prefix.sh" start "$tree"
trap 'bash "$here/tools/wine-prefix.sh" stop "$tree"' EXIT

measure "decode and draw PNGs (96x96, nine-grid)" png 100
measure "lay out and draw a marked-up paragraph (phrases)" markup 1000
measure "lay out and draw a paragraph without tags (phrases)" plain 1000
echo "RESULT worst_growth=$worst"
