#!/usr/bin/env bash
# Builds and runs the database benchmark: the embedded file, then the local
# Firebird server (when it answers on localhost:3050).
#   bench/db/run.sh            BUILD_DIR defaults to build-db
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$SRC/build-db}
cmake -S "$SRC" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j2 --target bench_db
export QT_QPA_PLATFORM=offscreen
"$BUILD_DIR/bench/db/bench_db" embedded
if (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  "$BUILD_DIR/bench/db/bench_db" server
else
  echo "server: skipped (nothing on localhost:3050; start it with scripts/firebird-server.sh start)"
fi
