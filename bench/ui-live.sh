#!/usr/bin/env bash
# Live-window timings under Wine and Xvfb: building, laying out and first-painting windows of
# alternating labels and buttons (measured at n and 2n, best of three runs), and the repaint of
# one invalidated control against a full repaint in a 1,000-control window. The last line is
# the largest time ratio seen when the number of controls doubles.
#   bench/ui-live.sh   (builds first when needed)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
x64=$BUILD/x86_64
bench="$x64/tools/ui-live-bench/ui_live_bench.exe"
[ -x "$bench" ] || bash "$here/tools/build.sh"
export TOLU_HERE=$here TOLU_X64=$x64 TOLU_BENCH=$bench
# Windows need a display, and Wine's desktop keeps the display the prefix was started with.
bash "$here/tools/with-xvfb.sh" bash -c '
  set -euo pipefail
  bash "$TOLU_HERE/tools/wine-prefix.sh" start "$TOLU_X64"
  trap '"'"'bash "$TOLU_HERE/tools/wine-prefix.sh" stop "$TOLU_X64"'"'"' EXIT
  best() {  # best of three runs, in milliseconds
    local b="" t
    for _ in 1 2 3; do
      t=$("$TOLU_X64/wine-run.sh" "$TOLU_BENCH" "$1" "$2" | tr -d "\r")
      if [ -z "$b" ] || awk -v a="$t" -v b="$b" "BEGIN{exit !(a<b)}"; then b=$t; fi
    done
    echo "$b"
  }
  worst=0
  for n in 100 1000 5000; do
    a=$(best first "$n")
    b=$(best first $((n * 2)))
    r=$(awk -v a="$a" -v b="$b" "BEGIN{printf \"%.2f\", (a > 0 ? b / a : 0)}")
    echo "build, lay out and first-paint labels and buttons: n=$n ${a} ms, n=$((n * 2)) ${b} ms, ratio $r"
    worst=$(awk -v w="$worst" -v r="$r" "BEGIN{print (r > w ? r : w)}")
  done
  one=$(best one 1000)
  full=$(best full 1000)
  echo "repaint in a 1,000-control window: one invalidated control ${one} ms, whole window ${full} ms"
  echo "RESULT worst_growth=$worst"
' 2>&1 | grep -v "^\[xvfb\]"
