#!/usr/bin/env bash
# Pictures of the statistics window, the print preview and the export window
# on a private X display, and every page of the two reports (PDF -> PNG).
# Usage: scripts/screenshot-reports.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-report-shots}")"
mkdir -p "$OUT"
[ -x build/tests/reports/test_reports ] || cmake --build build --target test_reports
. scripts/private-x.sh 1280x900
QT_QPA_PLATFORM=xcb KURUTEN_SHOT_DIR="$OUT" \
  ./build/tests/reports/test_reports --gtest_filter='Screens.*'
for pdf in "$OUT"/job*.pdf; do pdftoppm -r 80 -png "$pdf" "${pdf%.pdf}-page"; done
ls "$OUT"
