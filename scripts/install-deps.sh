#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velaria need.
# Only the missing ones are installed; a machine that has them all is left alone.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev libpixman-1-dev libjpeg62-turbo-dev
  qt6-webengine-dev qt6-webengine-dev-tools
  # printing from velaria-pagine straight through CUPS; calendars in iCalendar form
  libcups2-dev libical-dev
  # sanitizers and fuzzing
  clang libclang-rt-14-dev
  # fonts metric-compatible with Arial, Arial Narrow and Times New Roman
  fonts-liberation fonts-liberation2 fontconfig
  # Qt's own texts (dialog buttons) in Italian
  qt6-translations-l10n
  # real windows, input and screenshots in tests
  xvfb xauth xdotool x11-utils imagemagick openbox wmctrl
  # a session bus of the test run's own, and the accessibility bus a screen reader reads
  dbus dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  # the screen reader that the journeys listen to
  orca
  # a real calendar program reads the exported iCalendar files
  calcurse
  # the installed program: the Debian package, its desktop entry, its files as a user opens them
  dpkg-dev desktop-file-utils strace xdg-utils
  # printing through the real spooler
  cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
  # a D-Bus session of their own for test runs and the program on a virtual display
  dbus
  # web window tests serve a page on 127.0.0.1
  python3
  # benchmarks compare with pcal and Ghostscript
  pcal ghostscript time
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installo i pacchetti mancanti / installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
