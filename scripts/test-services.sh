# Services that the tests need, started for one test run and stopped when it ends:
# a virtual X display for the real-window tests and a CUPS spooler whose default printer
# writes PDF files (cups-pdf) into the folder exported as VELARIA_CUPS_PDF_DIR.
# A script that starts them runs inside a D-Bus session of its own (velaria_session_bus).
# shellcheck shell=bash

# Runs the calling script again, as `bash "$@"`, inside a D-Bus session of its own unless it
# already runs in one, and exits with its status. Programs of the run then find a session bus
# and none autolaunches one (dbus-launch), which would outlive the run. The session has a
# process group of its own, to which an INT, TERM or HUP of this script is passed on as TERM:
# the inner script stops its services and the bus daemon quits.
velaria_session_bus() {
    local pid status=0
    [ -z "${VELARIA_SESSION_BUS:-}" ] || return 0
    VELARIA_SESSION_BUS=1 setsid dbus-run-session -- bash "$@" &
    pid=$!
    trap "kill -TERM -- -$pid 2>/dev/null" INT TERM HUP
    wait "$pid" || status=$?
    # A signal ends the first wait early; the session ends soon after.
    while kill -0 "$pid" 2>/dev/null; do
        status=0
        wait "$pid" || status=$?
    done
    exit "$status"
}

stop_test_services() {
    stop_cups
    if [ -n "${VELARIA_WM_PID:-}" ]; then
        kill "$VELARIA_WM_PID" 2>/dev/null || true
    fi
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
                    # A window manager, so windows get frames and close as a user closes them.
                    openbox >/dev/null 2>&1 &
                    VELARIA_WM_PID=$!
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

VELARIA_CUPS_QUEUE=VelariaPDF
VELARIA_CUPS_INSTANCE=velaria

velaria_cups_sudo() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

cups_scheduler_running() {
    lpstat -r 2>/dev/null | grep -q '^scheduler is running'
}

# Starts cupsd unless one is already running, then defines the cups-pdf queue VelariaPDF as
# the default printer; its PDF files go to a fresh folder of this run.
start_cups() {
    local ppd model previous out
    unset LPDEST PRINTER
    if ! cups_scheduler_running; then
        if [ "$(id -u)" -eq 0 ]; then
            cupsd -f >/dev/null 2>&1 &
        else
            sudo cupsd -f >/dev/null 2>&1 &
        fi
        VELARIA_CUPSD_PID=$!
        for _ in $(seq 1 100); do
            cups_scheduler_running && break
            if ! kill -0 "$VELARIA_CUPSD_PID" 2>/dev/null; then
                echo "cupsd exited at start" >&2
                return 1
            fi
            sleep 0.1
        done
        if ! cups_scheduler_running; then
            echo "the CUPS scheduler did not start" >&2
            return 1
        fi
    fi

    if ! lpstat -p "$VELARIA_CUPS_QUEUE" >/dev/null 2>&1; then
        VELARIA_CUPS_QUEUE_ADDED=1
    fi
    previous=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
    if [ "$previous" != "$VELARIA_CUPS_QUEUE" ]; then
        VELARIA_CUPS_PREVIOUS_DEFAULT=$previous
    fi

    # cups-pdf reads /etc/cups/cups-pdf-<instance>.conf for the device cups-pdf:/<instance>.
    # The folder lies under cups-pdf's own spool, where AppArmor lets the backend write.
    velaria_cups_sudo mkdir -p /var/spool/cups-pdf
    VELARIA_CUPS_RUN_DIR=$(velaria_cups_sudo mktemp -d /var/spool/cups-pdf/velaria.XXXXXX)
    velaria_cups_sudo chown "$(id -u):$(id -g)" "$VELARIA_CUPS_RUN_DIR"
    chmod 0755 "$VELARIA_CUPS_RUN_DIR"
    printf 'Out %s\nAnonDirName %s\nLabel 1\n' "$VELARIA_CUPS_RUN_DIR" "$VELARIA_CUPS_RUN_DIR" |
        velaria_cups_sudo tee "/etc/cups/cups-pdf-$VELARIA_CUPS_INSTANCE.conf" >/dev/null

    # The PPD file is quicker than asking lpinfo for every model, which is the fallback.
    ppd=(-P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd)
    if [ ! -r "${ppd[1]}" ]; then
        model=$(lpinfo -m 2>/dev/null | grep -i 'cups-pdf' | head -n 1 | cut -d ' ' -f 1)
        if [ -z "$model" ]; then
            echo "no cups-pdf driver: install printer-driver-cups-pdf" >&2
            return 1
        fi
        ppd=(-m "$model")
    fi
    # lpadmin warns that PPD drivers are deprecated; its output matters only when it fails.
    if ! out=$(velaria_cups_sudo lpadmin -p "$VELARIA_CUPS_QUEUE" \
        -v "cups-pdf:/$VELARIA_CUPS_INSTANCE" "${ppd[@]}" -o printer-error-policy=abort-job -E 2>&1) ||
        ! out=$(velaria_cups_sudo lpadmin -d "$VELARIA_CUPS_QUEUE" 2>&1); then
        echo "$out" >&2
        return 1
    fi

    for _ in $(seq 1 100); do
        if lpstat -a "$VELARIA_CUPS_QUEUE" 2>/dev/null | grep -q 'accepting requests' &&
            lpstat -d 2>/dev/null | grep -q ": $VELARIA_CUPS_QUEUE\$"; then
            export VELARIA_CUPS_PDF_DIR=$VELARIA_CUPS_RUN_DIR
            export VELARIA_CUPS_PRINTER=$VELARIA_CUPS_QUEUE
            return 0
        fi
        sleep 0.1
    done
    echo "the printer $VELARIA_CUPS_QUEUE does not accept jobs" >&2
    return 1
}

# Undoes start_cups: the queue goes if this run added it, the earlier default printer comes
# back, and cupsd stops if this run started it.
stop_cups() {
    if [ -n "${VELARIA_CUPS_QUEUE_ADDED:-}" ]; then
        velaria_cups_sudo lpadmin -x "$VELARIA_CUPS_QUEUE" 2>/dev/null || true
        velaria_cups_sudo rm -f "/etc/cups/cups-pdf-$VELARIA_CUPS_INSTANCE.conf"
    fi
    if [ -n "${VELARIA_CUPS_PREVIOUS_DEFAULT:-}" ]; then
        velaria_cups_sudo lpadmin -d "$VELARIA_CUPS_PREVIOUS_DEFAULT" 2>/dev/null || true
    fi
    if [ -n "${VELARIA_CUPS_RUN_DIR:-}" ]; then
        velaria_cups_sudo rm -rf "$VELARIA_CUPS_RUN_DIR"
    fi
    if [ -n "${VELARIA_CUPSD_PID:-}" ]; then
        velaria_cups_sudo kill "$VELARIA_CUPSD_PID" 2>/dev/null || true
        wait "$VELARIA_CUPSD_PID" 2>/dev/null || true
    fi
}

start_test_services() {
    trap stop_test_services EXIT
    start_xvfb
    start_cups
}
