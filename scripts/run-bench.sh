#!/usr/bin/env bash
# Prints the benchmark figures. Nothing here passes or fails on time; the figures are read.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
export LC_ALL=C.UTF-8
source scripts/test-services.sh
velaria_session_bus scripts/run-bench.sh "$@"
# Nothing here prints: a display is all the benchmarks need.
velaria_stop_on_exit
start_xvfb

for bench in "$build"/bin/bench_*; do
    [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench"
done

if [ -x scripts/bench-startup.sh ]; then
    bash scripts/bench-startup.sh "$build"
fi
