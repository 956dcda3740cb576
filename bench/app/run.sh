#!/usr/bin/env bash
# Builds and runs the call benchmarks on the embedded file (a year of data):
#   bench/app/run.sh            hand-off figures, then SIP figures and a soak
#   SIP_CALLS=200 SOAK_CALLS=600 bench/app/run.sh
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$SRC/build}
cmake -S "$SRC" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j2 --target bench_call bench_sip_call
export QT_QPA_PLATFORM=offscreen
"$BUILD_DIR/bench/app/bench_call"
"$BUILD_DIR/bench/app/bench_sip_call" "${SIP_CALLS:-200}" "${SOAK_CALLS:-600}"
