#!/usr/bin/env bash
# Sets everything up, builds both targets and runs every test under Wine (with an X display
# for the tests that open windows). Extra arguments go to ctest (e.g. -R Config).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
export TOLU_BUILD=$BUILD
bash "$here/tools/build.sh"
cd "$BUILD/x86_64"
bash "$here/tools/with-wine.sh" "$BUILD/x86_64" ctest --timeout 600 -j"$(nproc)" --output-on-failure "$@"
