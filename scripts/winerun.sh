#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own headless prefix (never ~/.wine).
# Usage: winerun.sh ARCH PREFIX program.exe [args...]
# The prefix uses Wine's null graphics driver: windows, controls and GDI work without X.
set -euo pipefail
arch=$1 prefix=$2
shift 2
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
here=$(cd "$(dirname "$0")" && pwd)
. "$here/arch.sh"
# Made once; a ctest started by hand after `make setup` needs no other preparation.
bash "$here/prefix.sh" "$prefix" headless
exec "$(velmor_wine_loader "$arch")" "$@"
