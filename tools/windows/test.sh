#!/usr/bin/env bash
# Cross-builds Discshelf for Windows (tools/windows/build.sh) and runs its Windows test suites
# under Wine, on one fresh Wine prefix and one X display (Xvfb) shared by every suite.
# Without the Windows Qt kit it says so and does nothing; the tools it needs besides are
# installed like the Linux ones.
# Usage: tools/windows/test.sh [KIT] (the kit as for build.sh)
set -euo pipefail
suites=false
[ "${1:-}" != --suites ] || { suites=true; shift; }
project=$(cd "$(dirname "$0")/../.." && pwd)
kit=$(realpath -m "${1:-${DISCSHELF_WIN_KIT:-$project/../shared/windows}}")
build=$(realpath -m "${DISCSHELF_WIN_BUILD:-$project/build-win}")
wine=/usr/lib/wine/wine64   # Debian's wine64 has no /usr/bin wrapper

if ! $suites; then
  if [ ! -f "$kit/qt6.4.2-mingw64.tar.xz" ]; then
    echo "Windows build skipped: no Windows Qt kit at $kit (tools/windows/build.sh KIT)"
    exit 0
  fi
  # Without root or network the Linux run goes on; what is missing is named below.
  "$project/tools/ensure-packages.sh" g++-mingw-w64-x86-64-posix wine64 ninja-build \
    qt6-base-dev-tools xvfb xauth || true
  missing=()
  command -v x86_64-w64-mingw32-g++-posix >/dev/null \
    || missing+=("the mingw-w64 compiler (g++-mingw-w64-x86-64-posix)")
  [ -x "$wine" ] || missing+=("Wine ($wine, package wine64)")
  command -v ninja >/dev/null || missing+=("ninja (ninja-build)")
  command -v xvfb-run >/dev/null || missing+=("Xvfb (xvfb, xauth)")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Windows build skipped: missing $(IFS=';'; echo "${missing[*]}" | sed 's/;/; /g')"
    exit 0
  fi

  # Wine makes real windows only on an X display (the drive notifier keeps one; Qt itself
  # draws offscreen), so the suites run in a second pass of this script under Xvfb.
  start=$(date +%s)
  "$project/tools/windows/build.sh" "$kit"
  built=$(date +%s)
  xvfb-run -a "$0" --suites "$kit"
  echo "Windows: cross-build $(( built - start )) s, Wine suites $(( $(date +%s) - built )) s"
  exit 0
fi

# Fresh for every run, then kept alive by its server while the suites share it: making a prefix
# costs seconds, and each program after the first starts at once.
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEARCH=win64
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
begin=$(date +%s)
/usr/lib/wine/wineserver -p   # before anything starts one that goes when idle
"$wine" wineboot -i >/dev/null 2>&1
trap '/usr/lib/wine/wineserver -k || true' EXIT
qt=$build/qt6.4.2-mingw64
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
# The DLLs are found through WINEPATH; Wine hands WINEQT_* to the program as QT_*.
WINEPATH="$("$wine" winepath -w "$qt/bin");$("$wine" winepath -w "$runtime")"
WINEPATH+=";$("$wine" winepath -w /usr/x86_64-w64-mingw32/lib)"
export WINEPATH WINEQT_PLUGIN_PATH=$("$wine" winepath -w "$qt/plugins")
echo "Wine prefix ready in $(( $(date +%s) - begin )) s"
"$wine" "$build/out/discshelf-cli.exe" --version | tr -d '\r' | grep -x "discshelf-cli [0-9]*"
# The command-line program has no window: COM and WMI are its own to set up, and Wine has no
# discwand to show it.
status=0
"$wine" "$build/out/discshelf-cli.exe" status || status=$?
[ "$status" = 3 ] || { echo "discshelf-cli.exe status: exit $status, not 3 (no discwand)" >&2; exit 1; }
ctest --test-dir "$build/out" --output-on-failure -j"$(nproc)" --timeout 900
