#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, unattended, as root.
# Built dependencies go into a cache folder outside the checkout, keyed by version and target,
# so a second run only checks that they are there.
set -euo pipefail
. "$(dirname "$0")/arch.sh"

DEPS=${TOLU_DEPS:-/var/cache/tolu-deps}
TRIPLETS=(x86_64-w64-mingw32 i686-w64-mingw32)
JOBS=$(nproc)
export DEBIAN_FRONTEND=noninteractive

say() { echo "[setup] $*" >&2; }

PACKAGES=(g++ bison dpkg-dev xz-utils cmake ninja-build python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev libstb-dev googletest
  libeasyloggingpp-dev wine64 fonts-wine libgnutls30 libxrender1 libxrandr2 libxi6 libxcursor1
  libxfixes3 libxcomposite1 libxinerama1 libxxf86vm1 xvfb imagemagick
  zip unzip curl aria2 nginx-light fonts-wqy-microhei python3-pil xdotool)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SRC_LIST=/etc/apt/sources.list.d/tolu-deb-src.sources
if [ ! -f "$SRC_LIST" ]; then
  say "adding a deb-src entry"
  cat >"$SRC_LIST" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  missing+=(--refresh)
fi
if [ ${#missing[@]} -gt 0 ]; then
  say "installing Debian packages: ${missing[*]}"
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
fi

# ---- 32-bit Wine, for the 32-bit build's tests, demo and benchmarks ----
# The i386 twins of the X, TLS and font libraries that the i386 libwine only recommends.
PACKAGES_32=(wine32 libwine:i386 libgnutls30:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386
  libxcursor1:i386 libxfixes3:i386 libxcomposite1:i386 libxinerama1:i386 libxxf86vm1:i386
  libfreetype6:i386 libfontconfig1:i386)
if runs_32bit; then
  missing=()
  for p in "${PACKAGES_32[@]}"; do
    case $p in *:*) q=$p;; *) q=$p:i386;; esac
    dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing 32-bit Wine: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${PACKAGES_32[@]}" >/dev/null
  fi
else
  say "$NO_32BIT_LINE"
fi

mkdir -p "$DEPS/src"

# ---- Boost (Debian source package, built for each MinGW target) ----
BOOST_VER=1.81.0
boost_src() {
  local dir
  dir=$(find "$DEPS/src" -maxdepth 1 -type d -name 'boost1.81-*' | head -n1)
  if [ -z "$dir" ] || [ ! -f "$dir/.ready" ]; then
    say "fetching the boost1.81 source package"
    rm -rf "$DEPS/src/boost-fetch" && mkdir -p "$DEPS/src/boost-fetch"
    (cd "$DEPS/src/boost-fetch" && apt-get source -qq --download-only boost1.81 >/dev/null 2>&1 \
      && tar -xf boost1.81_*.orig.tar.* )
    dir=$(find "$DEPS/src/boost-fetch" -maxdepth 1 -mindepth 1 -type d | head -n1)
    mv "$dir" "$DEPS/src/boost1.81-src"
    rm -rf "$DEPS/src/boost-fetch"
    dir="$DEPS/src/boost1.81-src"
    say "bootstrapping b2"
    (cd "$dir/tools/build" && bison -y -d -o src/engine/jamgram.cpp src/engine/jamgram.y \
      && ./bootstrap.sh --with-toolset=gcc >/dev/null)
    touch "$dir/.ready"
  fi
  echo "$dir"
}

for t in "${TRIPLETS[@]}"; do
  out="$DEPS/boost-$BOOST_VER/$t"
  [ -f "$out/.done" ] && continue
  src=$(boost_src)
  say "building Boost $BOOST_VER for $t"
  case $t in x86_64*) am=64;; *) am=32;; esac
  rm -rf "$out" && mkdir -p "$out/include"
  # Copying the headers in bulk first saves minutes of b2 copying them one by one.
  for inc in "$src"/libs/*/include/boost "$src"/libs/numeric/*/include/boost; do
    cp -r "$inc" "$out/include/"
  done
  cat >"$DEPS/src/user-config-$t.jam" <<JAM
using gcc : mingw$am : $t-g++-posix : <archiver>$t-ar <ranlib>$t-ranlib <rc>$t-windres ;
JAM
  (cd "$src" && "$src/tools/build/b2" -j"$JOBS" -q -d0 --ignore-site-config \
    --user-config="$DEPS/src/user-config-$t.jam" --build-dir="$DEPS/src/boost-build-$t" \
    toolset=gcc-mingw$am target-os=windows threadapi=win32 threading=multi link=static \
    runtime-link=shared variant=release address-model=$am architecture=x86 cxxstd=17 \
    define=_WIN32_WINNT=0x0601 define=BOOST_USE_WINAPI_VERSION=0x0601 --layout=system \
    --with-system --with-thread --with-filesystem install --prefix="$out" >/dev/null)
  # The generated config links 'synchronization', which rebinds kernel32 imports to a DLL that
  # only exists from Windows 8 on; nothing here uses it.
  find "$out/lib/cmake" -name 'libboost_filesystem-variant*.cmake' -exec sed -i 's/;*synchronization//g' {} +
  rm -rf "$DEPS/src/boost-build-$t"
  touch "$out/.done"
done

# ---- tinyxml2 (Debian source package, one static library per target) ----
TX_DIR=$(find "$DEPS/src" -maxdepth 1 -type d -name 'tinyxml2-*' | head -n1)
if [ -z "$TX_DIR" ]; then
  say "fetching the tinyxml2 source package"
  (cd "$DEPS/src" && apt-get source -qq tinyxml2 >/dev/null 2>&1)
  TX_DIR=$(find "$DEPS/src" -maxdepth 1 -type d -name 'tinyxml2-*' | head -n1)
fi
TX_VER=${TX_DIR##*/tinyxml2-}
for t in "${TRIPLETS[@]}"; do
  out="$DEPS/tinyxml2-$TX_VER/$t"
  [ -f "$out/.done" ] && continue
  say "building tinyxml2 $TX_VER for $t"
  mkdir -p "$out/include" "$out/lib"
  "$t-g++-posix" -std=c++17 -O2 -c "$TX_DIR/tinyxml2.cpp" -o "$out/tinyxml2.o"
  "$t-ar" rcs "$out/lib/libtinyxml2.a" "$out/tinyxml2.o"
  cp "$TX_DIR/tinyxml2.h" "$out/include/"
  rm -f "$out/tinyxml2.o"
  touch "$out/.done"
done
ln -sfn "$DEPS/tinyxml2-$TX_VER" "$DEPS/tinyxml2"

# ---- GoogleTest (Debian's source tree, built for each target: both build trees build the tests) ----
GT_VER=$(dpkg-query -W -f='${Version}' googletest | sed 's/[^A-Za-z0-9.]/_/g')
for t in "${TRIPLETS[@]}"; do
  out="$DEPS/googletest-$GT_VER/$t"
  [ -f "$out/.done" ] && continue
  say "building GoogleTest $GT_VER for $t"
  bdir="$DEPS/src/gtest-build-$t"
  rm -rf "$bdir"
  cat >"$DEPS/src/toolchain-$t.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER $t-gcc-posix)
set(CMAKE_CXX_COMPILER $t-g++-posix)
set(CMAKE_RC_COMPILER $t-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$t)
TC
  cmake -S /usr/src/googletest -B "$bdir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$DEPS/src/toolchain-$t.cmake" -DCMAKE_INSTALL_PREFIX="$out" \
    -Dgtest_disable_pthreads=OFF -DBUILD_SHARED_LIBS=OFF -Dgtest_force_shared_crt=ON >/dev/null
  cmake --build "$bdir" -j"$JOBS" >/dev/null
  cmake --install "$bdir" >/dev/null
  rm -rf "$bdir"
  touch "$out/.done"
done
ln -sfn "$DEPS/googletest-$GT_VER" "$DEPS/googletest"
ln -sfn "$DEPS/boost-$BOOST_VER" "$DEPS/boost"

say "dependencies ready in $DEPS"
