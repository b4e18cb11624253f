# Services that the tests need, started for one test run and stopped when it ends:
# - a virtual X display with a window manager, for the real-window tests;
# - a CUPS scheduler of the run's own, whose configuration, spool and logs lie in a scratch
#   folder and whose only address is a socket there, exported as CUPS_SERVER (the CUPS library,
#   and so Qt and lpstat, talks to it). Its one queue, its default printer, writes a PDF file
#   (cups-pdf) for every job into the folder exported as VELARIA_CUPS_PDF_DIR. The machine's
#   own scheduler, its queues, its default printer and /etc/cups are left alone.
# A script that starts them runs inside a D-Bus session of its own (velaria_session_bus), with a
# runtime folder of its own, and stops them on every way out (velaria_on_exit).
# shellcheck shell=bash

VELARIA_SERVICE_PIDS=()

# Runs the calling script again, as `bash "$@"`, inside a D-Bus session of its own unless it
# already runs in one, and exits with its status. Programs of the run then find a session bus
# and none autolaunches one (dbus-launch), which would outlive the run. The session has a
# process group of its own, to which an INT, TERM or HUP of this script is passed on as TERM:
# the inner script stops its services, then ends what is left of the group (velaria_on_exit),
# and the bus daemon quits.
# The run has a scratch folder of its own, VELARIA_RUN_DIR, removed when this script exits
# however it ends. In it lies the run's XDG_RUNTIME_DIR: the accessibility bus, Qt's runtime
# files and whatever else lives there belong to the run, and neither the user's own runtime
# folder nor ~/.cache/at-spi is read or written; two runs at once do not meet there.
velaria_session_bus() {
    local pid status=0
    if [ -n "${VELARIA_SESSION_BUS:-}" ]; then
        trap velaria_on_exit EXIT
        velaria_exit_on_signals
        return 0
    fi
    VELARIA_RUN_DIR=$(mktemp -d /tmp/velaria-run.XXXXXX)
    trap 'rm -rf "$VELARIA_RUN_DIR"' EXIT
    mkdir -m 0700 "$VELARIA_RUN_DIR/runtime"
    export VELARIA_RUN_DIR XDG_RUNTIME_DIR=$VELARIA_RUN_DIR/runtime
    VELARIA_SESSION_BUS=1 setsid dbus-run-session -- bash "$@" &
    pid=$!
    trap "kill -TERM -- -$pid 2>/dev/null" INT TERM HUP
    wait "$pid" || status=$?
    # A signal ends the first wait early; the session ends soon after.
    while kill -0 "$pid" 2>/dev/null; do
        status=0
        wait "$pid" || status=$?
    done
    # The inner script may still be stopping its services, the daemon still quitting.
    for _ in $(seq 1 300); do
        kill -0 -- "-$pid" 2>/dev/null || exit "$status"
        sleep 0.1
    done
    kill -KILL -- "-$pid" 2>/dev/null
    exit "$status"
}

# Stops the services when the script exits, also after INT, TERM or HUP, which end it.
velaria_stop_on_exit() {
    trap velaria_on_exit EXIT
    velaria_exit_on_signals
}

# An INT, TERM or HUP ends the script with the usual status, running its EXIT trap.
velaria_exit_on_signals() {
    trap 'VELARIA_INTERRUPTED=1; exit 129' HUP
    trap 'VELARIA_INTERRUPTED=1; exit 130' INT
    trap 'VELARIA_INTERRUPTED=1; exit 143' TERM
}

# Stops the services; after a signal in the session of velaria_session_bus, whose process
# group is the run's alone, also kills whatever is left of it, this shell included: a test
# that a TERM has made print its stack under gdb, say.
velaria_on_exit() {
    local stat
    stop_test_services
    if [ -n "${VELARIA_INTERRUPTED:-}" ] && [ -n "${VELARIA_SESSION_BUS:-}" ]; then
        stat=$(cat "/proc/$$/stat")
        read -r _ _ stat _ <<<"${stat##*) }"
        kill -KILL -- "-$stat"
    fi
}

# True while process $1 runs (it exists and has not ended as a zombie).
velaria_running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat:0:1}" != Z ]
}

# Waits up to 5 s for the child process $1 to end, then kills it.
velaria_wait_end() {
    for _ in $(seq 1 50); do
        velaria_running "$1" || break
        sleep 0.1
    done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Stops every process that the services started, the last started first, and removes the
# scheduler's folder.
stop_test_services() {
    local i pid
    for ((i = ${#VELARIA_SERVICE_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${VELARIA_SERVICE_PIDS[$i]}
        kill "$pid" 2>/dev/null || true
        velaria_wait_end "$pid"
    done
    VELARIA_SERVICE_PIDS=()
    if [ -n "${VELARIA_CUPS_DIR:-}" ]; then
        rm -rf "$VELARIA_CUPS_DIR"
        VELARIA_CUPS_DIR=
    fi
}

# A virtual display on the first free display number, which Xvfb itself takes and tells once it
# accepts clients, and a window manager on it.
start_xvfb() {
    local told=$VELARIA_RUN_DIR/display n=
    mkfifo "$told"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$told" >/dev/null 2>&1 &
    VELARIA_SERVICE_PIDS+=($!)
    read -r -t 30 n <"$told" || true
    rm -f "$told"
    if [ -z "$n" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$n"
    # A window manager, so windows get frames and close as a user closes them; waited for, so
    # that the first window opens under it.
    openbox >"$VELARIA_RUN_DIR/openbox.log" 2>&1 &
    VELARIA_SERVICE_PIDS+=($!)
    for _ in $(seq 1 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "openbox did not start on $DISPLAY: $(cat "$VELARIA_RUN_DIR/openbox.log")" >&2
    return 1
}

VELARIA_CUPS_QUEUE=VelariaPDF

# Starts the run's own scheduler with the cups-pdf queue VelariaPDF as its default printer.
start_cups() {
    local dir sock setting out
    unset LPDEST PRINTER
    # The cups-pdf backend runs only as root, under a scheduler started by root.
    if [ "$(id -u)" -ne 0 ]; then
        echo "CUPS: no scheduler of the tests' own without root; the printing tests are skipped" >&2
        return 0
    fi
    # In /tmp: a socket's path has at most 107 characters.
    dir=$(mktemp -d /tmp/velaria-cups.XXXXXX)
    VELARIA_CUPS_DIR=$dir
    # The filters run as the user lp and read the spool and the driver under it; the socket's
    # folder lets only this user in, and so the open policy below is this user's alone.
    chmod 0755 "$dir"
    mkdir -m 0700 "$dir/socket"
    mkdir -p "$dir/etc" "$dir/run" "$dir/cache" "$dir/spool/tmp" "$dir/log" "$dir/pdf" \
        "$dir/pdf-spool"
    sock=$dir/socket/cups.sock
    cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
StateDir $dir/run
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/spool/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/run/printcap
EOF
    cat >"$dir/etc/cupsd.conf" <<EOF
Listen $sock
Browsing Off
WebInterface No
LogLevel warn
DefaultAuthType None
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
EOF

    # cups-pdf reads its settings from /etc/cups/cups-pdf-<instance>.conf, which this run does
    # not write (missing, its built-in settings hold), then from the defaults of the driver's
    # options: the driver here has options for the folders it writes into. A default cannot
    # hold a "/", so they are named from the backend's working folder, the scheduler's.
    {
        cat /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
        for setting in Out=pdf Spool=pdf-spool GSTmp=pdf-spool Log=log; do
            printf '*OpenUI *%s: PickOne\n*Default%s: %s\n*%s %s: ""\n*CloseUI: *%s\n' \
                "${setting%%=*}" "${setting%%=*}" "${setting#*=}" "${setting%%=*}" \
                "${setting#*=}" "${setting%%=*}"
        done
    } >"$dir/cups-pdf.ppd" || return 1

    (cd "$dir" && exec cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf") \
        >"$dir/log/cupsd.out" 2>&1 &
    VELARIA_SERVICE_PIDS+=($!)
    export CUPS_SERVER=$sock
    for _ in $(seq 1 100); do
        lpstat -r 2>/dev/null | grep -q '^scheduler is running' && break
        sleep 0.1
    done
    if ! lpstat -r 2>/dev/null | grep -q '^scheduler is running'; then
        echo "the tests' CUPS scheduler did not start: $(cat "$dir/log/cupsd.out" \
            "$dir/log/error_log" 2>/dev/null)" >&2
        return 1
    fi
    # lpadmin warns that drivers are deprecated; its output matters only when it fails.
    if ! out=$(lpadmin -h "$sock" -p "$VELARIA_CUPS_QUEUE" -v cups-pdf:/velaria \
        -P "$dir/cups-pdf.ppd" -o printer-error-policy=abort-job -E 2>&1) ||
        ! out=$(lpadmin -h "$sock" -d "$VELARIA_CUPS_QUEUE" 2>&1); then
        echo "$out" >&2
        return 1
    fi
    if lpstat -a "$VELARIA_CUPS_QUEUE" 2>/dev/null | grep -q 'accepting requests' &&
        lpstat -d 2>/dev/null | grep -q ": $VELARIA_CUPS_QUEUE\$"; then
        export VELARIA_CUPS_PDF_DIR=$dir/pdf
        export VELARIA_CUPS_PRINTER=$VELARIA_CUPS_QUEUE
        return 0
    fi
    echo "the printer $VELARIA_CUPS_QUEUE does not accept jobs" >&2
    return 1
}

start_test_services() {
    velaria_stop_on_exit
    start_xvfb
    start_cups
}
