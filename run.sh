#!/usr/bin/env bash
# Installs what is missing, builds Discshelf and starts it.
#   ./run.sh             start Discshelf on this computer's own disks
#   ./run.sh --simulate  start it on a simulated discwand (a FAT32 volume image)
set -euo pipefail
cd "$(dirname "$0")"

tools/ensure-packages.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)" --target discshelf

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (DISPLAY is not set). Start Discshelf from a desktop session," >&2
  echo "or under a virtual one: xvfb-run -a ./run.sh $*" >&2
  exit 1
fi

if [ "${1:-}" = "--simulate" ]; then
  exec tools/discwand-sim run -- build/discshelf
fi
exec build/discshelf "$@"
