# Services that the tests need, started for one test run and stopped when it ends:
# a virtual X display for the real-window tests.
# shellcheck shell=bash

stop_test_services() {
    if [ -n "${VELARIA_XVFB_PID:-}" ]; then
        kill "$VELARIA_XVFB_PID" 2>/dev/null || true
    fi
}

start_xvfb() {
    local n
    for n in $(seq 91 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            VELARIA_XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 50); do
                if xdpyinfo >/dev/null 2>&1; then
                    return 0
                fi
                sleep 0.1
            done
            echo "Xvfb did not start on :$n" >&2
            return 1
        fi
    done
    echo "no free display number for Xvfb" >&2
    return 1
}

start_test_services() {
    trap stop_test_services EXIT
    start_xvfb
}
