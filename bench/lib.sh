# Sourced by the UI benchmarks (not run by itself): the build tree measured, the bench program
# (built first when it is missing), and timings of one input at n and 2n. The build is the 32-bit
# one (i686) where the kernel runs 32-bit code, else the 64-bit one; TOLU_BENCH_ARCH=i686 or
# x86_64 chooses. The first benchmark of a run says which build it measures.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$here/tools/arch.sh"
BUILD=${TOLU_BUILD:-$here/build}
TOLU_BENCH_ARCH=$(bench_arch) || exit 1
export TOLU_BENCH_ARCH
tree=$BUILD/$TOLU_BENCH_ARCH
if [ -z "${TOLU_BENCH_SAID:-}" ]; then
  echo "[bench] measuring $(build_words "$TOLU_BENCH_ARCH")"
  export TOLU_BENCH_SAID=1
fi
BEST_OF=3
worst=0

# bench_program PATH: sets BENCH to PATH under the measured build's tools/, building it if needed.
bench_program() {
  BENCH=$tree/tools/$1
  [ -x "$BENCH" ] || bash "$here/tools/build.sh"
}

# Runs the calling script again on an X display and Wine prefix of its own, unless it is already
# on them, and ends with it. Windows need a display, and Wine's desktop keeps the display the
# prefix was started with.
on_wine_display() {
  [ "${TOLU_WINE_BUILD:-}" = "$(realpath -m "$tree")" ] && return 0
  export TOLU_BUILD=$BUILD
  bash "$here/tools/with-wine.sh" "$tree" bash "$0" "$@" 2>&1 | grep -v '^\[xvfb\]'
  exit 0
}

# best KIND N: the lowest of BEST_OF times of the bench program, in milliseconds.
best() {
  local b="" t
  for _ in $(seq "$BEST_OF"); do
    t=$("$tree/wine-run.sh" "$BENCH" "$1" "$2" | tr -d '\r')
    if [ -z "$b" ] || awk -v a="$t" -v b="$b" 'BEGIN{exit !(a<b)}'; then b=$t; fi
  done
  echo "$b"
}

# fold R: keeps the largest ratio seen in worst.
fold() {
  worst=$(awk -v w="$worst" -v r="$1" 'BEGIN{print (r > w ? r : w)}')
}

# measure LABEL KIND N: times KIND at N and 2N, prints both with their ratio and folds it.
measure() {
  local a b r
  a=$(best "$2" "$3")
  b=$(best "$2" $(($3 * 2)))
  r=$(awk -v a="$a" -v b="$b" 'BEGIN{printf "%.2f", (a > 0 ? b / a : 0)}')
  echo "$1: n=$3 ${a} ms, n=$(($3 * 2)) ${b} ms, ratio $r"
  fold "$r"
}

# measure_each "N..." KIND=LABEL...: measures each KIND, in the order given, at every N of
# the first argument, under its label.
measure_each() {
  local sizes=$1 pair n
  shift
  for pair in "$@"; do
    for n in $sizes; do
      measure "${pair#*=}" "${pair%%=*}" "$n"
    done
  done
}

# fold_from SCRIPT: runs another benchmark of bench/, repeats its lines and folds its ratio.
fold_from() {
  local line
  while IFS= read -r line; do
    case "$line" in
      "RESULT worst_growth="*) fold "${line#RESULT worst_growth=}" ;;
      *) echo "$line" ;;
    esac
  done < <(bash "$here/bench/$1")
}
