#!/usr/bin/env bash
# Builds with the CMake presets: `build.sh` every release architecture this machine needs (see
# arch.sh; the i686 build assembles the distribution folder build/dist/), `build.sh debug` the
# check build of the architecture that runs here.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
cd "$here"
if [ "${1:-}" = debug ]; then presets=debug-$(velmor_run_arch); else
  presets=; for arch in $(velmor_build_arches); do presets+=" release-$arch"; done
fi
# CMake keeps the compiler a build folder was first configured with, whatever the toolchain file
# says later: the one a folder was made with, and the one its toolchain file names now.
configured_compiler() { sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$1"/CMakeFiles/*/CMakeCXXCompiler.cmake 2>/dev/null | head -n 1; }
wanted_compiler() { sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' "$here/cmake/mingw-$1.cmake"; }
for preset in $presets; do
  dir=$here/build/${preset#release-}
  echo "== building $preset"
  # A configure that failed leaves a cache but no Makefile: it is configured again. A folder
  # made with another compiler (the posix thread model, before) is configured afresh and its
  # objects are built again.
  if [ ! -f "$dir/Makefile" ]; then
    velmor_quiet "build: configuring $preset" cmake --preset "$preset"
  elif [ "$(basename "$(configured_compiler "$dir")")" != "$(wanted_compiler "${preset#*-}")" ]; then
    echo "== $preset: configured with $(basename "$(configured_compiler "$dir")"), now $(wanted_compiler "${preset#*-}"): configuring afresh"
    velmor_quiet "build: configuring $preset afresh" cmake --preset "$preset" --fresh
    cmake --build "$dir" --target clean >/dev/null
  fi
  # Progress lines are dropped; with pipefail a failed step still fails the pipeline, and
  # grep finding nothing to print does not.
  cmake --build --preset "$preset" -j"$(nproc)" -- --no-print-directory 2>&1 | { grep -v -E '^\[ *[0-9]+%\]' || true; }
done
