#!/usr/bin/env bash
# Refreshes the manual's pictures (help/images/) from the window tests' screenshots, rendered without a
# display from the test knowledge base. Run it after a change of the window, then commit the pictures.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
cmake --build "$build" --target screenshots
rm -rf "$build/screenshots"
QT_QPA_PLATFORM=offscreen "$build/tests/app/screenshots" >/dev/null
mkdir -p help/images
cp "$build"/screenshots/*.png help/images/
ls help/images
