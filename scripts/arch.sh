# Which Windows architectures this machine builds and runs. Sourced by the other scripts.
#
# velmor.exe is a 32-bit program and is always built for i686. Running 32-bit Windows code
# under Wine needs a kernel that executes 32-bit ELF binaries (Wine's 32-bit loader); some
# kernels are built without that. There the tests, the benchmarks and `make run` use an x86_64
# build of the same sources under Wine's 64-bit loader, and say so.

velmor_wine32_works() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The architecture whose build runs here. VELMOR_RUN_ARCH=x86_64 runs the 64-bit twin on a
# machine that could run the 32-bit build too, to compare the two.
velmor_run_arch() {
  case ${VELMOR_RUN_ARCH:-} in
    x86_64) echo x86_64 ;;
    *) if velmor_wine32_works; then echo i686; else echo x86_64; fi ;;
  esac
}

# Runs a command whose output is only noise while it works: velmor_quiet WHAT COMMAND...
# When it fails it says WHAT failed, with the command's last lines, and returns its status, so
# that a script under set -e never ends without a word.
velmor_quiet() {
  local what=$1 out rc=0 lines
  shift
  out=$("$@" 2>&1) || rc=$?
  [ "$rc" -eq 0 ] && return 0
  echo "$what failed (exit $rc):" >&2
  mapfile -t lines <<<"$out"
  printf '  %s\n' "${lines[@]: -20}" >&2
  return "$rc"
}

velmor_build_arches() {
  local r; r=$(velmor_run_arch)
  if [ "$r" = i686 ]; then echo i686; else echo "i686 x86_64"; fi
}

# The folder holding the velmor.exe that runs here: build/dist/ for the shipped i686 build, the
# 64-bit build's own copy of that folder otherwise. Usage: velmor_dist_dir ARCH SOURCE_DIR
velmor_dist_dir() {
  if [ "$1" = i686 ]; then echo "$2/build/dist"; else echo "$2/build/$1/dist"; fi
}

velmor_wine_loader() {
  if [ "$1" = i686 ]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi
}

# Makes the headless prefix if needed and starts one persistent wineserver for it, stopped when
# the calling script ends: the tests, the benchmarks and the soak share this.
velmor_headless_server() {
  local prefix=$1 scripts
  scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  bash "$scripts/prefix.sh" "$prefix" "${2:-headless}"
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -p
  # Start the prefix's own services now: they would otherwise inherit a test's output pipe and
  # keep ctest waiting for them until the server ends.
  /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 </dev/null || true
  trap "WINEPREFIX='$prefix' /usr/lib/wine/wineserver -k 2>/dev/null || true" EXIT
}
