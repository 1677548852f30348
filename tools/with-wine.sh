#!/usr/bin/env bash
# Runs a command on a fresh Xvfb display with the Wine prefix of a build tree (32-bit or 64-bit,
# as its wine-env.sh says) started on it, then stops that prefix's wineserver and that X server
# (nothing else):
#   tools/with-wine.sh BUILD_DIR COMMAND [ARGS...]
# The command sees TOLU_WINE_BUILD, the build tree's absolute path, so a script that runs itself
# again through this one can tell that it is inside.
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: $0 BUILD_DIR COMMAND [ARGS...]" >&2; exit 2; }
build=$(cd "$1" && pwd -P)
shift
# Wine's desktop process keeps the display it found when the prefix started, so the prefix is
# started inside the X server's lifetime: this script runs once more on the new display.
if [ "${TOLU_WINE_STEP:-}" != on-display ]; then
  export TOLU_WINE_STEP=on-display
  exec bash "$tools/with-xvfb.sh" bash "$tools/with-wine.sh" "$build" "$@"
fi
unset TOLU_WINE_STEP
bash "$tools/wine-prefix.sh" start "$build"
trap 'bash "$tools/wine-prefix.sh" stop "$build"' EXIT
export TOLU_WINE_BUILD=$build
"$@"
