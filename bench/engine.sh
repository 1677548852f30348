#!/usr/bin/env bash
# Benchmark of the download engine under Wine against a loopback nginx (the 32-bit build where the
# kernel runs 32-bit code, else the 64-bit one; TOLU_BENCH_ARCH=i686 or x86_64 chooses):
#   - 256 MiB end to end (probe to a verified "update.zip" in place), split into transfer, join
#     and MD5, against curl then md5sum, and against aria2c -x4 with its own MD5 check
#   - the engine's MD5 of that file alone against md5sum, and the engine's transfer alone (the
#     same four ranges into part files, no digest, no join): the end to end time is set against
#     the larger of the two
#   - the engine's peak memory for a 1 GiB file
#   - 64 MiB with nginx limiting each connection to 10 MB/s, against curl under the same limit
# Each timing is the best of a few runs. Ratios are the reference's time divided by ours (higher
# is better). The last line is the summary:
#   RESULT vs_curl_md5sum=R vs_aria2c=R md5_vs_md5sum=R limited_speedup=R peak_mib=N
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
RUNS=${BENCH_RUNS:-3}
. "$here/tools/arch.sh"
ARCH=$(bench_arch)

echo "[bench] building"
bash "$here/tools/build.sh" >/dev/null
echo "[bench] measuring $(build_words "$ARCH")"
BENCH_EXE=$BUILD/$ARCH/tools/engine-bench/engine_bench.exe
WINE_RUN=$BUILD/$ARCH/wine-run.sh
for tool in curl md5sum aria2c nginx python3; do
  command -v "$tool" >/dev/null || { echo "[bench] missing $tool (tools/setup.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tolu-bench.XXXXXX)
cleanup() {
  for d in big huge limited; do
    [ -d "$work/$d" ] && bash "$here/tools/httpserver/nginx.sh" stop "$work/$d" || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

MIB=$((1024 * 1024))
echo "[bench] starting nginx (256 MiB, 1 GiB, and 64 MiB at 10 MB/s per connection)"
bash "$here/tools/httpserver/nginx.sh" start "$work/big" $((256 * MIB)) >/dev/null
bash "$here/tools/httpserver/nginx.sh" start "$work/huge" $((1024 * MIB)) >/dev/null
bash "$here/tools/httpserver/nginx.sh" start "$work/limited" $((64 * MIB)) >/dev/null
url() { echo "127.0.0.1:$(cat "$work/$1/port")"; }

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", b - a }'; }
best() { sort -g | head -n1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# One engine download in a folder of its own (the updater folder); prints its result line.
engine_run() {  # server path
  local dir=$work/run-$1
  mkdir -p "$dir"
  cp "$BENCH_EXE" "$dir/"
  rm -f "$dir"/update.*
  "$WINE_RUN" "$dir/engine_bench.exe" download "$(url "$1")" "$2" "$(cat "$work/$1/md5")" 2>/dev/null |
    grep '^result=' || true
}
# A value from a "name=value ..." line (Windows programs end their lines with CR LF).
field() { tr -d '\r' | sed -n "s/.*\b$1=\([^ ]*\).*/\1/p"; }

# Let Wine's services start before anything is timed.
"$WINE_RUN" "$BENCH_EXE" md5 "Z:$BENCH_EXE" >/dev/null 2>&1 || true

echo "[bench] engine, 256 MiB"
eng_lines=""
for _ in $(seq "$RUNS"); do
  line=$(engine_run big /u.zip)
  [ "$(echo "$line" | field result)" = 1 ] || { echo "[bench] engine download failed: $line" >&2; exit 1; }
  eng_lines+="$line"$'\n'
done
eng_best=$(echo -n "$eng_lines" | while read -r l; do echo "$(echo "$l" | field total) $l"; done | sort -g | head -n1 |
  cut -d' ' -f2-)
eng_total=$(echo "$eng_best" | field total)

echo "[bench] engine transfer alone, 256 MiB"
xfer_dir=$work/run-xfer
mkdir -p "$xfer_dir"
cp "$BENCH_EXE" "$xfer_dir/"
eng_xfer=$(for _ in $(seq "$RUNS"); do
  rm -f "$xfer_dir"/update.*
  line=$("$WINE_RUN" "$xfer_dir/engine_bench.exe" transfer "$(url big)" /u.zip 2>/dev/null | tr -d '\r')
  [ "$(echo "$line" | field transferred)" = 1 ] || { echo "[bench] transfer alone failed: $line" >&2; exit 1; }
  echo "$line" | field seconds; done | best)
rm -rf "$xfer_dir"

echo "[bench] curl + md5sum, 256 MiB"
curl_md5=$(for _ in $(seq "$RUNS"); do
  t0=$(now); curl -s -o "$work/curl.bin" "http://$(url big)/u.zip"; md5sum "$work/curl.bin" >/dev/null; t1=$(now)
  elapsed "$t0" "$t1"; done | best)

echo "[bench] aria2c -x4 -s4 with its MD5 check, 256 MiB"
aria=$(for _ in $(seq 2); do
  rm -f "$work/aria.bin"
  t0=$(now)
  aria2c -q -x4 -s4 --checksum=md5="$(cat "$work/big/md5")" --allow-overwrite=true --auto-file-renaming=false \
    --file-allocation=none -d "$work" -o aria.bin "http://$(url big)/u.zip"
  t1=$(now); elapsed "$t0" "$t1"; done | best)

echo "[bench] MD5 alone, 256 MiB"
zip=$work/run-big/update.zip
eng_md5=$(for _ in $(seq "$RUNS"); do "$WINE_RUN" "$BENCH_EXE" md5 "Z:$zip" 2>/dev/null | field seconds; done | best)
sys_md5=$(for _ in $(seq "$RUNS"); do t0=$(now); md5sum "$zip" >/dev/null; t1=$(now); elapsed "$t0" "$t1"; done | best)

echo "[bench] engine peak memory, 1 GiB"
huge_line=$(engine_run huge /u.zip)
[ "$(echo "$huge_line" | field result)" = 1 ] || { echo "[bench] 1 GiB download failed: $huge_line" >&2; exit 1; }
rm -rf "$work/run-huge"
peak=$(echo "$huge_line" | field peak_mib)

echo "[bench] 10 MB/s per connection, 64 MiB"
lim_line=$(engine_run limited /limited/u.zip)
[ "$(echo "$lim_line" | field result)" = 1 ] || { echo "[bench] limited download failed: $lim_line" >&2; exit 1; }
lim_eng=$(echo "$lim_line" | field total)
t0=$(now); curl -s -o "$work/curl-limited.bin" "http://$(url limited)/limited/u.zip"; t1=$(now)
lim_curl=$(elapsed "$t0" "$t1")

printf '\n%-44s %10s\n' "256 MiB, end to end" "seconds"
printf '%-44s %10.3f   (transfer %s, join %s, MD5 %s)\n' "engine (4 ranges)" "$eng_total" \
  "$(echo "$eng_best" | field transfer)" "$(echo "$eng_best" | field join)" "$(echo "$eng_best" | field md5)"
printf '%-44s %10.3f\n' "curl, then md5sum" "$curl_md5"
printf '%-44s %10.3f\n' "aria2c -x4 -s4 --checksum=md5" "$aria"
printf '%-44s %10.3f\n' "engine MD5 of the file" "$eng_md5"
printf '%-44s %10.3f\n' "md5sum of the file" "$sys_md5"
printf '%-44s %10.3f\n' "engine transfer alone (4 ranges, no MD5)" "$eng_xfer"
bound=$(awk -v a="$eng_xfer" -v b="$eng_md5" 'BEGIN { printf "%.3f", (a > b ? a : b) }')
printf '%-44s %10s   (end to end %.3f over %s)\n' "end to end / max(transfer alone, engine MD5)" \
  "$(ratio "$eng_total" "$bound")" "$eng_total" "$bound"
printf '%-44s %10s\n' "engine peak memory, 1 GiB (MiB)" "$peak"
printf '%-44s %10.3f\n' "64 MiB at 10 MB/s per connection: engine" "$lim_eng"
printf '%-44s %10.3f\n' "64 MiB at 10 MB/s per connection: curl" "$lim_curl"
echo
printf 'RESULT vs_curl_md5sum=%s vs_aria2c=%s md5_vs_md5sum=%s limited_speedup=%s peak_mib=%.0f\n' \
  "$(ratio "$curl_md5" "$eng_total")" "$(ratio "$aria" "$eng_total")" "$(ratio "$sys_md5" "$eng_md5")" \
  "$(ratio "$lim_curl" "$lim_eng")" "$peak"
