#!/usr/bin/env bash
# Runs every benchmark under Wine and prints its figures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
dir=$here/build/$arch
# The shipped program's size against its target, and where the bytes come from (the link map).
shipped=$here/build/dist/velmor.exe
bytes=$(stat -c %s "$shipped")
awk -v b="$bytes" 'BEGIN { printf "size: build/dist/velmor.exe %d bytes, %.1f KB (target <= 640 KB)\n", b, b / 1024 }'
python3 "$here/scripts/sizes.py" "$here/build/i686/app/velmor.map" 8
velmor_headless_server "$dir/wine-headless"
[ "$arch" = i686 ] || echo "note: the x86_64 build of the same sources (no 32-bit support here, or VELMOR_RUN_ARCH)"
loader=$(velmor_wine_loader "$arch")
# The start-up benchmark starts the program as a Windows path.
exe=$(velmor_dist_dir "$arch" "$here")/velmor.exe
export VELMOR_EXE=$(printf 'Z:%s' "$exe" | tr '/' '\\')
failed=()
for b in "$dir"/bench/*_bench.exe; do
  # A benchmark that waits on something that never comes must not hold the run forever. One
  # that fails is named, and the others still run.
  rc=0
  timeout 900 "$loader" "$b" </dev/null | cat || rc=$?
  [ "$rc" -eq 0 ] || { echo "bench: $(basename "$b") failed (exit $rc)" >&2; failed+=("$(basename "$b")"); }
done
# Start-up to the tray icon and the About paint once more with the screen at 144 pixels per
# inch, beside the figures at 96 above: the windows are laid out for it at start-up.
WINEPREFIX=$dir/wine-headless /usr/lib/wine/wineserver -k 2>/dev/null || true
velmor_headless_server "$dir/wine-headless144" headless144
for b in "$dir"/bench/startup_bench.exe "$dir"/bench/about_bench.exe; do
  rc=0
  timeout 900 "$loader" "$b" </dev/null | sed 's/^/at 144 DPI: /' || rc=$?
  [ "$rc" -eq 0 ] || { echo "bench: $(basename "$b") at 144 DPI failed (exit $rc)" >&2; failed+=("$(basename "$b")@144"); }
done
bash "$here/scripts/idle.sh" 60 || { echo "bench: the idle run failed" >&2; failed+=(idle); }
bash "$here/scripts/readme.sh" || { echo "bench: the Read me run failed" >&2; failed+=(readme); }
[ ${#failed[@]} -eq 0 ] || { echo "bench: failed: ${failed[*]}" >&2; exit 1; }
