#!/usr/bin/env bash
# Runs every test under Wine: the headless ones in a prefix with the null graphics driver and
# one persistent wineserver, the end-to-end run under Xvfb in a prefix of its own; then the unit
# tests once more on the check build (debug: no optimisation, assertions, one-definition check).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
dir=$here/build/$arch
bash "$here/scripts/build.sh" debug
[ "$arch" = i686 ] || echo "note: the tests run the x86_64 build of the same sources (no 32-bit support here, or VELMOR_RUN_ARCH)"
bash "$here/scripts/prefix.sh" "$dir/wine-x" x
mkdir -p "$here/build/artifacts"
velmor_headless_server "$dir/wine-headless"
cd "$here"
ctest --preset "release-$arch" "$@"
echo "== unit tests on the check build"
ctest --preset "debug-$arch" "$@"
