#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it on its embedded
# default database (created on the first start).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/app/main/kuruten3 "$@"
