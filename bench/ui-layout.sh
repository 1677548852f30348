#!/usr/bin/env bash
# Skinned windows from generated layouts under Wine and Xvfb: the layout builder alone, and
# creating the window through its first paint, for 100, 1,000 and 5,000 controls, each measured
# at n and 2n (best of three runs). The last line is the largest time ratio seen when the number
# of controls doubles.
#   bench/ui-layout.sh   (builds first when needed)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
x64=$BUILD/x86_64
bench="$x64/tools/ui-layout-bench/ui_layout_bench.exe"
[ -x "$bench" ] || bash "$here/tools/build.sh"
export TOLU_HERE=$here TOLU_X64=$x64 TOLU_BENCH=$bench
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
  for kind in build first; do
    case $kind in
      build) label="layout builder" ;;
      first) label="skinned window: create, lay out and first-paint" ;;
    esac
    for n in 100 1000 5000; do
      a=$(best "$kind" "$n")
      b=$(best "$kind" $((n * 2)))
      r=$(awk -v a="$a" -v b="$b" "BEGIN{printf \"%.2f\", (a > 0 ? b / a : 0)}")
      echo "$label: n=$n ${a} ms, n=$((n * 2)) ${b} ms, ratio $r"
      worst=$(awk -v w="$worst" -v r="$r" "BEGIN{print (r > w ? r : w)}")
    done
  done
  echo "RESULT worst_growth=$worst"
' 2>&1 | grep -v "^\[xvfb\]"
