#!/usr/bin/env bash
# Builds and runs the link benchmark on a private X display (Xvfb and jwm)
# with the receiving program of the tests:
#   bench/calls/run.sh            BUILD_DIR defaults to build
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$SRC/build}
cmake -S "$SRC" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j2 --target bench_link link_receiver link_forward
DISPLAY_NO=$((100 + RANDOM % 400))
Xvfb ":$DISPLAY_NO" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $JWM $XVFB 2>/dev/null || true' EXIT
sleep 1
DISPLAY=":$DISPLAY_NO" jwm >/dev/null 2>&1 &
JWM=$!
sleep 0.5
RECEIVER=$(find "$BUILD_DIR" -name link_receiver -type f -perm -u+x | head -1)
DISPLAY=":$DISPLAY_NO" LINK_RECEIVER="$RECEIVER" "$BUILD_DIR/bench/calls/bench_link"
