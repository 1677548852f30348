#!/usr/bin/env bash
# The main job: a real update on this machine. Builds both targets, serves an update zip from a
# local web server, lays out a client folder in the build tree's Wine prefix (stand-in client,
# launcher, configuration, the updater in "temp" with its unpacking library), lets the client
# start the updater, clicks "install now", and shows each window, the log, the files that changed
# and the client started again with its parameter. Then the same as a forced update.
# Screenshots go to build/demo/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
bash "$here/tools/build.sh"
export TOLU_HERE=$here TOLU_X64=$BUILD/x86_64
bash "$here/tools/with-wine.sh" "$TOLU_X64" bash "$here/tools/demo-run.sh"
