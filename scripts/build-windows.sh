#!/usr/bin/env bash
# Cross-compiles the Windows build with MinGW-w64 into BUILD_DIR (default
# build-win): the engine libraries, the tests that run on Windows,
# sulvanto.exe, hello_window.exe, viewer.exe and vorna3d.exe, each a 64-bit
# program that needs only Windows' own DLLs. ctest in BUILD_DIR runs the
# tests under Wine (scripts/wine-run.sh). Then writes the compo zip
# dist/sulvanto-win64.zip: sulvanto.exe (stripped), sulvanto.dat,
# override.mp3 and sulvanto.nfo, byte-identical from run to run.
#   scripts/build-windows.sh [BUILD_DIR]
# The asset archive, the soundtrack and the tests' helper programs are
# made by Linux programs: from the Linux build whose bin folder
# VORNA3D_HOST_BIN names, or else from a host build of just those targets
# in BUILD_DIR/host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

host_bin=${VORNA3D_HOST_BIN:-}
if [ -z "$host_bin" ]; then
  cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORNA3D_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
  # sulvanto itself: the tests compare the Windows capture with its frames;
  # mp3_reference: the MP3 decoder test's inputs and libmpg123 references.
  cmake --build "$build/host" -j "$(nproc)" --target assets soundtrack sulvanto mp3_reference
  host_bin=$build/host/bin
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DVORNA3D_BENCHMARKS=OFF -DVORNA3D_HOST_BIN="$host_bin" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

python3 "$root/scripts/make-dist-zip.py" "$root/dist/sulvanto-win64.zip" --strip x86_64-w64-mingw32-strip \
  "$build/bin/sulvanto.exe" "$build/bin/sulvanto.dat" "$build/bin/override.mp3" "$root/demo/sulvanto.nfo"
echo "dist/sulvanto-win64.zip: $(stat -c %s "$root/dist/sulvanto-win64.zip") bytes"
