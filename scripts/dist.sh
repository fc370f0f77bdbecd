#!/usr/bin/env bash
# build/velmor-<version>-win32.zip: the distribution folder build/dist/ as a Windows user copies it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Velmor VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
zip=$here/build/velmor-$version-win32.zip
rm -f "$zip"
(cd "$here/build/dist" && zip -q -r "$zip" .)
echo "$zip"
unzip -l "$zip"
