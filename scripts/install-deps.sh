#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tarn Conduit need,
# skipping those already present. Safe to run again.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config
  # libraries
  unixodbc unixodbc-dev nlohmann-json3-dev qt6-base-dev
  # tests
  googletest libgtest-dev libgmock-dev
  # the embedded default desktop database: SQLite through its ODBC driver
  libsqliteodbc sqlite3
  # the database servers the tests start privately, and their ODBC drivers
  postgresql odbc-postgresql mariadb-server odbc-mariadb
  # an independent reader and writer of handheld database files, used by the tests
  perl libpalm-pdb-perl
  # the Windows edition: cross compiler, widl and the IDL files of the type library; makensis
  # packs installers
  mingw-w64 mingw-w64-tools libwine-dev nsis
)
# wine (64-bit) runs the Windows edition's tests. Its recommended libraries come with it: wine
# loads them at run time (the host's ODBC driver manager among them), and the tests are known
# to pass with them.
with_recommends=(wine wine64 libwine)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
missing_with_recommends=()
for p in "${with_recommends[@]}"; do installed "$p" || missing_with_recommends+=("$p"); done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_with_recommends[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]} ${missing_with_recommends[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q >&2
# First, so that packages pulled in by both lists bring their recommended libraries.
if [ ${#missing_with_recommends[@]} -gt 0 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q "${missing_with_recommends[@]}" >&2
fi
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" >&2
fi
