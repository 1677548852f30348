#!/usr/bin/env bash
# The main job: a real update on this machine. Builds both targets, serves an update zip from a
# local web server, lays out a client folder in the build tree's Wine prefix (stand-in client,
# launcher, configuration, the updater in "temp" with its unpacking library), lets the client
# start the updater, clicks "install now", and shows each window, the log, the files that changed
# and the client started again with its parameter. Then the same as a forced update.
# The programs are those of the 32-bit build (i686, what a classroom PC runs) under 32-bit Wine
# where the kernel runs 32-bit code, else those of the 64-bit build (x86_64); the first line of
# the run says which. Screenshots go to build/demo/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/tools/arch.sh"
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
bash "$here/tools/build.sh"
arch=$(run_arch)
echo "[demo] running $(build_words "$arch")"
runs_32bit || echo "[demo] $NO_32BIT_LINE"
export TOLU_HERE=$here TOLU_DEMO_TREE=$BUILD/$arch
bash "$here/tools/with-wine.sh" "$TOLU_DEMO_TREE" bash "$here/tools/demo-run.sh"
