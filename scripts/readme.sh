#!/usr/bin/env bash
# Read me with hostile and large Readme.txt files (one line of 2 MB, 1 MB of random bytes, RTF
# without text, UTF-16, 10 MB of text, ...): for each, the real velmor.exe in a Wine virtual
# desktop under Xvfb, the time until its main window answers again after Read me, and its
# resident memory before and after. A report, run by `make bench`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
dir=$here/build/$arch
prefix=$dir/wine-x
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
exe=$(velmor_dist_dir "$arch" "$here")/velmor.exe
for f in "$exe" "$dir/bench/readme_load.exe"; do
  [ -f "$f" ] || { echo "readme: $f is missing (build first)"; exit 1; }
done
bash "$here/scripts/prefix.sh" "$prefix" x
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
timeout 600 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" explorer /desktop=velmor,1024x768 "$2" "$3" 2>/dev/null | cat
  /usr/lib/wine/wineserver -w
' _ "$(velmor_wine_loader "$arch")" "$(winpath "$dir/bench/readme_load.exe")" "$(winpath "$exe")"
