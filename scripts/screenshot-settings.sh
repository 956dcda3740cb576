#!/usr/bin/env bash
# Pictures of the settings dialog (both pages) and the registration window of
# the external programs, on a private X display.
# Usage: scripts/screenshot-settings.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-settings-shots}")"
mkdir -p "$OUT"
[ -x build/tests/settings_ui/test_settings_ui ] || cmake --build build --target test_settings_ui
. scripts/private-x.sh 1280x900
QT_QPA_PLATFORM=xcb KURUTEN_SHOT_DIR="$OUT" \
  ./build/tests/settings_ui/test_settings_ui --gtest_filter='Screens.*'
ls "$OUT"
