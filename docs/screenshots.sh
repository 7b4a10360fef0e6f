#!/usr/bin/env bash
# Remakes the screenshots in docs/: builds Discshelf's screenshot driver and runs it under a
# virtual X display on a simulated discwand (needs FUSE, like tools/discwand-sim), in English
# and, for docs/german.png, in German.
# Usage: docs/screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
tools/ensure-packages.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target discshelf_screenshots
# A fixed style and font size, so that refreshed pictures differ only where the window does.
export QT_STYLE_OVERRIDE=Fusion QT_QPA_PLATFORM=xcb
unset LANGUAGE LC_ALL LC_MESSAGES
shoot() { xvfb-run -a -s "-screen 0 1280x800x24" "$build/tests/e2e/discshelf_screenshots" "$1"; }
LANG=C.UTF-8 shoot docs
# The same states in German; the copying one shows the most translated texts.
german=$(mktemp -d)
trap 'rm -rf "$german"' EXIT
LANG=de_DE.UTF-8 shoot "$german"
cp "$german/copying.png" docs/german.png
