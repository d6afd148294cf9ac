#!/usr/bin/env bash
# Builds the engine, the demo, its asset archive and its soundtrack, then
# plays the show. Arguments go to the demo (for example --window).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNA3D_TESTS=OFF -DVORNA3D_BENCHMARKS=OFF >/dev/null
cmake --build build
exec build/bin/sulvanto "$@"
