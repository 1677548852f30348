#!/usr/bin/env bash
# Sets everything up, builds both targets and runs every test under Wine (with an X display for
# the tests that open windows): the 64-bit build (x86_64) under 64-bit Wine, then the 32-bit
# build (i686, what a classroom PC runs) under 32-bit Wine in a win32 prefix of its own. On a
# kernel that runs no 32-bit code the 32-bit tests are built but not run, and one line says so.
# Each run ends with CTest's summary line; the exit status fails when either run fails. Extra
# arguments go to both ctest runs (e.g. -R Config).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/tools/arch.sh"
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
bash "$here/tools/build.sh"

status=0
run_tree() {
  echo "[test] $1 build: $2"
  (cd "$BUILD/$1" &&
   bash "$here/tools/with-wine.sh" "$BUILD/$1" ctest --timeout 600 -j"$(nproc)" --output-on-failure "${@:3}") ||
    status=1
}
run_tree x86_64 "64-bit Wine, win64 prefix" "$@"
if runs_32bit; then
  run_tree i686 "32-bit Wine, win32 prefix" "$@"
else
  echo "[test] $NO_32BIT_LINE"
fi
exit $status
