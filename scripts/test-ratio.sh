#!/usr/bin/env bash
# Prints the size of the tests against the code: non-blank lines of everything under tests/
# and fuzz/ (binary seeds and build files aside) against non-blank C++ lines of src/. The aim
# is 0.25 to 0.35: tests that catch faults, not tests that restate the code.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { xargs -r cat 2>/dev/null | grep -c -v -E '^\s*$' || true; }
code=$(git ls-files -co --exclude-standard -- src | grep -E '\.(cpp|h|hpp|cc)$' | count)
tests=$(git ls-files -co --exclude-standard -- tests fuzz | grep -v -E '\.(png|jpg|bmp|pdf|bin|dat)$' |
    grep -v -E '(^|/)CMakeLists\.txt$|\.supp$' | count)
awk -v t="$tests" -v c="$code" 'BEGIN {
    r = c ? t / c : 0
    printf "tests/code: %d / %d = %.2f (aim 0.25 to 0.35)\n", t, c, r
}'
