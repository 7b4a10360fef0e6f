#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and checks what a user gets:
# the listed files, the programs answering --version there, clean validators and lintian.
# Usage: check.sh BUILD_DIR APP_ID VERSION PROGRAM...
set -euo pipefail
build=$1 id=$2 version=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack did not make the package"; }
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

[ "$(dpkg-deb -f "$deb" Package)" = discshelf ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ $depends == *libqt6widgets6* ]] || fail "dpkg-shlibdeps found no Qt dependency"
[[ $depends == *libssl3* ]] || fail "dpkg-shlibdeps found no libcrypto dependency"
[[ $depends != *fusefat* && $depends != *mtools* ]] || fail "fusefat/mtools must not be required"

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/contents"
wanted=(./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml
        ./usr/share/icons/hicolor/48x48/apps/$id.png ./usr/share/icons/hicolor/scalable/apps/$id.svg
        ./usr/share/doc/discshelf/copyright)
for p in "$@"; do wanted+=(./usr/bin/$p ./usr/share/man/man1/$p.1.gz); done
for f in "${wanted[@]}"; do grep -qxF "$f" "$work/contents" || fail "dpkg-deb -c lists no $f"; done

root=$work/root
dpkg -x "$deb" "$root"
for p in "$@"; do
  # No display at all: --version must not need one.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$p" --version) ||
    fail "$p --version failed"
  [[ $out == *" $version" ]] || fail "$p --version printed '$out'"
  echo "$p --version: $out"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "AppStream metainfo"
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"
