#!/usr/bin/env bash
# Runs the soak program under Wine and prints its table of counts before and after each phase.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
dir=$here/build/$arch
bash "$here/scripts/prefix.sh" "$dir/wine-headless" headless
export WINEPREFIX=$dir/wine-headless WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
/usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 </dev/null || true
[ "$arch" = i686 ] || echo "note: the x86_64 build of the same sources (this kernel cannot run 32-bit programs)"
timeout 1800 "$(velmor_wine_loader "$arch")" "$dir/bench/soak.exe" </dev/null 2>/dev/null | cat
