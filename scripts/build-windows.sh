#!/usr/bin/env bash
# Cross-builds the Windows edition with mingw-w64 into build-windows/ and places its programs
# (TarnConduit2.dll, TarnCReg.exe, hotsync.exe, PalmCOMInstaller.exe and the type library
# TarnConduit2.tlb) in build/bin/, beside the builder that packs them into installers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build-windows -j"$(nproc)"
mkdir -p build/bin
for file in TarnConduit2.dll TarnConduit2.tlb TarnCReg.exe hotsync.exe PalmCOMInstaller.exe; do
  cp -p "build-windows/bin/$file" build/bin/
done
# The wine tests' own Windows helpers go with the tests, not with the programs.
mkdir -p build/tests
cp -p build-windows/bin/tarn-typelib-check.exe build-windows/bin/tarn-run-once.exe build/tests/
