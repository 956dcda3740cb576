#!/usr/bin/env bash
# Starts or stops the Firebird 3 server for LAN copies and the server tests,
# without systemd. Run as root.
#
#   scripts/firebird-server.sh start    start (no-op when it already answers)
#   scripts/firebird-server.sh stop     stop the server this script started
#   scripts/firebird-server.sh status   exit 0 when port 3050 answers
#
# The server runs as user "firebird", listens on localhost:3050 (Debian's
# firebird.conf) and knows SYSDBA with the program's fixed password.
# Database files it serves must be readable and writable by user firebird.
set -euo pipefail

FB_BIN=/usr/sbin/firebird
SEC_DB=/var/lib/firebird/3.0/system/security3.fdb
SYSDBA_PASSWORD=fbkey2468
PORT=3050
RUN_DIR=${KURUTEN_FB_RUN_DIR:-/run/kuruten-firebird}
PID_FILE=$RUN_DIR/firebird.pid
LOG_FILE=$RUN_DIR/firebird.out

die() { echo "firebird-server: $*" >&2; exit 1; }

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; }

our_pid() {
  [ -f "$PID_FILE" ] || return 1
  local pid
  pid=$(cat "$PID_FILE" 2>/dev/null || true)
  [[ "$pid" =~ ^[0-9]+$ ]] || return 1
  # Only a live firebird process counts; a recycled PID does not.
  [ "$(ps -p "$pid" -o comm= 2>/dev/null || true)" = "firebird" ] || return 1
  echo "$pid"
}

# Runs a command as user firebird, with none of the caller's lock settings
# (tests point FIREBIRD_LOCK at private folders the server must not use).
as_firebird() {
  if command -v setpriv >/dev/null; then
    setpriv --reuid=firebird --regid=firebird --init-groups \
      env -u FIREBIRD_LOCK -u FIREBIRD_TMP HOME=/var/lib/firebird "$@"
  else
    runuser -u firebird -- env -u FIREBIRD_LOCK -u FIREBIRD_TMP HOME=/var/lib/firebird "$@"
  fi
}

sysdba_login_works() {
  local db="/tmp/kuruten-fbcheck-$$.fdb"
  printf "create database 'localhost:%s' user 'SYSDBA' password '%s';\ndrop database;\n" \
    "$db" "$SYSDBA_PASSWORD" | env -u FIREBIRD_LOCK isql-fb -q >/dev/null 2>&1
}

set_sysdba_password() {
  # Embedded access to the security database, so only while the server is down.
  printf "create or alter user SYSDBA password '%s';\ncommit;\n" "$SYSDBA_PASSWORD" |
    as_firebird isql-fb -q -user SYSDBA "$SEC_DB" >/dev/null
}

start() {
  [ "$(id -u)" -eq 0 ] || die "must be run as root"
  [ -x "$FB_BIN" ] || die "$FB_BIN not found; run scripts/install-deps.sh"
  if port_open; then
    echo "firebird-server: already running on port $PORT"
    return 0
  fi
  mkdir -p "$RUN_DIR"
  # Lock folder of the server; root-owned leftovers from embedded use would stop it.
  install -d -o firebird -g firebird -m 0770 /tmp/firebird
  chown -R firebird:firebird /tmp/firebird
  set_sysdba_password
  # setpriv execs the server itself, so $! is the server's own PID.
  if command -v setpriv >/dev/null; then
    setsid setpriv --reuid=firebird --regid=firebird --init-groups \
      env -u FIREBIRD_LOCK -u FIREBIRD_TMP HOME=/var/lib/firebird "$FB_BIN" >>"$LOG_FILE" 2>&1 </dev/null &
    echo $! >"$PID_FILE"
  else
    setsid runuser -u firebird -- env -u FIREBIRD_LOCK HOME=/var/lib/firebird "$FB_BIN" >>"$LOG_FILE" 2>&1 </dev/null &
    local wrapper=$!
    sleep 0.2
    pgrep -P "$wrapper" -x firebird >"$PID_FILE" || echo "$wrapper" >"$PID_FILE"
  fi
  for _ in $(seq 1 100); do
    port_open && break
    sleep 0.1
  done
  port_open || { tail -n 20 "$LOG_FILE" >&2 || true; die "server did not open port $PORT"; }
  sysdba_login_works || die "server runs but SYSDBA cannot log in"
  echo "firebird-server: started, PID $(cat "$PID_FILE")"
}

stop() {
  local pid
  if ! pid=$(our_pid); then
    rm -f "$PID_FILE"
    echo "firebird-server: not running (no server started by this script)"
    return 0
  fi
  kill -TERM "$pid"
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" || true
  fi
  rm -f "$PID_FILE"
  echo "firebird-server: stopped"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status) if port_open; then echo "firebird-server: running"; else echo "firebird-server: not running"; exit 1; fi ;;
  *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac
