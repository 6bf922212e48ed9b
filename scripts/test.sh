#!/bin/sh
# Builds and runs every test: first the layering of src/'s folders
# (scripts/check-layers.sh, no build) and the one code style
# (scripts/check-format.sh), then the unit tests and golden headless
# journeys, then the unit tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, then zemra-pages on a throwaway PostgreSQL
# cluster with two instances behind nginx, then the web module and the
# browser tests (headless Chromium against a page server on loopback, and
# against zemra-pages, built with everything else in the first step), and
# at the end the size of the tests against the code.
set -eu
cd "$(dirname "$0")/.."
sh scripts/check-layers.sh
sh scripts/setup-native.sh
sh scripts/check-format.sh
JOBS=2
sh scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMRA_UNITY=ON
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"
sh scripts/configure.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DZEMRA_SANITIZE=ON
cmake --build build-sanitize --target zemra_tests zemra-headless zemra_engine_tests zemra_pages_tests zemra_pages_load \
  -j"$JOBS"
# The engine's Greeks and implied-value suites repeat full valuations many
# times (about three minutes together under the sanitizers); they run in the
# build above, and the other engine suites (every scheme, dividends, calls,
# the threaded scenarios, the QuantLib comparisons) run here.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$JOBS" -E '^engine\.(Greeks|ImpliedValues)$'
sh scripts/test-pages-scale.sh
sh scripts/setup-web.sh
ZEMRA_CMAKE="emcmake cmake" sh scripts/configure.sh build-web -DZEMRA_NATIVE_TOOLS=OFF -DZEMRA_UNITY=ON -DCMAKE_BUILD_TYPE=Release
cmake --build build-web -j"$JOBS"
(cd web && npm test)
sh scripts/test-ratio.sh
