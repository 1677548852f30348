#!/usr/bin/env bash
# UI framework timings under Wine. Each figure is measured at n and 2n (best of three runs) and
# the ratio shows whether the cost grows linearly; the last line is the largest ratio seen when
# an input doubles.
#   bench/ui.sh   (builds first when needed)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
x64=$BUILD/x86_64
core="$x64/tools/ui-core-bench/ui_core_bench.exe"
[ -x "$core" ] || bash "$here/tools/build.sh"

worst=0
fold() {  # keeps the largest ratio
  worst=$(awk -v w="$worst" -v r="$1" 'BEGIN{print (r > w ? r : w)}')
}

# ---- skin readers: layout documents and the skin zip ----
bash "$here/tools/wine-prefix.sh" start "$x64"
best() {  # best of three runs, in milliseconds
  local b="" t
  for _ in 1 2 3; do
    t=$("$x64/wine-run.sh" "$core" "$1" "$2" | tr -d '\r')
    if [ -z "$b" ] || awk -v a="$t" -v b="$b" 'BEGIN{exit !(a<b)}'; then b=$t; fi
  done
  echo "$b"
}
measure() {  # label kind n
  local a b r
  a=$(best "$2" "$3")
  b=$(best "$2" $(($3 * 2)))
  r=$(awk -v a="$a" -v b="$b" 'BEGIN{printf "%.2f", (a > 0 ? b / a : 0)}')
  echo "$1: n=$3 ${a} ms, n=$(($3 * 2)) ${b} ms, ratio $r"
  fold "$r"
}
measure "parse a layout document and map every attribute (bytes)" xml 4194304
measure "1,000 look-ups with extraction in a skin zip (entries)" zip 1000
bash "$here/tools/wine-prefix.sh" stop "$x64"

# ---- renderer: decoding and drawing PNGs, laying out marked-up text ----
# Measured by bench/ui-render.sh; its figures are repeated here and its ratio joins ours.
if [ -x "$here/bench/ui-render.sh" ] || [ -f "$here/bench/ui-render.sh" ]; then
  while IFS= read -r line; do
    case "$line" in
      "RESULT worst_growth="*) fold "${line#RESULT worst_growth=}" ;;
      *) echo "$line" ;;
    esac
  done < <(bash "$here/bench/ui-render.sh")
fi

# ---- live windows: building, first paint and repaint of many labels and buttons ----
# Measured by bench/ui-live.sh (it needs a display); its ratio joins ours.
while IFS= read -r line; do
  case "$line" in
    "RESULT worst_growth="*) fold "${line#RESULT worst_growth=}" ;;
    *) echo "$line" ;;
  esac
done < <(bash "$here/bench/ui-live.sh")

# ---- skinned windows from layouts: the builder, and creation through the first paint ----
# Measured by bench/ui-layout.sh (it needs a display); its ratio joins ours.
while IFS= read -r line; do
  case "$line" in
    "RESULT worst_growth="*) fold "${line#RESULT worst_growth=}" ;;
    *) echo "$line" ;;
  esac
done < <(bash "$here/bench/ui-layout.sh")

echo "RESULT worst_growth=$worst"
