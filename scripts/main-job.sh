#!/usr/bin/env bash
# The main job: builds the tools and shows the bundled sample conduit description.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2
out=build/sample
mkdir -p "$out"
build/bin/tarn-config write "$out/Orders.tcf" < samples/orders.json
echo "Sample conduit description $out/Orders.tcf:" >&2
build/bin/tarn-config show "$out/Orders.tcf"
