#!/usr/bin/env bash
# Starts velmor.exe under Wine. With a DISPLAY, on that display; without one, inside Xvfb in a
# Wine virtual desktop of 1024x768, where a screenshot lands in build/artifacts/run.png once the
# window is up. Runs until the program ends or Ctrl+C.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
exe=$(velmor_dist_dir "$arch" "$here")/velmor.exe
[ "$arch" = i686 ] || echo "note: running the x86_64 build of the same sources (no 32-bit support here, or VELMOR_RUN_ARCH)"
prefix=$here/build/$arch/wine-x
bash "$here/scripts/prefix.sh" "$prefix" x
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
loader=$(velmor_wine_loader "$arch")
artifacts=$here/build/artifacts
mkdir -p "$artifacts"
echo "Velmor: $exe"
if [ -n "${DISPLAY:-}" ]; then
  exec "$loader" "$exe"
fi
echo "No DISPLAY: running in a Wine virtual desktop under Xvfb; the screenshot goes to $artifacts/run.png"
echo "Press Ctrl+C to stop."
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT INT TERM
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" explorer /desktop=velmor,1024x768 "$2" >/dev/null 2>&1 &
  desktop=$!
  # Give the desktop and the program time to come up, then take a picture of the screen.
  sleep 12
  import -window root "$3/run.png" && echo "Screenshot: $3/run.png"
  wait $desktop
  /usr/lib/wine/wineserver -w
' _ "$loader" "$exe" "$artifacts"
