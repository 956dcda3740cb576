#!/usr/bin/env bash
# Installs every Debian package the program, its build and its tests need.
# Idempotent and non-interactive; run as root (or through sudo).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config git
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-translations-l10n
  libqt6svg6 qt6-qpa-plugins libgl-dev
  # database: Firebird 3 client, embedded engine, tools and the LAN server
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  # SIP engine and its test peers (socat puts TLS in front of sipp, openssl makes the test certificates)
  liblinphone-dev libbellesip-dev sip-tester linphone-cli socat openssl ca-certificates
  # speech
  libespeak-ng-dev espeak-ng-data
  # readings of customer names: MeCab with its dictionary, ICU transliterators
  libmecab-dev mecab-ipadic-utf8 libicu-dev
  # X11 window layer
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev
  # external customer database: unixODBC through Qt's ODBC driver; the
  # SQLite and PostgreSQL drivers and a PostgreSQL server for the tests
  libqt6sql6-odbc unixodbc libsqliteodbc odbc-postgresql postgresql
  # spreadsheet files (.xlsx)
  libxlsxwriter-dev
  # fonts
  fonts-ipafont-gothic
  # the shell's "open" of the help page and the log file (xdg-open)
  xdg-utils
  # tests
  libgtest-dev googletest xvfb jwm xauth pulseaudio pulseaudio-utils sox procps iproute2
  # reading reports and exports back: PDF text and pages, .xls and .xlsx
  poppler-utils python3-xlrd python3-openpyxl
)

# The server's SYSDBA password must be set before its first start.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password fbkey2468" | $SUDO debconf-set-selections
echo "firebird3.0-server shared/firebird/enabled boolean false" | $SUDO debconf-set-selections 2>/dev/null || true

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
