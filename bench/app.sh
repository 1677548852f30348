#!/usr/bin/env bash
# The updater program as the client runs it (under Wine, in a Wine prefix of its own on an Xvfb
# display of its own; the 32-bit build where the kernel runs 32-bit code, else the 64-bit one,
# TOLU_BENCH_ARCH=i686 or x86_64 chooses), against nginx on 127.0.0.1:
#   - start to the progress window visible in its corner (a normal job; median of 5 warm starts)
#   - a whole forced update of a 64 MiB zip of many files, from the start of the updater to the
#     program it starts after the install, against curl + md5sum + unzip -o doing the same work
#     natively (median of 3 each)
#   - the updater's peak working set during that update
#   - the unpacking library alone (tools/unpack-driver: loads zlib.dll, one ExtractZipToDir of the
#     same zip into an empty folder) beside tools/file-floor, which only creates the zip's files
#     with their sizes, in the same folder kind; whole processes, best of 3 each
# The notice and the update-complete window are answered at once by tools/app-bench. The updater's
# fixed waits are taken from its log and shown apart, so our own cost shows.
# The last line is: RESULT start_ms=N update_vs_tools=R peak_mib=N own_vs_tools=R
# start_ms is the slowest of the 5 warm starts (each must stay short, not only the middle one);
# own_vs_tools leaves those fixed waits out of the updater's time.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
. "$here/tools/arch.sh"
TOLU_BENCH_ARCH=$(bench_arch)
export TOLU_BENCH_ARCH
B=$BUILD/$TOLU_BENCH_ARCH
work=$B/bench-app

if [ "${TOLU_WINE_BUILD:-}" != "$(realpath -m "$work")" ]; then
  echo "[bench] building"
  TOLU_BUILD=$BUILD bash "$here/tools/build.sh" >/dev/null
  echo "[bench] measuring $(build_words "$TOLU_BENCH_ARCH")"
  for tool in curl md5sum unzip nginx Xvfb bc; do
    command -v "$tool" >/dev/null || { echo "[bench] missing $tool (tools/setup.sh installs it)" >&2; exit 1; }
  done
  # Windows need a display; the prefix keeps the display it was started with, so both are ours.
  mkdir -p "$work"
  # The build's Wine settings with a prefix of the benchmark's own.
  sed "s|^export WINEPREFIX='[^']*'|export WINEPREFIX='$work/wineprefix'|" "$B/wine-env.sh" >"$work/wine-env.sh"
  exec bash "$here/tools/with-wine.sh" "$work" bash "$0" "$@"
fi

PY=/usr/bin/python3
HELPER=$B/tools/app-bench/app_bench.exe
rm -rf "$work/root" "$work/web" "$work/tools" "$work/runs"
mkdir -p "$work/runs" "$work/tools"
. "$work/wine-env.sh"
cleanup() { bash "$here/tools/httpserver/nginx.sh" stop "$work/web" >/dev/null 2>&1 || true; }
trap cleanup EXIT
echo "[bench] Wine prefix $WINEPREFIX"
# Windows live on a Wine desktop: on a bare X display without a window manager, Wine waits 2 s
# for a manager's answer each time a shown window is hidden or destroyed, a wait no Windows
# desktop has (the updater hides its progress window once after creating it, and the notice
# and the update-complete window are destroyed on the way). The prefix reads it when it starts.
if [ ! -f "$WINEPREFIX/.tolu-desktop" ]; then
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f </dev/null >/dev/null 2>&1
  bash "$here/tools/wine-prefix.sh" stop "$work"
  bash "$here/tools/wine-prefix.sh" start "$work" >/dev/null
  touch "$WINEPREFIX/.tolu-desktop"
fi

echo "[bench] making the update: a 64 MiB zip of many files"
$PY - "$work/web-app.zip" <<'PY'
import random, sys, zipfile
rng = random.Random(11)
target, size = 64 * 1024 * 1024, 64 * 1024
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(3000)]
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    i = 0
    # A quarter of each file is text-like (it shrinks), the rest random (it does not).
    while z.fp.tell() < target - size:
        text = b" ".join(rng.choice(words) for _ in range(size // 6))[: size // 4]
        z.writestr("data/pack%02d/file%04d.bin" % (i % 40, i), text + rng.randbytes(size - len(text)))
        i += 1
PY
zip_bytes=$(stat -c %s "$work/web-app.zip")
zip_files=$(unzip -Z1 "$work/web-app.zip" | wc -l)
zip_md5=$(md5sum "$work/web-app.zip" | cut -d' ' -f1)
echo "[bench] archive: $zip_bytes bytes, $zip_files files"

bash "$here/tools/httpserver/nginx.sh" start "$work/web" 4096 >/dev/null
mv "$work/web-app.zip" "$work/web/www/app.zip"
host=127.0.0.1:$(cat "$work/web/port")

# The client folder as a classroom PC has it; the client itself is not running, so the notice
# has no owner and nothing needs stopping.
root=$work/root
client=$root/Client
mkdir -p "$client/temp"
cat >"$client/ProductConfig.xml" <<XML
<Product><ProgName>benchClient.exe</ProgName><LaunchName>benchLaunch.exe</LaunchName><CacheName>benchClient</CacheName></Product>
XML
cp "$B/tools/standin-client/lumora.exe" "$client/benchClient.exe"
cp "$B/tools/launch-target/launch_target.exe" "$client/benchLaunch.exe"
cp "$B/tools/bare-window/bare_window.exe" "$client/bareWindow.exe"
cp "$B/updater/toluUpdater.exe" "$client/temp/Updater.exe"
cp "$B/updater/zlib.dll" "$client/temp/zlib.dll"
win() { echo "Z:${1//\//\\}"; }
logdir=$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/toluUpdater

# One updater run through the helper; its "name=value" lines go to the given file.
run() {  # out zip-size record args
  rm -rf "$logdir"
  "$WINE" "$HELPER" "$(win "$client/temp/Updater.exe")" "$(win "$client/temp/update.zip")" "$2" "$3" "$4" \
    </dev/null 2>/dev/null | tr -d '\r' >"$1"
  cat "$logdir"/*.log >"$1.log" 2>/dev/null || true
  rm -f "$client/temp/update.zip"
}

echo "[bench] start to the progress window (normal job, 1 + 5 runs)"
small="-url=http://$host/u.zip -md5=$(cat "$work/web/md5") -pagecallparam=bench"
for i in 0 1 2 3 4 5; do
  run "$work/runs/start$i" 0 - "$small"
  grep -q '^exit_code=0$' "$work/runs/start$i" || { echo "[bench] updater start failed:" >&2; cat "$work/runs/start$i" >&2; exit 1; }
done

# For scale: a program that only writes its command line and ends, started the same way.
echo "[bench] a bare program's start (5 runs)"
export TOLU_LAUNCH_RECORD
for i in 1 2 3 4 5; do
  rm -f "$root/bare.txt"
  TOLU_LAUNCH_RECORD=$(win "$root/bare.txt") "$WINE" "$HELPER" "$(win "$client/benchLaunch.exe")" - 0 \
    "$(win "$root/bare.txt")" bare </dev/null 2>/dev/null | tr -d '\r' >"$work/runs/bare$i"
done
echo "[bench] a bare window program's start (5 runs)"
for i in 1 2 3 4 5; do
  rm -f "$root/barewin.txt"
  TOLU_LAUNCH_RECORD=$(win "$root/barewin.txt") "$WINE" "$HELPER" "$(win "$client/bareWindow.exe")" - 0 \
    "$(win "$root/barewin.txt")" bare </dev/null 2>/dev/null | tr -d '\r' >"$work/runs/barewin$i"
done

echo "[bench] forced update, 3 runs each: updater, then curl + md5sum + unzip -o"
target=$root/target
record=$root/launched.txt
TOLU_LAUNCH_RECORD=$(win "$record")
forced="-url=http://$host/app.zip -md5=$zip_md5 -forcedupdate=1 -extractpath=\"$(win "$target")\" -clientexe=\"$(win "$client/benchLaunch.exe")\" -pagecallparam=bench"
for i in 1 2 3; do
  rm -rf "$target" "$record"
  mkdir -p "$target"
  sync
  run "$work/runs/forced$i" "$zip_bytes" "$(win "$record")" "$forced"
  grep -q '^exit_code=0$' "$work/runs/forced$i" || { echo "[bench] forced update failed:" >&2; cat "$work/runs/forced$i" "$work/runs/forced$i.log" >&2; exit 1; }
  got=$(find "$target" -type f | wc -l)
  [ "$got" = "$zip_files" ] || { echo "[bench] the updater unpacked $got of $zip_files files" >&2; exit 1; }
  # The updater can end before the program it started has written its record, and the helper
  # stops looking when the updater ends: the record's own time then stands in for its figure.
  for _ in $(seq 100); do [ -s "$record" ] && break; sleep 0.1; done
  grep -q bench "$record" || { echo "[bench] the program was not started with its parameter" >&2; exit 1; }
  echo "program_file_s=$(stat -c %.3Y "$record")" >>"$work/runs/forced$i"

  out=$work/tools/out
  rm -rf "$out" "$work/tools/app.zip"
  mkdir -p "$out"
  sync
  t0=$(date +%s.%N)
  curl -s -f -o "$work/tools/app.zip" "http://$host/app.zip"
  sum=$(md5sum "$work/tools/app.zip" | cut -d' ' -f1)
  [ "$sum" = "$zip_md5" ] || { echo "[bench] curl's copy differs" >&2; exit 1; }
  unzip -o -q "$work/tools/app.zip" -d "$out"
  t1=$(date +%s.%N)
  echo "tools=$(echo "($t1 - $t0) * 1000" | bc -l)" >"$work/runs/tools$i"
done

# The unpacking on its own, against the floor of creating the same files; both start from an
# empty folder below the same root as the updater's target.
echo "[bench] unpacking alone, 3 runs each: the stand-in zlib.dll, then the file-creation floor"
DRIVER=$B/tools/unpack-driver/unpack_driver.exe
FLOOR=$B/tools/file-floor/file_floor.exe
zip=$work/web/www/app.zip
for i in 1 2 3; do
  for kind in driver floor; do
    dir=$root/unpack-$kind
    rm -rf "$dir"
    mkdir -p "$dir"
    sync
    t0=$(date +%s.%N)
    if [ "$kind" = driver ]; then
      "$WINE" "$DRIVER" "$(win "$client/temp/zlib.dll")" "$(win "$zip")" "$(win "$dir")" </dev/null >/dev/null 2>&1 \
        || { echo "[bench] the stand-in's unpacking failed" >&2; exit 1; }
    else
      "$WINE" "$FLOOR" "$(win "$zip")" "$(win "$dir")" </dev/null >/dev/null 2>&1 \
        || { echo "[bench] the floor program failed" >&2; exit 1; }
    fi
    t1=$(date +%s.%N)
    got=$(find "$dir" -type f | wc -l)
    [ "$got" = "$zip_files" ] || { echo "[bench] $kind wrote $got of $zip_files files" >&2; exit 1; }
    echo "unpack=$(echo "($t1 - $t0) * 1000" | bc -l)" >"$work/runs/unpack-$kind$i"
  done
done
rm -rf "$root/unpack-driver" "$root/unpack-floor"

$PY - "$work/runs" <<'PY'
import datetime, glob, os, re, statistics, sys
runs = sys.argv[1]

def fields(path):
    out = {}
    # The updater's own log lines share the helper's output; only the helper's figures count.
    for line in open(path, encoding="utf-8", errors="replace"):
        m = re.fullmatch(r"([a-z_]+)=(-?[0-9.]+)", line.strip())
        if m:
            out[m.group(1)] = float(m.group(2))
    return out

def log_times(path, epoch_ms):
    """Milliseconds after the start at which the updater logged its first line and the lines
    that bound its waits."""
    marks = {}
    for line in open(path, encoding="utf-8", errors="replace"):
        m = re.match(r"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d),(\d{3}) \w+ \[default\] (.*)", line)
        if not m:
            continue
        t = datetime.datetime.strptime(m.group(1), "%Y-%m-%d %H:%M:%S").timestamp() * 1000 + int(m.group(2))
        text = m.group(3)
        marks.setdefault("first", t - epoch_ms)
        for key, start in (("install", "begin to install"), ("installed", "install success"),
                           ("launching", "run launch exe")):
            if text.startswith(start) and key not in marks:
                marks[key] = t - epoch_ms
        if text.startswith("Zqv is running"):
            marks["kills"] = marks.get("kills", 0) + 1
    return marks

med = statistics.median
starts, logged = [], []
for i in range(1, 6):
    f = fields(os.path.join(runs, "start%d" % i))
    starts.append(f["progress"])
    logged.append(log_times(os.path.join(runs, "start%d.log" % i), f["epoch_ms"])["first"])
first = fields(os.path.join(runs, "start0"))["progress"]
bare = [fields(os.path.join(runs, "bare%d" % i)) for i in range(1, 6)]
print()
print("start to the progress window, ms: median %.0f (runs %s; first run in the prefix %.0f)"
      % (med(starts), ", ".join("%.0f" % s for s in starts), first))
print("  of which to the updater's first log line (process start, libraries, logger): median %.0f"
      % med(logged))
print("  a bare program started the same way, to its first file write: median %.0f"
      % med(b["program"] for b in bare))
# What any window program pays under this platform before its own work: the updater's manifest
# (common controls 6), the window system and one shown window.
barewin = [fields(os.path.join(runs, "barewin%d" % i)) for i in range(1, 6)]
print("  a bare window program (the same manifest, one window shown), to its first file write: median %.0f (runs %s)"
      % (med(b["program"] for b in barewin), ", ".join("%.0f" % b["program"] for b in barewin)))

rows, tools, peaks = [], [], []
for i in (1, 2, 3):
    f = fields(os.path.join(runs, "forced%d" % i))
    if f["program"] < 0:
        f["program"] = f["program_file_s"] * 1000 - f["epoch_ms"]
    marks = log_times(os.path.join(runs, "forced%d.log" % i), f["epoch_ms"])
    tools.append(fields(os.path.join(runs, "tools%d" % i))["tools"])
    peaks.append(f["peak_mib"])
    # The updater's fixed waits: the progress timer notices the finished download at its next tick
    # (up to 1000 ms), then 1000 ms before a forced install, 500 ms per kill attempt, 500 ms
    # before unpacking, 300 ms before the update-complete window.
    tick = max(0.0, marks["install"] - 1000 - f["downloaded"])
    kills = 500 * marks.get("kills", 0)
    fixed = tick + 1000 + kills + 500 + 300
    unpack = marks["installed"] - marks["install"] - kills - 500
    # The helper's answers to the two windows are the user's time, not ours.
    user = max(0.0, f["progress"] - f["notice"]) if f["notice"] >= 0 else 0.0
    rows.append(dict(total=f["program"], notice=f["notice"], progress=f["progress"],
                     download=f["downloaded"] - f["progress"], tick=tick, kills=kills, unpack=unpack,
                     complete=f["complete"], program=f["program"] - f["complete"], fixed=fixed,
                     own=f["program"] - fixed, end=f["exit"] - f["program"]))
print("forced update of the 64 MiB zip, ms per run:")
print("  %-6s %7s %7s %8s %8s %6s %6s %7s %8s %8s %7s %7s" % ("run", "notice", "window", "download", "tick",
      "kills", "unpack", "done", "program", "total", "fixed", "own"))
for i, r in enumerate(rows, 1):
    print("  %-6d %7.0f %7.0f %8.0f %8.0f %6.0f %6.0f %7.0f %8.0f %8.0f %7.0f %7.0f" % (i, r["notice"], r["progress"],
          r["download"], r["tick"], r["kills"], r["unpack"], r["complete"], r["program"], r["total"], r["fixed"], r["own"]))
total = med(r["total"] for r in rows)
own = med(r["own"] for r in rows)
fixed = med(r["fixed"] for r in rows)
tool = med(tools)
print("  notice/window: seen after the start; download: window to the archive complete; tick: the")
print("  rest of the progress timer's second; unpack: the unpacking itself (its 500 ms wait apart);")
print("  done: the update-complete window seen; program: from that window to the program started")
print("curl + md5sum + unzip -o, ms: median %.0f (runs %s)" % (tool, ", ".join("%.0f" % t for t in tools)))
print("updater, ms: median %.0f, of which the updater's fixed waits %.0f (timer tick, 1000 before the"
      " install, 500 per kill attempt, 500 before unpacking, 300 before the window)" % (total, fixed))
print("update_vs_tools: %.2f; without the fixed waits: %.2f" % (tool / total, tool / own))
# Not part of the update, but the run lock is held until then (below 0: the updater had ended
# before the program wrote its record).
print("program started to the updater's end, ms: %s" % ", ".join("%.0f" % r["end"] for r in rows))
print("peak working set of the updater, MiB: %s (a small console program under the same Wine: %.1f)"
      % (", ".join("%.1f" % p for p in peaks), fields(os.path.join(runs, "forced1"))["self_mib"]))
unpacks = {k: [fields(os.path.join(runs, "unpack-%s%d" % (k, i)))["unpack"] for i in (1, 2, 3)]
           for k in ("driver", "floor")}
print("unpacking the zip into an empty folder, ms, best of 3: stand-in zlib.dll %.0f (runs %s), file-creation"
      " floor %.0f (runs %s); stand-in / floor %.2f"
      % (min(unpacks["driver"]), ", ".join("%.0f" % t for t in unpacks["driver"]), min(unpacks["floor"]),
         ", ".join("%.0f" % t for t in unpacks["floor"]), min(unpacks["driver"]) / min(unpacks["floor"])))
print()
print("RESULT start_ms=%.0f update_vs_tools=%.2f peak_mib=%.0f own_vs_tools=%.2f"
      % (max(starts), tool / total, max(peaks), tool / own))
PY
