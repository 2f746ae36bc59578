#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2
# The Windows edition, which the wine tests run.
scripts/build-windows.sh >&2
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
