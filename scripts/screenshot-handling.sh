#!/usr/bin/env bash
# Pictures of a handling tab inside a customer view and of the handling
# search window, on a private X display.
# Usage: scripts/screenshot-handling.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-handling-shots}")"
mkdir -p "$OUT"
[ -x build/tests/handling/test_handling_tabs ] || cmake --build build --target test_handling_tabs
DISPLAY_NO=$((100 + RANDOM % 400))
Xvfb ":$DISPLAY_NO" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $JWM $XVFB 2>/dev/null || true' EXIT
sleep 1
DISPLAY=":$DISPLAY_NO" jwm >/dev/null 2>&1 &
JWM=$!
sleep 0.5
DISPLAY=":$DISPLAY_NO" QT_QPA_PLATFORM=xcb KURUTEN_SHOT_DIR="$OUT" \
  ./build/tests/handling/test_handling_tabs --gtest_filter='Screens.*'
ls "$OUT"
