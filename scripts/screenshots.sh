#!/usr/bin/env bash
# Opens each window with sample data on a private X display (Xvfb) and saves a PNG of it into
# docs/screenshots/. Builds the helper program first when needed.
#   scripts/screenshots.sh [BUILD_FOLDER]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target tarn-screenshots tarn-builder-screenshots
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }

# A fixed screen, font size and style, so the pictures look the same on every machine.
export QT_QPA_PLATFORM=xcb
export QT_SCALE_FACTOR=1
export QT_STYLE_OVERRIDE=Fusion
export XDG_RUNTIME_DIR="$(mktemp -d)"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24 -dpi 96" \
  "$build/bin/tarn-screenshots" docs/screenshots
xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24 -dpi 96" \
  "$build/bin/tarn-builder-screenshots" docs/screenshots
