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
for preset in $presets; do
  dir=$here/build/${preset#release-}
  echo "== building $preset"
  # A configure that failed leaves a cache but no Makefile: it is configured again.
  [ -f "$dir/Makefile" ] || velmor_quiet "build: configuring $preset" cmake --preset "$preset"
  # Progress lines are dropped; with pipefail a failed step still fails the pipeline, and
  # grep finding nothing to print does not.
  cmake --build --preset "$preset" -j"$(nproc)" -- --no-print-directory 2>&1 | { grep -v -E '^\[ *[0-9]+%\]' || true; }
done
