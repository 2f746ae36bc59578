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
  # the Windows edition: cross compiler, widl and the IDL files of the type library, and wine
  # (64-bit) to test it; makensis packs installers
  mingw-w64 mingw-w64-tools libwine-dev wine wine64 nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q >&2
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" >&2
