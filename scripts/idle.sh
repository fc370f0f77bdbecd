#!/usr/bin/env bash
# Idle cost of the program in the tray: velmor.exe and a minimal tray program run side by side
# in one Wine virtual desktop under Xvfb for SECONDS (default 60); prints the CPU time each used
# over wall time, and their resident memory and its ratio. CPU time is the scheduler's count in
# nanoseconds over all the process's threads: clock ticks (1/100 s) are too coarse for a program
# that uses a few milliseconds a minute.
# Both programs start as the end-to-end run starts its driver, the same way for either build;
# only the loader differs (arch.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
arch=$(velmor_run_arch)
dir=$here/build/$arch
seconds=${1:-60}
prefix=$dir/wine-x
export VELMOR=$(velmor_dist_dir "$arch" "$here")/velmor.exe MINI=$dir/bench/mini_tray.exe
for exe in "$VELMOR" "$MINI"; do
  [ -f "$exe" ] || { echo "idle: $exe is missing (build first)"; exit 1; }
done
bash "$here/scripts/prefix.sh" "$prefix" x
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SECONDS_TO_RUN=$seconds
export LOADER=$(velmor_wine_loader "$arch")
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  # The Wine process running the program: the one Wine named after it (neither this shell nor
  # the desktop process, whose command lines name the program too), in this prefix (not another
  # build'"'"'s copy on the same machine), and new (not one still ending from an earlier run).
  pid_of() {
    for p in $(pgrep -x "$1"); do
      case " $2 " in *" $p "*) continue ;; esac
      tr "\0" "\n" </proc/$p/environ 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo $p; return; }
    done
  }
  # Starts a program in the desktop and waits up to 30 s for its process.
  start() {
    local name before; name=$(basename "$1"); before=$(pgrep -x "$name" | tr "\n" " ")
    "$LOADER" explorer /desktop=velmor,1024x768 "$1" >/dev/null 2>&1 &
    for _ in $(seq 60); do pid=$(pid_of "$name" "$before"); [ -n "$pid" ] && return; sleep 0.5; done
    echo "idle: $name did not start within 30 s"; /usr/lib/wine/wineserver -k; exit 1
  }
  # (A kernel without scheduler statistics: clock ticks after all.)
  cpu() {
    if [ -r /proc/$1/schedstat ]; then cat /proc/$1/task/*/schedstat | awk "{ns += \$1} END {printf \"%d\", ns}"
    else awk -v hz=$(getconf CLK_TCK) "{printf \"%d\", (\$14 + \$15) * 1e9 / hz}" /proc/$1/stat; fi
  }
  rss() { awk "/VmRSS/ {print \$2}" /proc/$1/status; }
  start "$VELMOR"; v=$pid
  start "$MINI"; m=$pid
  sleep 8  # both past their start-up
  v0=$(cpu $v); m0=$(cpu $m)
  sleep "$SECONDS_TO_RUN"
  for p in $v $m; do
    [ -d /proc/$p ] || { echo "idle: a program ended during the run (process $p)"; /usr/lib/wine/wineserver -k; exit 1; }
  done
  v1=$(cpu $v); m1=$(cpu $m); vr=$(rss $v); mr=$(rss $m)
  awk -v v=$((v1 - v0)) -v m=$((m1 - m0)) -v s=$SECONDS_TO_RUN -v vr=$vr -v mr=$mr "BEGIN {
    printf \"idle: velmor.exe used %.3f %% of one core over %d s (target <= 0.1 %%), the minimal tray program %.3f %% (ratio %.2f)\n\", 100 * v / 1e9 / s, s, 100 * m / 1e9 / s, (m > 0 ? v / m : 0);
    printf \"idle: resident memory velmor.exe %d KB, minimal tray program %d KB, ratio %.2f (target <= 1.25)\n\", vr, mr, vr / mr }"
  /usr/lib/wine/wineserver -k
'
