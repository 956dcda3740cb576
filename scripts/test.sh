#!/usr/bin/env bash
# Installs everything, builds, starts the services the tests need (a Firebird
# server on localhost, a private PulseAudio) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
bash scripts/install-deps.sh
bash scripts/build.sh

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

WORK="$(mktemp -d /tmp/kuruten-ci-XXXXXX)"
cleanup() {
  [ -n "${PULSE_PID:-}" ] && kill "$PULSE_PID" 2>/dev/null || true
  if [ -x scripts/firebird-server.sh ] || [ -f scripts/firebird-server.sh ]; then
    $SUDO bash "$ROOT/scripts/firebird-server.sh" stop >/dev/null 2>&1 || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# Firebird server for the LAN-role tests (localhost only).
if [ -f scripts/firebird-server.sh ]; then
  $SUDO bash scripts/firebird-server.sh start
  export KURUTEN_REQUIRE_FB_SERVER=1
fi

# A private PulseAudio with a null speaker and a virtual microphone.
PULSE_DIR="$WORK/pulse"
mkdir -p "$PULSE_DIR"
if command -v pulseaudio >/dev/null; then
  XDG_RUNTIME_DIR="$PULSE_DIR" HOME="$PULSE_DIR" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --use-pid-file=no --system=false \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_DIR/pulse.sock" \
    -L "module-null-sink sink_name=spk sink_properties=device.description=Speaker" \
    -L "module-null-sink sink_name=mic" -L module-always-sink >"$WORK/pulse.log" 2>&1 &
  PULSE_PID=$!
  for _ in $(seq 1 50); do [ -S "$PULSE_DIR/pulse.sock" ] && break; sleep 0.1; done
  if [ -S "$PULSE_DIR/pulse.sock" ]; then
    export PULSE_SERVER="unix:$PULSE_DIR/pulse.sock"
    pactl load-module module-remap-source master=mic.monitor source_name=vmic >/dev/null 2>&1 || true
  else
    echo "note: PulseAudio did not start; sound tests run without devices" >&2
    unset PULSE_PID
  fi
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build -j2 --output-on-failure --timeout 900
