#!/usr/bin/env bash
# Installs the Debian 12 packages of the named groups (build when none is named):
#   scripts/install-deps.sh [group...]
# Each make target names what it needs: `make run` builds and runs, `make test` and
# `make bench` add their own tools. Only the missing packages are installed; a machine that
# has them all is left alone.
set -euo pipefail

declare -A GROUP=(
    # Building the program and running it on the desktop: the compiler and Qt, printing
    # through CUPS, calendars in iCalendar form, fonts metric-compatible with Arial, Arial
    # Narrow and Times New Roman, and Qt's own texts (dialog buttons) in Italian.
    [build]="build-essential cmake ninja-build pkg-config clang-format
        qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev libpixman-1-dev
        libjpeg62-turbo-dev qt6-webengine-dev qt6-webengine-dev-tools libcups2-dev libical-dev
        fonts-liberation fonts-liberation2 fontconfig qt6-translations-l10n"
    # A virtual display with a window manager and a D-Bus session of its own, for the
    # program without a screen, the tests and the screenshots; input and screenshots on it.
    [display]="xvfb xauth openbox x11-utils xdotool imagemagick dbus"
    # The run's own print spooler, whose one printer writes PDF files.
    [spooler]="cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils"
    # The stand-in web page served on 127.0.0.1 to the web window.
    [webpage]="python3"
    # AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer.
    [sanitizers]="clang libclang-rt-14-dev"
    # The program's Debian package (make package, and the tests of the installed program).
    [package]="dpkg-dev"
    # The tests' own tools: window placement; the accessibility bus and the screen reader the
    # journeys listen to; a real calendar program reading the exported files; the installed
    # program's desktop entry and its files as a user opens them.
    [test]="wmctrl dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 orca calcurse
        desktop-file-utils strace xdg-utils"
    # The benchmarks compare with pcal and Ghostscript and read peak memory from time.
    [bench]="pcal ghostscript time"
)

packages=()
for group in "${@:-build}"; do
    if [ -z "${GROUP[$group]+set}" ]; then
        echo "install-deps.sh: no group '$group' (groups: ${!GROUP[*]})" >&2
        exit 2
    fi
    # shellcheck disable=SC2206 # one package a word
    packages+=(${GROUP[$group]})
done

missing=()
for p in "${packages[@]}"; do
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
