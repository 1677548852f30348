#!/usr/bin/env bash
# Sets everything up, builds both targets and runs every test under Wine (with an X display
# for the tests that open windows). Extra arguments go to ctest (e.g. -R Config).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
bash "$here/tools/build.sh"
cd "$BUILD/x86_64"
# Wine's desktop process starts with the prefix and keeps the display it found then, so the prefix
# is started inside the X server's lifetime; otherwise no test program can create a window.
export TOLU_HERE=$here TOLU_X64=$BUILD/x86_64
bash "$here/tools/with-xvfb.sh" bash -c '
  set -euo pipefail
  bash "$TOLU_HERE/tools/wine-prefix.sh" start "$TOLU_X64"
  trap '"'"'bash "$TOLU_HERE/tools/wine-prefix.sh" stop "$TOLU_X64"'"'"' EXIT
  ctest --timeout 600 -j"$(nproc)" --output-on-failure "$@"' ctest-under-wine "$@"
