#!/usr/bin/env bash
# Sets up the dependencies, then configures and builds both targets, each with its tests:
#   $TOLU_BUILD/i686    the 32-bit deliverable, run under 32-bit Wine where the kernel runs
#                       32-bit code
#   $TOLU_BUILD/x86_64  the same programs for 64-bit Wine, run everywhere
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLU_BUILD:-$here/build}
bash "$here/tools/setup.sh"
for arch in i686 x86_64; do
  echo "[build] $arch"
  cmake -S "$here" -B "$BUILD/$arch" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
  cmake --build "$BUILD/$arch" -j"$(nproc)"
done
