#!/usr/bin/env bash
# Applies a 200 MiB, 5,000-file update with lumoraLaunch (under Wine, the whole program run:
# start-up, update, client start; the 32-bit build where the kernel runs 32-bit code, else the
# 64-bit one, TOLU_BENCH_ARCH=i686 or x86_64 chooses) and unpacks the same archive with Info-ZIP's
# `unzip -o` (native), into an empty folder and again over the files already there, best of three
# each. Beside them the file-creation floor: tools/file-floor creates the same files with the same
# sizes and nothing else, under the same Wine, into an empty folder on the same disk. The last line
# is `RESULT apply_vs_unzip=R floor_vs_apply=R`: unzip's and the floor's times over the launcher's
# into an empty folder (above 1: the launcher is faster).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
. "$here/tools/arch.sh"
ARCH=$(bench_arch)
bash "$here/tools/build.sh" >/dev/null
echo "[bench] measuring $(build_words "$ARCH")"
B=$BUILD/$ARCH
# TOLU_BENCH_DIR puts the archive and every output folder on another file system (e.g. a memory
# one under /dev/shm): on a disk, the moment's writeback moves each figure by up to two times.
work=${TOLU_BENCH_DIR:-$B}/bench-launcher
rm -rf "$work"
mkdir -p "$work"

echo "[bench] making the archive: 5,000 files, 200 MiB"
python3 - "$work/update.zip" <<'PY'
import random, sys, zipfile
rng = random.Random(7)
total, files = 200 * 1024 * 1024, 5000
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(4000)]
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    for i in range(files):
        size = total // files
        # Half text-like (compresses well), half random (does not): both paths of inflate.
        text = b" ".join(rng.choice(words) for _ in range(size // 10))[: size // 2]
        data = text + rng.randbytes(size - len(text))
        z.writestr("app/module%02d/file%04d.bin" % (i % 50, i), data)
PY
ls -l "$work/update.zip" | awk '{print "[bench] archive bytes: " $5}'

. "$B/wine-env.sh"
bash "$here/tools/wine-prefix.sh" start "$B" >/dev/null
trap 'bash "$here/tools/wine-prefix.sh" stop "$B"' EXIT
# The stand-in client the launcher starts at the end leaves again at once.
export LUMORA_STANDIN_ARGS="--lifetime=1 --no-window --no-lu --no-pevlib"

best() { sort -n | head -n1; }
winpath() { echo "Z:${1//\//\\}"; }
launcher_times=() unzip_times=() launcher_again=() unzip_again=() floor_times=()
for run in 1 2 3; do
  app=$work/app
  rm -rf "$app" && mkdir -p "$app"
  cp "$B/launcher/lumoraLaunch.exe" "$B/tools/standin-client/lumora.exe" "$work/update.zip" "$app/"
  sync
  t0=$(date +%s.%N)
  "$WINE" "$app/lumoraLaunch.exe" </dev/null >/dev/null 2>&1
  t1=$(date +%s.%N)
  [ -f "$app/update.zip" ] && { echo "update.zip left behind" >&2; exit 1; }
  count=$(find "$app/app" -type f | wc -l)
  [ "$count" = 5000 ] || { echo "launcher wrote $count files" >&2; exit 1; }
  launcher_times+=("$(echo "$t1 - $t0" | bc -l)")

  out=$work/unzip
  rm -rf "$out" && mkdir -p "$out"
  sync
  t0=$(date +%s.%N)
  unzip -o -q "$work/update.zip" -d "$out"
  t1=$(date +%s.%N)
  unzip_times+=("$(echo "$t1 - $t0" | bc -l)")

  floor=$work/floor
  rm -rf "$floor" && mkdir -p "$floor"
  sync
  t0=$(date +%s.%N)
  "$WINE" "$B/tools/file-floor/file_floor.exe" "$(winpath "$work/update.zip")" "$(winpath "$floor")" \
    </dev/null >/dev/null 2>&1
  t1=$(date +%s.%N)
  count=$(find "$floor" -type f | wc -l)
  [ "$count" = 5000 ] || { echo "the floor program wrote $count files" >&2; exit 1; }
  floor_times+=("$(echo "$t1 - $t0" | bc -l)")

  # The same update once more over the installed files: each one is replaced.
  cp "$work/update.zip" "$app/"
  t0=$(date +%s.%N)
  "$WINE" "$app/lumoraLaunch.exe" </dev/null >/dev/null 2>&1
  t1=$(date +%s.%N)
  launcher_again+=("$(echo "$t1 - $t0" | bc -l)")
  t0=$(date +%s.%N)
  unzip -o -q "$work/update.zip" -d "$out"
  t1=$(date +%s.%N)
  unzip_again+=("$(echo "$t1 - $t0" | bc -l)")
  printf '[bench] run %d: empty folder: launcher %.2f s, unzip %.2f s; over the files: launcher %.2f s, unzip %.2f s\n' \
    "$run" "${launcher_times[-1]}" "${unzip_times[-1]}" "${launcher_again[-1]}" "${unzip_again[-1]}"
  printf '[bench] run %d: empty folder: floor %.2f s\n' "$run" "${floor_times[-1]}"
done
lt=$(printf '%s\n' "${launcher_times[@]}" | best)
ut=$(printf '%s\n' "${unzip_times[@]}" | best)
la=$(printf '%s\n' "${launcher_again[@]}" | best)
ua=$(printf '%s\n' "${unzip_again[@]}" | best)
ft=$(printf '%s\n' "${floor_times[@]}" | best)
rm -rf "$work"
printf '[bench] best, empty folder: launcher %.2f s, unzip %.2f s\n' "$lt" "$ut"
printf '[bench] best, over the files: launcher %.2f s, unzip %.2f s (ratio %.2f)\n' "$la" "$ua" "$(echo "$ua / $la" | bc -l)"
printf '[bench] best, empty folder: floor %.2f s\n' "$ft"
printf 'RESULT apply_vs_unzip=%.2f floor_vs_apply=%.2f\n' "$(echo "$ut / $lt" | bc -l)" "$(echo "$ft / $lt" | bc -l)"
