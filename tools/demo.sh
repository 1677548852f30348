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
