#!/usr/bin/env bash
# Cross-builds Discshelf for 64-bit Windows with mingw-w64 and the Windows Qt kit, tests
# included, and packs Discshelf-<version>-win64.zip: unzip it anywhere and start discshelf.exe.
# Usage: tools/windows/build.sh [KIT]   KIT: the folder holding qt6.4.2-mingw64.tar.xz
#   (default $DISCSHELF_WIN_KIT, else ../shared/windows beside the project). The build goes to
#   $DISCSHELF_WIN_BUILD (default build-win/).
set -euo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
kit=$(realpath -m "${1:-${DISCSHELF_WIN_KIT:-$project/../shared/windows}}")
build=$(realpath -m "${DISCSHELF_WIN_BUILD:-$project/build-win}")
archive=$kit/qt6.4.2-mingw64.tar.xz
cxx=x86_64-w64-mingw32-g++-posix

missing=()
[ -f "$archive" ] || missing+=("the Windows Qt kit ($archive)")
command -v "$cxx" >/dev/null || missing+=("the mingw-w64 compiler $cxx (Debian: g++-mingw-w64-x86-64-posix)")
command -v ninja >/dev/null || missing+=("ninja (Debian: ninja-build)")
command -v cmake >/dev/null || missing+=("cmake")
[ -x /usr/lib/qt6/libexec/moc ] || missing+=("the host Qt tools moc/rcc/uic (Debian: qt6-base-dev-tools)")
if [ ${#missing[@]} -gt 0 ]; then
  printf 'Cannot build for Windows, missing:\n' >&2
  printf '  - %s\n' "${missing[@]}" >&2
  exit 1
fi

# The kit is relocatable; unpacked again only when the archive changed.
qt=$build/qt6.4.2-mingw64
mkdir -p "$build"
if [ ! -f "$qt/.unpacked" ] || [ "$archive" -nt "$qt/.unpacked" ]; then
  rm -rf "$qt"
  tar -xJf "$archive" -C "$build"
  touch "$qt/.unpacked"
fi

cmake -G Ninja -S "$project" -B "$build/out" -DCMAKE_BUILD_TYPE=Release -DDISCSHELF_BENCH=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" >/dev/null
ninja -C "$build/out"

# What a Windows user needs beside the programs: the Qt libraries they link, the plugins Qt
# loads (the windows platform, the native style, .ico reading, TLS for redirects to https)
# and the mingw runtime.
version=$(sed -n 's/^project(Discshelf VERSION \([0-9.]*\).*/\1/p' "$project/CMakeLists.txt")
name=Discshelf-$version-win64
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage"/{platforms,styles,imageformats,tls}
cp "$build/out/discshelf.exe" "$build/out/discshelf-cli.exe" "$stage/"
for lib in Core Gui Widgets Network StateMachine; do cp "$qt/bin/Qt6$lib.dll" "$stage/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$qt/plugins/imageformats/qico.dll" "$stage/imageformats/"
cp "$qt/plugins/tls/qschannelbackend.dll" "$stage/tls/"
cp "$("$cxx" -print-file-name=libstdc++-6.dll)" "$("$cxx" -print-file-name=libgcc_s_seh-1.dll)" \
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
# Debugging symbols would make the runtime alone 20 MB larger.
find "$stage" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
cp -r "$qt/LICENSES" "$stage/QT-LICENSES"
rm -f "$build/$name.zip"
(cd "$build/package" && cmake -E tar cf "$build/$name.zip" --format=zip "$name")
echo "Built $build/$name.zip"
