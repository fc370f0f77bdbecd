#!/usr/bin/env bash
# Makes a Wine prefix once: prefix.sh PREFIX headless|x|headless144|x144
#   headless: the null graphics driver, for tests that need windows but no display;
#   x:        the X11 driver, for runs under Xvfb in a virtual desktop;
#   ...144:   either with the screen at 144 pixels per inch (LogPixels), as Windows at 150 %.
set -eu
prefix=$1 kind=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/arch.sh"
# The marker holds the recipe's number: a prefix made by an older recipe is made again.
recipe=4
ready() { [ "$(cat "$prefix/.velmor-ready" 2>/dev/null)" = "$recipe" ]; }
ready && exit 0
winefonts=/usr/share/wine/fonts
[ -f "$winefonts/marlett.ttf" ] && [ -f "$winefonts/tahoma.ttf" ] ||
  { echo "prefix.sh: Wine's own fonts are missing from $winefonts (package fonts-wine): run scripts/setup.sh" >&2; exit 1; }
for f in /usr/share/fonts/truetype/liberation/Liberation{Sans,Serif,Mono}-Regular.ttf; do
  [ -f "$f" ] || { echo "prefix.sh: $f is missing (package fonts-liberation): run scripts/setup.sh" >&2; exit 1; }
done
mkdir -p "$(dirname "$prefix")"
# One maker at a time: test programs started side by side must not wipe a prefix another is
# making or using.
exec 9>"$prefix.lock"
flock 9
ready && exit 0
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# wineboot's own status says little (it can fail after making the prefix): the prefix is looked at.
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
[ -d "$prefix/drive_c/windows/system32" ] || { echo "prefix.sh: wineboot made no prefix in $prefix" >&2; exit 1; }
reg() { velmor_quiet "prefix.sh: reg add $1 /v $3" /usr/lib/wine/wine64 reg add "$@" /f; }
if [ "${kind%144}" = headless ]; then
  reg 'HKCU\Software\Wine\Drivers' /v Graphics /d null
fi
# Windows' core fonts are not here: their metric twins stand in, in every weight.
for pair in "Arial=Liberation Sans" "Times New Roman=Liberation Serif" "Courier New=Liberation Mono"; do
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}"
done
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
# A dragged window follows the pointer, as Windows shows it by default (Wine drags an outline):
# a test then sees each step of a drag land.
reg 'HKCU\Control Panel\Desktop' /v DragFullWindows /d 1
if [ "${kind%144}" != "$kind" ]; then
  # Wine reads the screen's DPI from either place, as Windows versions have kept it.
  reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144
  reg 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 144
fi
/usr/lib/wine/wineserver -w 2>/dev/null || true
# Debian's Wine looks for its own fonts beside its data folder, where they are not: without a
# copy, Marlett never loads (every close box shows an "r") and "MS Sans Serif", Tahoma and
# "Small Fonts" fall back to whatever fontconfig offers, with other widths than Windows has.
cp "$winefonts"/* "$prefix/drive_c/windows/Fonts/"
echo "$recipe" >"$prefix/.velmor-ready"
