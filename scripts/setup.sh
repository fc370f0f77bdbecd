#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, then builds the
# static i686 libjpeg-turbo into the build folder. Idempotent: quick when all is in place.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
deps=$build/deps
mkdir -p "$deps"

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

need=()
# The win32 thread model: the posix one links winpthreads, which imports what Windows XP lacks.
command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686-win32 binutils-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64)
command -v cmake >/dev/null || need+=(cmake)
command -v wine >/dev/null || need+=(wine wine32:i386 wine64)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
[ -x /usr/bin/convert ] && [ -x /usr/bin/import ] || need+=(imagemagick)
command -v zip >/dev/null || need+=(zip)
command -v python3 >/dev/null || need+=(python3)
[ -d /usr/src/googletest ] || need+=(googletest)
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
[ -x /usr/bin/xdotool ] || need+=(xdotool)
# Metric twins of Arial and Times New Roman, so captions measure as they do on Windows.
[ -d /usr/share/fonts/truetype/liberation ] || need+=(fonts-liberation)
# Wine's own fonts: Marlett for the title-bar buttons, MS Sans Serif and Tahoma.
dpkg -s fonts-wine >/dev/null 2>&1 || need+=(fonts-wine)

# libjpeg-turbo lands in build/deps/<arch>/libjpeg; only a missing one, or one an older recipe
# built (its number is in the folder's recipe file), needs the sources.
. "$here/scripts/arch.sh"
jpeg_recipe=2
jpeg_current() { [ -f "$1/lib/libjpeg.a" ] && [ "$(cat "$1/recipe" 2>/dev/null)" = "$jpeg_recipe" ]; }
jpeg_missing=
for arch in $(velmor_build_arches); do
  jpeg_current "$deps/$arch/libjpeg" || jpeg_missing=1
done

# The Debian source package of libjpeg-turbo needs a deb-src entry for the same archive.
src_list=/etc/apt/sources.list.d/velmor-src.sources
if [ -n "$jpeg_missing" ] && ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ \
   && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  as_root tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

# An archive in mid-sync serves a new Release file with an old index for a while; apt then
# fails that one index and exits 100 although every other index arrived. Go on with those.
apt_update() {
  local log rc=0
  log=$(mktemp)
  as_root apt-get -o Acquire::Retries=3 update -q 2>&1 | tee "$log" || rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ]; then
    local failed
    failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log" | sed 's|.*/dists/||' | sort -u | tr '\n' ' ')
    echo "setup: apt-get update could not fetch ${failed:-some indices}(archive in mid-sync?); going on with the rest"
  fi
  rm -f "$log"
}

# With one architecture's index missing, the other's newer candidates in the same suite can
# make multiarch packages unsolvable; pinning the release to the system's own codename takes
# both architectures from one suite.
apt_install() {
  as_root apt-get install -y -q --no-install-recommends "$@" && return 0
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 1
  echo "setup: apt could not solve the install; trying again with the release pinned to $codename (-t $codename)"
  as_root apt-get install -y -q --no-install-recommends -t "$codename" "$@"
}

if [ ${#need[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then as_root dpkg --add-architecture i386; fi
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  if [ ${#need[@]} -gt 0 ]; then
    apt_install "${need[@]}"
  fi
fi

# libjpeg-turbo as a static library for each Windows architecture we build, from Debian's
# source package. The program decodes one small baseline JPEG, once, so the library is built
# small: for size, with each function in a section of its own; without the SIMD code (a third
# of the library, most of it for the encoder, which jsimd.c references all the same) and the
# arithmetic coding; with the C runtime's own printf (its error texts are plain) instead of
# mingw's C99 one; without reading the JPEGMEM environment variable, which pulled in a whole
# scanf. On i686 it also has no unwind tables: no exception ever passes through it (its errors
# come back by longjmp), and the linker keeps every function such a table names.
for arch in $(velmor_build_arches); do
  out=$deps/$arch/libjpeg
  jpeg_current "$out" && continue
  rm -rf "$out"
  cflags="-Os -DNDEBUG -ffunction-sections -fdata-sections -D__USE_MINGW_ANSI_STDIO=0 -DNO_GETENV"
  # (x86_64's longjmp itself unwinds by those tables.)
  if [ "$arch" = i686 ]; then cflags+=" -fno-asynchronous-unwind-tables"; fi
  work=$deps/$arch/jpeg-work
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && velmor_quiet "setup: apt-get source libjpeg-turbo" apt-get source -q --download-only libjpeg-turbo \
     && velmor_quiet "setup: unpacking libjpeg-turbo's source" dpkg-source -x --skip-patches ./*.dsc src)
  velmor_quiet "setup: configuring libjpeg-turbo for $arch" cmake -S "$work/src" -B "$work/build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DWITH_SIMD=OFF -DWITH_ARITH_DEC=OFF -DWITH_ARITH_ENC=OFF \
    -DCMAKE_C_FLAGS_RELEASE="$cflags" \
    -DCMAKE_INSTALL_PREFIX="$out"
  velmor_quiet "setup: building libjpeg-turbo for $arch" cmake --build "$work/build" -j"$(nproc)" --target jpeg-static
  mkdir -p "$out/lib" "$out/include"
  cp "$(find "$work/build" -name 'libjpeg*.a' | head -n 1)" "$out/lib/libjpeg.a"
  cp "$work/build/jconfig.h" "$work/src/jpeglib.h" "$work/src/jmorecfg.h" "$work/src/jerror.h" "$out/include/"
  echo "$jpeg_recipe" >"$out/recipe"
  rm -rf "$work"
done

# `cmake --preset release` / `debug` (and the build and test presets of the same names) for the
# architecture this machine runs: a preset file cannot ask the kernel, so the set-up names it.
run_arch=$(velmor_run_arch)
user_presets=$here/CMakeUserPresets.json
presets_text=$(cat <<JSON
{
  "version": 6,
  "configurePresets": [
    { "name": "release", "inherits": "release-$run_arch" },
    { "name": "debug", "inherits": "debug-$run_arch" }
  ],
  "buildPresets": [
    { "name": "release", "inherits": "release-$run_arch", "configurePreset": "release" },
    { "name": "debug", "inherits": "debug-$run_arch", "configurePreset": "debug" }
  ],
  "testPresets": [
    { "name": "release", "inherits": "release-$run_arch", "configurePreset": "release" },
    { "name": "debug", "inherits": "debug-$run_arch", "configurePreset": "debug" }
  ]
}
JSON
)
[ "$(cat "$user_presets" 2>/dev/null)" = "$presets_text" ] || printf '%s\n' "$presets_text" >"$user_presets"
