#!/bin/sh
# Prints the size of the tests against the code: non-blank lines that are
# not only a comment, in .cpp, .h and .js files tracked by git. Tests are the
# files under tests/, web/tests/ and any */tests/; code is the rest, samples
# and benchmarks aside. The project keeps tests at a quarter to a third of
# the code.
set -eu
cd "$(dirname "$0")/.."
counted() { xargs -r cat | grep -v -E '^\s*$|^\s*(//|/\*|\*)' | wc -l; }
files=$(git ls-files -- '*.cpp' '*.h' '*.js')
tests=$(echo "$files" | grep -E '^(tests|web/tests)/|/tests/' | counted)
code=$(echo "$files" | grep -v -E '^(tests|web/tests)/|/tests/|^samples/|^bench/|/bench/' | counted)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "Tests against code: %d / %d lines = %.2f (asked: 0.25 to 0.33)\n", t, c, t / c }'
