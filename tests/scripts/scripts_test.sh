#!/usr/bin/env bash
# Tests of the set-up and build scripts, run on the build machine (not under Wine).
#   scripts_test.sh <source dir> [case ...]    cases: setup build (default: all)
set -uo pipefail
src=$(cd "$1" && pwd); shift
cases=("$@"); [ ${#cases[@]} -gt 0 ] || cases=(setup build)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0
check() { # check <description> <command...>
  local what=$1; shift
  if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what"; failures=$((failures + 1)); fi
}

# A stand-in apt-get first on a bare PATH, so that every package looks missing: the archive's
# mid-sync state (one index of a suite stale, multiarch candidates unsolvable) cannot be
# steered for real. It logs each call; FAKE_APT=midsync fails the update and the unpinned
# install, FAKE_APT=broken fails every install.
make_fake_bin() {
  local bin=$1
  mkdir -p "$bin"
  for t in bash env id mktemp tee sed sort tr rm grep mkdir dirname nproc head cat; do
    ln -sf "$(command -v $t)" "$bin/$t"
  done
  cat >"$bin/apt-get" <<'FAKE'
#!/bin/bash
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*)
    [ "$FAKE_APT" = midsync ] || exit 0
    echo "Err:8 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  *" install "*)
    if [ "$FAKE_APT" = broken ] || { [ "$FAKE_APT" = midsync ] && [[ " $* " != *" -t "* ]]; }; then
      echo "E: Unable to correct problems, you have held broken packages." >&2
      exit 100
    fi
    exit 0 ;;
esac
FAKE
  cat >"$bin/dpkg" <<'FAKE'
#!/bin/bash
case "$1" in --print-foreign-architectures) echo i386 ;; *) exit 1 ;; esac
FAKE
  chmod +x "$bin/apt-get" "$bin/dpkg"
  printf '#!/bin/bash\nexec "$@"\n' >"$bin/sudo"; chmod +x "$bin/sudo"
}

# The apt-get calls of the last run, one word each: the verb, and the pinned release if any.
calls() {
  while read -r -a w; do
    local verb= pin= i
    for ((i = 1; i < ${#w[@]}; i++)); do
      case "${w[i]}" in
        -o) i=$((i + 1)) ;;
        -t) pin=" -t ${w[i + 1]}"; i=$((i + 1)) ;;
        -*) ;;
        *) [ -n "$verb" ] || verb=${w[i]} ;;
      esac
    done
    printf '%s%s|' "$verb" "$pin"
  done <"$work/log"
}

run_setup() { # run_setup <mode> [old]: output in $work/out, calls in $work/log, status in $rc
  : >"$work/log"
  # Both libraries in place, made by the current recipe, so the set-up stops after the packages;
  # with "old", the i686 one was made by an earlier recipe.
  local recipe; recipe=$(sed -n 's/^jpeg_recipe=//p' "$src/scripts/setup.sh")
  for a in i686 x86_64; do
    mkdir -p "$work/b/deps/$a/libjpeg/lib"; : >"$work/b/deps/$a/libjpeg/lib/libjpeg.a"
    echo "$recipe" >"$work/b/deps/$a/libjpeg/recipe"
  done
  [ "${2:-}" != old ] || echo 1 >"$work/b/deps/i686/libjpeg/recipe"
  FAKE_APT=$1 FAKE_LOG=$work/log BUILD_DIR=$work/b PATH=$work/bin \
    bash "$src/scripts/setup.sh" >"$work/out" 2>&1
  rc=$?
}

case_setup() {
  echo "setup: archive in mid-sync"
  make_fake_bin "$work/bin"
  local codename; codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  run_setup midsync
  check "finishes (exit $rc)" test "$rc" -eq 0
  check "names the index it could not fetch" \
    grep -q "setup: apt-get update could not fetch bookworm-security/main/binary-i386/Packages.xz" "$work/out"
  check "says it pinned the release" grep -q "pinned to $codename (-t $codename)" "$work/out"
  check "calls update, install, pinned install in that order" \
    test "$(calls)" = "update|install|install -t $codename|"
  check "update retries through apt's own setting" grep -q "Acquire::Retries=" "$work/log"
  run_setup broken
  check "an install that cannot be solved at all fails the set-up (exit $rc)" test "$rc" -ne 0
  check "apt's message is on screen" grep -q "held broken packages" "$work/out"
  # The stand-in fetches no sources, so the set-up stops there; what counts is that it went.
  run_setup ok old
  check "a libjpeg that an older recipe built is built again: its sources are fetched" \
    grep -q "apt-get source" "$work/log"
  check "and the old library is gone" test ! -e "$work/b/deps/i686/libjpeg/lib/libjpeg.a"
  # The machine this runs on has been set up (make test does that first): nothing to install.
  mkdir -p "$work/apt-only" && cp "$work/bin/apt-get" "$work/apt-only/"
  : >"$work/log"
  FAKE_APT=broken FAKE_LOG=$work/log BUILD_DIR=$src/build PATH=$work/apt-only:$PATH \
    bash "$src/scripts/setup.sh" >"$work/out" 2>&1
  rc=$?
  check "a machine with everything in place runs no apt command (exit $rc)" \
    test "$rc" -eq 0 -a ! -s "$work/log"
  sed 's/^/    | /' "$work/out" | tail -n 4
}

# A copy of the tree with one source that does not compile: the build must stop non-zero and
# show the compiler's message, not go on with the binaries of an earlier build.
case_build() {
  echo "build: a source that does not compile"
  local tree=$work/tree
  mkdir -p "$tree"
  (cd "$src" && tar --exclude=./build --exclude=./.git -cf - .) | (cd "$tree" && tar -xf -)
  # The libraries the set-up built are reused, not built again.
  mkdir -p "$tree/build" && ln -s "$src/build/deps" "$tree/build/deps"
  local victim=$tree/framework/Controls.cpp
  check "the source to break is there ($victim)" test -f "$victim"
  [ -f "$victim" ] || return 0
  echo 'this does not compile;' >>"$victim"
  make -C "$tree" build >"$work/out" 2>&1
  rc=$?
  check "make build exits non-zero (exit $rc)" test "$rc" -ne 0
  check "the compiler's error is on screen" grep -q "error" "$work/out"
  grep -m 3 -i "error" "$work/out" | sed 's/^/    | /'
}

for c in "${cases[@]}"; do "case_$c"; done
[ "$failures" -eq 0 ] && echo "all script checks passed" || { echo "$failures script check(s) failed"; exit 1; }
