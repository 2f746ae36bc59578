#!/usr/bin/env bash
# The main job: a HotSync of the bundled sample conduit on the embedded SQLite default.
# Builds everything, registers the conduit library and the sample "Orders" conduit in a private
# TARN_HOME under build/sample, generates the sample desktop database and handheld folder, and
# runs one HotSync at debug level 2, printing its log and both sides before and after.
# Safe to run again: the sample is made afresh each time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2

root=$PWD
sample=$root/build/sample
bin=$root/build/bin
rm -rf "$sample"
mkdir -p "$sample/handheld"
export TARN_HOME=$sample/home

sqlite3 "$sample/orders.db" < samples/orders.sql
sed "s#@SAMPLE_DIR@#$sample#g" samples/orders.json | "$bin/tarn-config" write "$sample/Orders.cfg"
"$bin/tarn-sample" handheld "$sample/handheld"

"$bin/hotsync" regsvr "$bin/libTarnConduit2.so" 2>/dev/null
"$bin/TarnCReg" -R "$sample/Orders.cfg"
"$bin/hotsync" reg set 'HKEY_LOCAL_MACHINE\Software\TarnConduit2' DebugLevel 2

show() {
  echo "Desktop (SQLite, $sample/orders.db):"
  sqlite3 -header -column "$sample/orders.db" \
    "SELECT * FROM Orders ORDER BY OrderNo; SELECT * FROM Products ORDER BY Sku;" | sed 's/^/  /'
  echo "Handheld ($sample/handheld):"
  "$bin/tarn-sample" show "$sample/handheld" | sed 's/^/  /'
}

echo "===== Before the HotSync"
show
echo
echo "===== HotSync log (conduit $("$bin/hotsync" list | cut -f1,2 | tr '\t' ' '))"
"$bin/hotsync" sync --handheld "$sample/handheld" --user "Sample User"
echo
echo "===== After the HotSync"
show
