#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time, starting from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
status=0
# The inputs each fuzzer finds, in a scratch folder removed however the run ends.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
trap 'exit 129' HUP && trap 'exit 130' INT && trap 'exit 143' TERM
for fuzzer in "$build"/bin/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="fuzz/corpus/${name#fuzz_}"
    work=$scratch/$name
    mkdir "$work"
    echo "== $name for ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -artifact_prefix="$build/$name-" "$work" ${corpus:+"$corpus"} 2>"$build/$name.log"; then
        echo "$name found a failing input; see $build/$name.log and $build/$name-*" >&2
        status=1
    fi
    tail -n 2 "$build/$name.log"
    rm -rf "$work"
done
exit $status
