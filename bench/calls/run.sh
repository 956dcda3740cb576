#!/usr/bin/env bash
# Builds and runs the link benchmark on a private X display (Xvfb and jwm)
# with the receiving program of the tests:
#   bench/calls/run.sh            BUILD_DIR defaults to build
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$SRC/build}
cmake -S "$SRC" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j2 --target bench_link link_receiver link_forward
. "$SRC/scripts/private-x.sh" 1280x800
RECEIVER=$(find "$BUILD_DIR" -name link_receiver -type f -perm -u+x | head -1)
LINK_RECEIVER="$RECEIVER" "$BUILD_DIR/bench/calls/bench_link"
