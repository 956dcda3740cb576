#!/usr/bin/env bash
# Builds and runs the handling benchmark on the embedded file.
#   bench/handling/run.sh            BUILD_DIR defaults to build
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$SRC/build}
cmake -S "$SRC" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j2 --target bench_accept
export QT_QPA_PLATFORM=offscreen
"$BUILD_DIR/bench/handling/bench_accept"
