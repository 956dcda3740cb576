#!/usr/bin/env bash
# Softphone benchmark: builds bench_sip in its own folder and runs it.
#   bench/sip/run.sh [calls] [idle-seconds]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/../.." && pwd)"
build="${KURUTEN_BENCH_BUILD:-$src/build-bench-sip}"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKURUTEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target bench_sip >/dev/null
"$build/bench/sip/bench_sip" "${1:-200}" "${2:-20}"
