#!/usr/bin/env bash
# Installs the Debian packages Discshelf needs to build, run and test, when any are missing.
# Usage: tools/ensure-packages.sh [extra-package ...]
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-scxml-dev libgl-dev libssl-dev
          fonts-dejavu-core dosfstools fusefat fuse mtools xvfb xauth
          qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
          dpkg-dev file lintian desktop-file-utils appstream xorriso dbus strace
          python3 curl openssl qemu-system-x86 linux-image-amd64 busybox-static cpio binutils "$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
