#!/usr/bin/env bash
# Runs end-to-end scenarios: the real velmor.exe in a Wine virtual desktop (1024x768) under
# Xvfb, driven by e2e_driver.exe. Screenshots and logs land in the artifacts folder.
# Usage: run_e2e.sh ARCH PREFIX velmor.exe driver.exe ARTIFACTS [SCENARIO...]
set -u
arch=$1 prefix=$2 exe=$3 driver=$4 artifacts=$5
shift 5
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=(main)
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/arch.sh"
bash "$here/scripts/prefix.sh" "$prefix" x || exit 1
mkdir -p "$artifacts"
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

status=0
for s in "${scenarios[@]}"; do
  log=$artifacts/e2e-$s.log
  rm -f "$log" "$artifacts/.shot" "$artifacts/.mouse"
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    LOADER=$(velmor_wine_loader "$arch") ARTIFACTS=$artifacts \
    timeout 600 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      # Screenshots on request: the driver writes a name into .shot and waits for it to go.
      ( while :; do
          if [ -f "$ARTIFACTS/.shot" ]; then
            name=$(cat "$ARTIFACTS/.shot")
            import -window root "$ARTIFACTS/$name.png" 2>/dev/null
            rm -f "$ARTIFACTS/.shot"
          fi
          # Mouse input on request ("click X Y" or "move X Y"): keys from xdotool never reach
          # Wine menus here, the mouse does.
          if [ -f "$ARTIFACTS/.mouse" ]; then
            read -r what x y < "$ARTIFACTS/.mouse"
            xdotool mousemove "$x" "$y" 2>/dev/null
            [ "$what" = click ] && xdotool click 1 2>/dev/null
            rm -f "$ARTIFACTS/.mouse"
          fi
          sleep 0.2
        done ) &
      watcher=$!
      "$LOADER" explorer /desktop=velmor,1024x768 "$0" "$1" "$2" "$3" >/dev/null 2>&1
      /usr/lib/wine/wineserver -w
      kill $watcher 2>/dev/null
    ' "$driver" "$s" "$(winpath "$exe")" "$(winpath "$artifacts")"
  if [ "$s" = settings ]; then
    # What the program left in the registry, as `reg query` shows it.
    WINEPREFIX=$prefix WINEDEBUG=-all "$(velmor_wine_loader "$arch")" reg query 'HKLM\Software\Tolvane\Velmor' \
      2>/dev/null | tr -d '\r' | sed 's/^/reg: /' >> "$log"
  fi
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
  echo "== e2e scenario $s"
  if [ -f "$log" ]; then cat "$log"; else echo "no log: the driver did not run"; status=1; continue; fi
  grep -q '^FAIL' "$log" && status=1
  grep -q ' passed, ' "$log" || status=1
done
exit $status
