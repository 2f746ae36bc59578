#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
