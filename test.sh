#!/usr/bin/env bash
# Builds everything and runs every test: unit, gl (offscreen rendering) and
# e2e (real programs under Xvfb), then the Windows build (MinGW-w64) with
# its tests under Wine, then the short fuzz runs, then the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs" --timeout 600

# Windows: cross-compiled, the tests run under Wine (one wine run per test
# program; they run one at a time, see scripts/wine-run.sh). The Linux build
# above is the host build: it made the asset archive, the soundtrack and the
# reference programs the Windows tests compare with.
VORNA3D_HOST_BIN=$PWD/build-test/bin scripts/build-windows.sh build-win
ctest --test-dir build-win --output-on-failure --timeout 600

if [ -x fuzz/run.sh ]; then
  fuzz/run.sh
fi

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORNA3D_SANITIZE=ON -DVORNA3D_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L unit --timeout 900
