#!/usr/bin/env bash
# Start-up of the calendar to its first painted month, against the bare Qt window program in
# the same run: wall time and peak resident memory, medians of several alternating runs, and
# their ratios (aim: within 1.3x of the bare window). Prints figures; nothing passes or fails.
# Needs a display (scripts/run-bench.sh provides one).
set -euo pipefail
build=${1:-build}
runs=${VELARIA_STARTUP_RUNS:-21}
bin="$build/bin"
bare="$bin/bare_window"
export VELARIA_EXIT_AFTER_PAINT=1

# The program's own copy that quits after its first painted month, or the program itself.
program="$bin/velaria_startup_probe"
[ -x "$program" ] || program="$bin/velaria"
if [ ! -x "$program" ] || [ ! -x "$bare" ]; then
    echo "start-up: $program or $bare is missing; nothing to measure"
    exit 0
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 129' HUP && trap 'exit 130' INT && trap 'exit 143' TERM

# One run: appends microseconds to the painted window to $2.us, to the program's end to
# $2.end.us, and peak KiB to $2.kib. Each program prints the moment its window was painted.
measure() {
    local start end painted
    start=$(date +%s%N)
    if ! timeout 30 /usr/bin/time -f %M -o "$tmp/peak" "$1" >"$tmp/said" 2>/dev/null; then
        echo "start-up: $1 failed" >&2
        return 1
    fi
    end=$(date +%s%N)
    painted=$(awk '$1 == "painted" { print $2; exit }' "$tmp/said")
    if [ -z "$painted" ]; then
        echo "start-up: $1 did not say when its window was painted" >&2
        return 1
    fi
    echo $(((painted - start) / 1000)) >>"$tmp/$2.us"
    echo $(((end - start) / 1000)) >>"$tmp/$2.end.us"
    tail -n 1 "$tmp/peak" >>"$tmp/$2.kib"
}

median() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# One run of each first, so that both start from a warm file cache.
measure "$bare" warmup && measure "$program" warmup
for _ in $(seq 1 "$runs"); do
    measure "$bare" bare
    measure "$program" program
done

bare_us=$(median "$tmp/bare.us")
program_us=$(median "$tmp/program.us")
bare_end_us=$(median "$tmp/bare.end.us")
program_end_us=$(median "$tmp/program.end.us")
bare_kib=$(median "$tmp/bare.kib")
program_kib=$(median "$tmp/program.kib")
engine=no
if ldd "$program" | grep -q WebEngine; then
    engine=yes
fi
awk -v runs="$runs" -v bu="$bare_us" -v pu="$program_us" -v be="$bare_end_us" \
    -v pe="$program_end_us" -v bk="$bare_kib" -v pk="$program_kib" \
    -v name="$(basename "$program")" -v engine="$engine" 'BEGIN {
    printf "start-up to the first painted month (median of %d runs, %s against bare_window):\n", runs, name
    printf "  time:   %6.1f ms against %6.1f ms, ratio %.2f (aim: at most 1.30)\n", pu / 1000, bu / 1000, pu / bu
    printf "          to the end of the run, the windows closed: %.1f ms against %.1f ms, ratio %.2f\n", pe / 1000, be / 1000, pe / be
    printf "  memory: %6.1f MiB against %6.1f MiB peak resident, ratio %.2f (aim: at most 1.30)\n", pk / 1024, bk / 1024, pk / bk
    printf "  browser engine linked into the program: %s (the web window loads it on first use)\n", engine
}'
