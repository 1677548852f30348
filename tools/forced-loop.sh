#!/usr/bin/env bash
# Runs the same forced update many times and reports the updater's exit code of each run:
#   tools/forced-loop.sh [RUNS]      (default 30)
# Each run lays out a client folder, starts the stand-in client (the updater stops it), and lets
# tools/app-bench start the updater and answer its notice and update-complete window at once.
# Uses the x86_64 build (built first) under Wine on an X display of its own, and nginx on
# 127.0.0.1. A run whose code is not 0 keeps its updater log in build/forced-loop/. Each run also
# shows how long the updater outlived the start of the program it started (linger, ms).
# The last line is: RESULT runs=N exit0=N other=N codes=<code:count,...> max_linger_ms=N
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
B=$BUILD/x86_64
runs=${1:-30}

if [ "${TOLU_WINE_BUILD:-}" != "$(realpath -m "$B")" ]; then
  echo "[loop] building"
  TOLU_BUILD=$BUILD bash "$here/tools/build.sh" >"$BUILD/forced-loop-build.log" 2>&1 ||
    { tail -30 "$BUILD/forced-loop-build.log" >&2; exit 1; }
  export TOLU_BUILD=$BUILD
  exec bash "$here/tools/with-wine.sh" "$B" bash "$0" "$runs"
fi

export WINEPREFIX="$B/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
WINE=/usr/lib/wine/wine64
out=$BUILD/forced-loop
rm -rf "$out" && mkdir -p "$out"
win() { echo "Z:${1//\//\\}"; }

web=$out/web
bash "$here/tools/httpserver/nginx.sh" start "$web" 262144 >/dev/null
trap 'bash "$here/tools/httpserver/nginx.sh" stop "$web"' EXIT
/usr/bin/python3 - "$web/www/update.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(20):
        z.writestr("res/file%02d.txt" % i, ("line %d\n" % i) * 500)
PY
zip_size=$(stat -c %s "$web/www/update.zip")
url="http://127.0.0.1:$(cat "$web/port")/update.zip"
md5=$(md5sum "$web/www/update.zip" | cut -d' ' -f1)

client=$out/Client
logdir=$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/toluUpdater
declare -A codes=()
ok=0 other=0 max_linger=0
for i in $(seq "$runs"); do
  rm -rf "$client" "$out/target" "$out/launched.txt" "$out/ready"
  mkdir -p "$client/temp" "$out/target"
  cat >"$client/ProductConfig.xml" <<XML
<Product><ProgName>loopClient.exe</ProgName><LaunchName>loopLaunch.exe</LaunchName><CacheName>loopClient</CacheName></Product>
XML
  cp "$B/tools/standin-client/lumora.exe" "$client/loopClient.exe"
  cp "$B/tools/launch-target/launch_target.exe" "$client/loopLaunch.exe"
  cp "$B/updater/toluUpdater.exe" "$client/temp/Updater.exe"
  cp "$B/updater/zlib.dll" "$client/temp/zlib.dll"
  rm -rf "$logdir"

  # The client owns the notice and serves the pipe the updater tells; the updater stops it.
  "$WINE" "$(win "$client/loopClient.exe")" --no-pevlib --lifetime=120000 --ready="$(win "$out/ready")" \
    --record="$(win "$out/client-record.txt")" </dev/null >/dev/null 2>&1 &
  client_pid=$!
  for _ in $(seq 150); do [ -s "$out/ready" ] && break; sleep 0.1; done

  TOLU_LAUNCH_RECORD=$(win "$out/launched.txt") "$WINE" "$B/tools/app-bench/app_bench.exe" \
    "$(win "$client/temp/Updater.exe")" "$(win "$client/temp/update.zip")" "$zip_size" "$(win "$out/launched.txt")" \
    "-url=$url -md5=$md5 -forcedupdate=1 -pagecallparam=loop$i -extractpath=\"$(win "$out/target")\" -clientexe=\"$(win "$client/loopLaunch.exe")\"" \
    </dev/null 2>/dev/null | tr -d '\r' >"$out/run$i.txt" || true
  kill "$client_pid" 2>/dev/null || true
  wait "$client_pid" 2>/dev/null || true

  code=$(sed -n 's/^exit_code=//p' "$out/run$i.txt")
  code=${code:-none}
  linger=$(awk -F= '$1 == "program" { p = $2 } $1 == "exit" { e = $2 } END { if (p != "" && e != "" && p >= 0 && e >= 0) printf "%d", e - p; else print -1 }' "$out/run$i.txt")
  [ "$linger" -gt "$max_linger" ] && max_linger=$linger
  codes[$code]=$(( ${codes[$code]:-0} + 1 ))
  if [ "$code" = 0 ]; then
    ok=$((ok + 1))
  else
    other=$((other + 1))
    cat "$logdir"/*.log >"$out/run$i.log" 2>/dev/null || true
  fi
  echo "[loop] run $i: exit code $code, linger ${linger} ms"
done

summary=$(for c in "${!codes[@]}"; do echo -n "$c:${codes[$c]},"; done)
echo "RESULT runs=$runs exit0=$ok other=$other codes=${summary%,} max_linger_ms=$max_linger"
[ "$other" = 0 ]
