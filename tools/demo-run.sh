#!/usr/bin/env bash
# The steps of the main job (tools/demo.sh runs this inside an X display and the Wine prefix).
set -euo pipefail
here=$TOLU_HERE
B=$TOLU_DEMO_TREE
out=$(dirname "$B")/demo
rm -rf "$out" && mkdir -p "$out"
# The build tree's prefix and Wine loader (32-bit for the i686 tree, 64-bit for the x86_64 one).
. "$B/wine-env.sh"
say() { echo "[demo] $*"; }
shot() { import -window root "$out/$1.png"; say "screenshot: $out/$1.png"; }

# A web server with the update: two files that change and one that is new.
web=$out/web
bash "$here/tools/httpserver/nginx.sh" start "$web" 4096 >/dev/null
trap 'bash "$here/tools/httpserver/nginx.sh" stop "$web"' EXIT
/usr/bin/python3 - "$web/www/update.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("version.txt", "2.0.1\n")
    z.writestr("res/readme.txt", "What is new in 2.0.1: faster start, new room list\n")
    z.writestr("res/new-theme.css", "body { color: #1694ff; }\n")
PY
url="http://127.0.0.1:$(cat "$web/port")/update.zip"
md5=$(md5sum "$web/www/update.zip" | cut -d' ' -f1)

root="$WINEPREFIX/drive_c/Lumora"
client="$root/Client"
layout() {
  # The client the last run started again is still up (serving its pipes): end it first.
  $WINE taskkill /f /im lumora.exe </dev/null >/dev/null 2>&1 || true
  rm -rf "$root"
  mkdir -p "$client/temp" "$client/res"
  cat >"$client/ProductConfig.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<Product>
  <ProgName>lumora.exe</ProgName>
  <LaunchName>lumoraLaunch.exe</LaunchName>
  <CacheName>lumora</CacheName>
</Product>
XML
  echo "2.0.0" >"$client/version.txt"
  echo "What is new in 2.0.0" >"$client/res/readme.txt"
  cp "$B/tools/standin-client/lumora.exe" "$client/lumora.exe"
  cp "$B/launcher/lumoraLaunch.exe" "$client/lumoraLaunch.exe"
  cp "$B/updater/toluUpdater.exe" "$client/temp/Updater.exe"
  cp "$B/updater/zlib.dll" "$client/temp/zlib.dll"
  (cd "$client" && find . -type f ! -path './temp/*' -exec md5sum {} + | sort -k2) >"$out/before.txt"
}
changes() {
  (cd "$client" && find . -type f ! -path './temp/*' ! -name '*.cmdline.txt' ! -name '*.record' -exec md5sum {} + | sort -k2) >"$out/after.txt"
  say "files that changed in C:\\Lumora\\Client:"
  diff "$out/before.txt" "$out/after.txt" | grep '^[<>]' | sed 's/^/    /' || true
  say "left in temp: $(cd "$client/temp" && ls -A | tr '\n' ' ')"
}
wait_for() {  # wait_for SECONDS TEST...
  local n=$(( $1 * 10 )); shift
  for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done
  return 1
}
# The screen of tools/with-xvfb.sh; windows have no frames here (no window manager), and the
# progress window sits at its bottom right.
W=1280 H=1024
click() { xdotool mousemove "$1" "$2" click 1; }
key_return() { xdotool mousemove "$1" "$2" click 1 sleep 0.3 key Return; }

run_client() {  # run_client JOB: the client starts the updater with the job, as it does for real
  rm -f "$client/lumora.exe.cmdline.txt" "$root/client-record.txt"
  # Through a batch file, so the command line arrives byte for byte (Wine would re-quote it).
  printf '@C:\\Lumora\\Client\\lumora.exe --lifetime=120000 --record=C:\\Lumora\\client-record.txt --cmdline=C:\\Lumora\\first-client.txt --start=C:\\Lumora\\Client\\temp\\Updater.exe "--start-args=%s"\r\n' \
    "${1//\"/\\\"}" >"$root/start-client.bat"
  $WINE cmd /c 'C:\Lumora\start-client.bat' </dev/null >/dev/null 2>&1 &
}
show_log() {
  local log
  log=$(ls -t "$WINEPREFIX"/drive_c/users/*/AppData/Local/toluUpdater/*.log 2>/dev/null | head -1 || true)
  [ -z "$log" ] && log=$(ls -t "$WINEPREFIX"/drive_c/users/*/"Local Settings/Application Data/toluUpdater"/*.log 2>/dev/null | head -1 || true)
  say "---- updater log ($log) ----"
  [ -n "$log" ] && sed 's/^/    /' "$log"
}
no_updater() { ! pgrep -f 'temp.Updater[.]exe' >/dev/null; }
updater_ended() {
  # The updater closes its windows and pipe server after starting the program; the prefix is not
  # stopped under it (Wine would end it with exit code 1).
  if wait_for 15 no_updater; then
    say "the updater has ended"
  else
    say "the updater is still running"
  fi
}
client_started() {
  # The launcher restarts the client, which records its command line beside itself.
  if wait_for 30 test -s "$client/lumora.exe.cmdline.txt"; then
    say "client started again as: $(cat "$client/lumora.exe.cmdline.txt")"
  else
    say "client was not started again"
  fi
}

# ---- 1: an update the user installs now ----
layout
job="-url=$url -md5=$md5 -pagecallparam=\"page=home user=42\""
say "the client starts: C:\\Lumora\\Client\\temp\\Updater.exe $job"
run_client "$job"
wait_for 30 test -s "$client/temp/update.zip" || { say "no download"; exit 1; }
sleep 2.5
shot 1-progress-ready
say "clicking \"install now\""
click $(( W - 310 + 264 )) $(( H - 100 + 77 ))
sleep 2
shot 2-update-complete
say "closing the update-complete window (Return)"
key_return $(( W / 2 )) $(( H / 2 + 40 ))
client_started
updater_ended
show_log
changes

# ---- 2: a forced update ----
layout
job="-url=$url -md5=$md5 -forcedupdate=1 -extractpath=C:\\Lumora\\Client -pagecallparam=forced=1"
say "the client starts a forced update: C:\\Lumora\\Client\\temp\\Updater.exe $job"
run_client "$job"
# The notice sits over the client's window; find it by its title to press its confirm button.
notice=""
for _ in $(seq 100); do
  notice=$(xdotool search --name 'Glimtower' 2>/dev/null | head -1 || true)
  [ -n "$notice" ] && break
  sleep 0.2
done
sleep 1
shot 3-forced-notice
xdotool getwindowgeometry "$notice" || true
say "confirming the notice (Return)"
eval "$(xdotool getwindowgeometry --shell "$notice")"
key_return $(( X + 155 )) $(( Y + 50 ))
wait_for 30 test -s "$client/temp/update.zip" || { say "no download"; exit 1; }
sleep 3
shot 4-forced-update-complete
say "closing the update-complete window (Return)"
key_return $(( W / 2 )) $(( H / 2 + 40 ))
client_started
updater_ended
changes
