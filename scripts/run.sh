#!/usr/bin/env bash
# Starts the calendar. Without a display it runs on a virtual one, in a D-Bus session of its
# own, and leaves a screenshot; it prints on the machine's own default printer, if any.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program="$PWD/$build/bin/velaria"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$program"
fi

# The virtual display's programs, the first time it is needed.
[ -n "${VELARIA_SESSION_BUS:-}" ] || bash scripts/install-deps.sh display
source scripts/test-services.sh
velaria_session_bus scripts/run.sh "$@"
echo "Nessuno schermo disponibile: Velaria parte su uno schermo virtuale (Xvfb)."
echo "No display available: Velaria runs on a virtual display (Xvfb)."
velaria_stop_on_exit
start_xvfb
"$program" &
pid=$!
# Stopped with the display, before it.
VELARIA_SERVICE_PIDS+=("$pid")
shot="$PWD/$build/velaria-screenshot.png"
for _ in $(seq 1 100); do
    if xdotool search --name "Velaria ver" >/dev/null 2>&1; then
        break
    fi
    sleep 0.1
done
sleep 0.5
import -window root "$shot"
echo "Schermata / screenshot: $shot"
echo "Velaria è in esecuzione (pid $pid); Ctrl+C per terminare. / Running; Ctrl+C to stop."
status=0
wait "$pid" || status=$?
# Ended and reaped: no longer stopped at exit.
unset 'VELARIA_SERVICE_PIDS[-1]'
exit "$status"
