#!/usr/bin/env bash
# The main job: builds both targets, lays out a client folder inside the build tree's Wine prefix
# and runs the updater there as the client would start it, then shows the job it read and its log.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
bash "$here/tools/build.sh"
B=$BUILD/x86_64
bash "$here/tools/wine-prefix.sh" start "$B"
trap 'bash "$here/tools/wine-prefix.sh" stop "$B"' EXIT
export WINEPREFIX="$B/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='

client="$WINEPREFIX/drive_c/Lumora/Client"
rm -rf "$WINEPREFIX/drive_c/Lumora"
mkdir -p "$client/temp"
cat >"$client/ProductConfig.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<Product>
  <ProgName>lumora.exe</ProgName>
  <LaunchName>lumoraLaunch.exe</LaunchName>
  <CacheName>lumora</CacheName>
</Product>
XML
cp "$B/updater/toluUpdater.exe" "$client/temp/Updater.exe"
cp "$B/launcher/lumoraLaunch.exe" "$client/lumoraLaunch.exe"

args='-url=http://127.0.0.1:8080/files/update.zip -md5=0123456789ABCDEF0123456789abcdef -pagecallparam="page=home user=42" -forcedupdate=0'
echo "[demo] C:\\Lumora\\Client\\temp\\Updater.exe $args"
echo "[demo] ---- updater log ----"
# Through a batch file, so the updater receives the command line byte for byte as the client
# writes it (Wine would escape the quotes of arguments given to it directly).
printf '@C:\\Lumora\\Client\\temp\\Updater.exe %s\r\n' "$args" >"$WINEPREFIX/drive_c/Lumora/start-updater.bat"
rc=0
/usr/lib/wine/wine64 cmd /c 'C:\Lumora\start-updater.bat' </dev/null || rc=$?
echo "[demo] exit code: $rc"

# The client's next start: the launcher finds what the updater left in "temp", applies the update
# over the client's folder and starts the client (here the stand-in, which records its command
# line and leaves after a few seconds).
echo "[demo] ---- launcher ----"
cp "$B/tools/standin-client/lumora.exe" "$client/lumora.exe"
for leftover in update.td0 update.td1 update.td2 update.td3 update.td; do : >"$client/temp/$leftover"; done
python3 - "$client/temp/update.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("version.txt", "2.0.1\n")
    z.writestr("res/readme.txt", "What is new in 2.0.1\n")
PY
echo "[demo] C:\\Lumora\\Client\\lumoraLaunch.exe \"nembrisk://room/42?join=1\""
printf '@C:\\Lumora\\Client\\lumoraLaunch.exe "nembrisk://room/42?join=1"\r\n' >"$WINEPREFIX/drive_c/Lumora/start-launcher.bat"
rc=0
LUMORA_STANDIN_ARGS="--no-window --lifetime=3000" \
  /usr/lib/wine/wine64 cmd /c 'C:\Lumora\start-launcher.bat' </dev/null || rc=$?
echo "[demo] exit code: $rc"
for _ in $(seq 50); do [ -s "$client/lumora.exe.cmdline.txt" ] && break; sleep 0.2; done
echo "[demo] client started as: $(cat "$client/lumora.exe.cmdline.txt" 2>/dev/null || echo '(not started)')"
echo "[demo] applied: version.txt = $(cat "$client/version.txt"), res/readme.txt = $(cat "$client/res/readme.txt")"
echo "[demo] left in temp: $(cd "$client/temp" && ls -A | tr '\n' ' ')"
