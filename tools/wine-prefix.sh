#!/usr/bin/env bash
# Prepares (start) or stops (stop) the private Wine prefix of a build tree, or of a folder that
# holds a wine-env.sh of its own (CMake writes one into each build tree: the prefix's folder, the
# win32 or win64 kind and the Wine loader of that build).
#   tools/wine-prefix.sh start|stop DIR
# Only the wineserver of that prefix is ever stopped.
set -euo pipefail
action=$1
build=$(cd "$2" && pwd)
[ -f "$build/wine-env.sh" ] || { echo "$build has no wine-env.sh (configure the build tree first)" >&2; exit 2; }
. "$build/wine-env.sh"

case $action in
start)
  fresh=0
  [ -f "$WINEPREFIX/.tolu-ready" ] || fresh=1
  if [ $fresh = 1 ]; then
    echo "[wine] creating the $WINEARCH prefix $WINEPREFIX"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    reg() { "$WINE" reg "$@" </dev/null >/dev/null 2>&1; }
    # A crashing test must fail, not wait on a dialog.
    reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    # Chinese texts: the layouts ask for these faces.
    for face in '微软雅黑' 'Microsoft YaHei' '宋体' 'SimSun'; do
      reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei' /f
    done
    for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2'; do
      reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
    done
    "$WINESERVER" -w
    touch "$WINEPREFIX/.tolu-ready"
  fi
  # A persistent server with Wine's services already running (their output on /dev/null), so
  # they never hold the test runner's pipes open and each test program starts quickly.
  "$WINESERVER" -p
  "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  ;;
stop)
  [ -d "$WINEPREFIX" ] && "$WINESERVER" -k 2>/dev/null || true
  ;;
*)
  echo "usage: $0 start|stop BUILD_DIR" >&2
  exit 2
  ;;
esac
