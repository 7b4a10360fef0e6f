#!/usr/bin/env bash
# Takes docs/windows-wine.png: the packed Windows build (tools/windows/build.sh first) started
# under Wine in a virtual desktop of its own, which draws the window's frame, on Xvfb.
# Usage: tools/windows/screenshot.sh [OUTPUT.png]
set -euo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${DISCSHELF_WIN_BUILD:-$project/build-win}")
out=$(realpath -m "${1:-$project/docs/windows-wine.png}")
zip=$(ls "$build"/Discshelf-*-win64.zip 2>/dev/null | head -n1)
[ -n "$zip" ] || { echo "No packed Windows build in $build: run tools/windows/build.sh" >&2; exit 1; }
for tool in xvfb-run import unzip; do
  command -v "$tool" >/dev/null || { echo "Missing $tool (Debian: xvfb, imagemagick, unzip)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
cat >"$work/shoot.sh" <<SHOT
export WINEPREFIX=$work/prefix WINEDEBUG=-all
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 explorer /desktop=Discshelf,760x560 $work/Discshelf-*/discshelf.exe >/dev/null 2>&1 &
sleep 15   # the desktop, then the window and its first detection pass
import -window root "$out"
/usr/lib/wine/wineserver -k
SHOT
xvfb-run -a -s "-screen 0 760x560x24" bash "$work/shoot.sh"
echo "Wrote $out"
