#!/usr/bin/env bash
# Runs the soak program under Wine and prints its table of counts before and after each phase.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
dir=$here/build/$arch
velmor_headless_server "$dir/wine-headless"
[ "$arch" = i686 ] || echo "note: the x86_64 build of the same sources (this kernel cannot run 32-bit programs)"
rc=0
timeout 1800 "$(velmor_wine_loader "$arch")" "$dir/bench/soak.exe" </dev/null | cat || rc=$?
[ "$rc" -eq 0 ] || { echo "soak: soak.exe failed (exit $rc)" >&2; exit "$rc"; }
