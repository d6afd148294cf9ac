#!/usr/bin/env bash
# Cross-compiles the Windows build with MinGW-w64 into BUILD_DIR (default
# build-win): the engine libraries, the tests that run on Windows,
# hello_window.exe, viewer.exe and vorna3d.exe, each a 64-bit program
# that needs only Windows' own DLLs. ctest in BUILD_DIR runs the tests
# under Wine (scripts/wine-run.sh).
#   scripts/build-windows.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DVORNA3D_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
