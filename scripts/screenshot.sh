#!/usr/bin/env bash
# Takes a screenshot of the main window with a day of calls, on a private X
# display, in a private data folder. Usage: scripts/screenshot.sh [out.png]
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-main-window.png}")"
command -v import >/dev/null || { apt-get install -y --no-install-recommends imagemagick >/dev/null; }
[ -x build/app/main/kuruten3 ] || bash scripts/build.sh

WORK="$(mktemp -d /tmp/kuruten-shot-XXXXXX)"
mkdir -p "$WORK/rt" "$WORK/data/hoshiba/kuruten3" && chmod 700 "$WORK/rt"
printf '[UDP]\nBROADCAST_ADDRESS=127.0.0.1\n[SPEAK]\nENABLED=0\n' >"$WORK/data/hoshiba/kuruten3/kuruten3.ini"
DISPLAY_NO=$((100 + RANDOM % 400))
Xvfb ":$DISPLAY_NO" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=":$DISPLAY_NO" KURUTEN_COMMON_APPDATA="$WORK/data" XDG_RUNTIME_DIR="$WORK/rt" \
       XDG_CONFIG_HOME="$WORK/cfg" KURUTEN_MSG_LOG="$WORK/msg.txt" KURUTEN_MSG_ANSWER=no
sleep 1
jwm >/dev/null 2>&1 &
JWM=$!
./build/app/main/kuruten3 >/dev/null 2>&1 &
APP=$!
trap 'kill $APP 2>/dev/null; wait $APP 2>/dev/null; kill $JWM $XVFB 2>/dev/null || true; rm -rf "$WORK"' EXIT
for _ in $(seq 1 100); do grep -qs "Soft Phone Ver" "$WORK"/data/hoshiba/kuruten3/log/*.txt && break; sleep 0.2; done
for n in 0312345678 0663334444 "" 0451112222 09011112222; do
  ./build/app/main/kuruten3 /s "$n" >/dev/null 2>&1 || true
  sleep 0.3
done
sleep 4   # the caller panel blinks for a few seconds
import -window root "$OUT"
echo "screenshot: $OUT"
