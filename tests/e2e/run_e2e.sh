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
kind=x
case $prefix in *-x144) kind=x144 ;; esac  # the screen at 144 pixels per inch
bash "$here/scripts/prefix.sh" "$prefix" $kind || exit 1
mkdir -p "$artifacts"
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

status=0
for s in "${scenarios[@]}"; do
  log=$artifacts/e2e-$s.log
  rm -f "$log" "$artifacts/.shot" "$artifacts/.xdo" "$artifacts/.shot.err" "$artifacts/.xdo.err"
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    LOADER=$(velmor_wine_loader "$arch") ARTIFACTS=$artifacts \
    timeout 600 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      # Screenshots on request: the driver writes a name into .shot and waits for it to go.
      # Pointer and keys likewise, xdotool arguments in .xdo. A tool that fails leaves its
      # message in .shot.err or .xdo.err before the request goes, and the driver fails the
      # scenario with it.
      answer() {  # answer REQUEST COMMAND...
        local out rc=0
        out=$("${@:2}" 2>&1) || rc=$?
        [ "$rc" -eq 0 ] || printf "%s failed (exit %s): %s\n" "$2" "$rc" "$out" > "$ARTIFACTS/$1.err"
        rm -f "$ARTIFACTS/$1"
      }
      ( while :; do
          if [ -f "$ARTIFACTS/.shot" ]; then
            answer .shot import -window root "$ARTIFACTS/$(cat "$ARTIFACTS/.shot").png"
          fi
          if [ -f "$ARTIFACTS/.xdo" ]; then
            # The arguments are words the driver wrote: split as written.
            answer .xdo xdotool $(cat "$ARTIFACTS/.xdo")
          fi
          sleep 0.05
        done ) &
      watcher=$!
      "$LOADER" explorer /desktop=velmor,1024x768 "$0" "$1" "$2" "$3" >"$ARTIFACTS/wine-$1.log" 2>&1
      /usr/lib/wine/wineserver -w
      kill $watcher 2>/dev/null
    ' "$driver" "$s" "$(winpath "$exe")" "$(winpath "$artifacts")"
  if [ "$s" = settings ] || [ "$s" = endsession ]; then
    # What the program left in the registry, as `reg query` shows it.
    q=$(WINEPREFIX=$prefix WINEDEBUG=-all "$(velmor_wine_loader "$arch")" reg query 'HKLM\Software\Tolvane\Velmor' \
      2>/dev/null | tr -d '\r')
    echo "$q" | sed 's/^/reg: /' >> "$log"
    if [ "$s" = endsession ]; then
      # Read back by a new wineserver from the prefix's files: what survived the ended process.
      if echo "$q" | grep -q 'Soglia.*REG_DWORD.*0x3c$'; then echo "PASS reg query shows Soglia 60" >> "$log"
      else echo "FAIL reg query shows Soglia 60" >> "$log"; fi
    fi
  fi
  if [ "$s" = folders ]; then
    # The log-on entry the last folder left, as `reg query` shows it; then it goes. reg prints
    # through the console's OEM code page, so the folder's letters come out as "?" here: the
    # driver has checked the stored text itself and started the program from it.
    run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
    q=$(WINEPREFIX=$prefix WINEDEBUG=-all "$(velmor_wine_loader "$arch")" reg query "$run" /v Velmor 2>/dev/null | tr -d '\r')
    echo "$q" | sed 's/^/reg: /' >> "$log"
    if echo "$q" | LC_ALL=C grep -a -q 'REG_SZ.*velmor\.exe$'; then echo "PASS reg query shows the Run value" >> "$log"
    else echo "FAIL reg query shows the Run value" >> "$log"; fi
    WINEPREFIX=$prefix WINEDEBUG=-all "$(velmor_wine_loader "$arch")" reg delete "$run" /v Velmor /f >/dev/null 2>&1
  fi
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
  echo "== e2e scenario $s"
  if [ -f "$log" ]; then cat "$log"; else echo "no log: the driver did not run"; status=1; continue; fi
  grep -q '^FAIL' "$log" && status=1
  grep -q ' passed, ' "$log" || status=1
done
exit $status
