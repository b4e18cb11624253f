#!/usr/bin/env bash
# Runs the whole suite: the sanitizer build's calendar and main window tests, then every test of the main
# build inside one virtual X display (widget tests themselves run offscreen). All of it runs in a
# D-Bus session of its own, and whatever the run starts stops with it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
asan=${2:-build-asan}

source scripts/test-services.sh
velaria_session_bus scripts/run-tests.sh "$@"

export LC_ALL=C.UTF-8
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Calendar and main window tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir "$asan" --output-on-failure -j 2

start_test_services

bash scripts/test-ratio.sh
echo "== All tests"
ctest --test-dir "$build" --output-on-failure -j 2
