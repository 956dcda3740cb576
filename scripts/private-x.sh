# Sourced by the picture and benchmark scripts: starts Xvfb on a free display
# number with jwm as window manager, exports DISPLAY, and stops both when the
# sourcing script exits.
#   . scripts/private-x.sh [WIDTHxHEIGHT]
PRIVATE_X_SIZE=${1:-1280x900}
DISPLAY_NO=$((100 + RANDOM % 400))
while [ -e "/tmp/.X11-unix/X$DISPLAY_NO" ]; do DISPLAY_NO=$((100 + RANDOM % 400)); done
Xvfb ":$DISPLAY_NO" -screen 0 "${PRIVATE_X_SIZE}x24" -nolisten tcp >/dev/null 2>&1 &
PRIVATE_XVFB=$!
PRIVATE_JWM=
trap 'kill $PRIVATE_JWM $PRIVATE_XVFB 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$DISPLAY_NO" ] && break; sleep 0.1; done
export DISPLAY=":$DISPLAY_NO"
jwm >/dev/null 2>&1 &
PRIVATE_JWM=$!
sleep 0.5
