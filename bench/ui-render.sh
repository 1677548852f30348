#!/usr/bin/env bash
# Renderer timings under Wine: decoding and drawing PNG files, laying out and drawing a long
# marked-up paragraph. Each figure is measured at n and 2n (best of five runs); the last line
# is the largest time ratio seen when the input doubles.
#   bench/ui-render.sh   (builds first when needed)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
x64=$BUILD/x86_64
[ -x "$x64/tools/ui-render-bench/ui_render_bench.exe" ] || bash "$here/tools/build.sh"
bash "$here/tools/wine-prefix.sh" start "$x64"
trap 'bash "$here/tools/wine-prefix.sh" stop "$x64"' EXIT
bench="$x64/tools/ui-render-bench/ui_render_bench.exe"

best() {  # best of five runs, in milliseconds
  local b=""
  for _ in 1 2 3 4 5; do
    t=$("$x64/wine-run.sh" "$bench" "$1" "$2" | tr -d '\r')
    if [ -z "$b" ] || awk -v a="$t" -v b="$b" 'BEGIN{exit !(a<b)}'; then b=$t; fi
  done
  echo "$b"
}

worst=0
measure() {  # label kind n
  local a b r
  a=$(best "$2" "$3")
  b=$(best "$2" $(($3 * 2)))
  r=$(awk -v a="$a" -v b="$b" 'BEGIN{printf "%.2f", (a > 0 ? b / a : 0)}')
  echo "$1: n=$3 ${a} ms, n=$(($3 * 2)) ${b} ms, ratio $r"
  worst=$(awk -v w="$worst" -v r="$r" 'BEGIN{print (r > w ? r : w)}')
}

measure "decode and draw PNGs (96x96, nine-grid)" png 100
measure "lay out and draw a marked-up paragraph (phrases)" markup 1000
measure "lay out and draw a paragraph without tags (phrases)" plain 1000
echo "RESULT worst_growth=$worst"
