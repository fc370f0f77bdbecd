#!/usr/bin/env bash
# Configures and builds every architecture this machine needs (see arch.sh); the i686 build
# assembles the distribution folder build/dist/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
build=$here/build
for arch in $(velmor_build_arches); do
  dir=$build/$arch
  # build/dist/ is the product; a 64-bit build assembles the same folder for itself.
  dist="-DVELMOR_DIST_DIR=$build/dist"
  [ "$arch" = i686 ] || dist="-DVELMOR_DIST_DIR=$dir/dist"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$dir" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
      -DVELMOR_ARCH="$arch" -DVELMOR_ARTIFACTS="$build/artifacts" $dist >/dev/null
  fi
  echo "== building $arch"
  # Progress lines are dropped; with pipefail a failed step still fails the pipeline, and
  # grep finding nothing to print does not.
  cmake --build "$dir" -j"$(nproc)" -- --no-print-directory 2>&1 | { grep -v -E '^\[ *[0-9]+%\]' || true; }
done
