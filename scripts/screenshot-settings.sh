#!/usr/bin/env bash
# Pictures of the settings dialog (both pages) and the registration window of
# the external programs, on a private X display.
# Usage: scripts/screenshot-settings.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-settings-shots}")"
mkdir -p "$OUT"
[ -x build/tests/settings_ui/test_settings_ui ] || cmake --build build --target test_settings_ui
DISPLAY_NO=$((100 + RANDOM % 400))
Xvfb ":$DISPLAY_NO" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $JWM $XVFB 2>/dev/null || true' EXIT
sleep 1
DISPLAY=":$DISPLAY_NO" jwm >/dev/null 2>&1 &
JWM=$!
sleep 0.5
DISPLAY=":$DISPLAY_NO" QT_QPA_PLATFORM=xcb KURUTEN_SHOT_DIR="$OUT" \
  ./build/tests/settings_ui/test_settings_ui --gtest_filter='Screens.*'
ls "$OUT"
