#!/bin/sh
# The control's speed: the native benchmark (every figure, each beside its
# baseline or floor), then the control's own work in one Update natively
# and in headless Chromium side by side (10 x 125 and 50 x 625, instant
# replies). Builds what it needs: zemra_bench in build/, the web module in
# build-web/ (after the set-up scripts, as the test command runs them).
set -eu
cd "$(dirname "$0")/.."
JOBS=2
NODE_PATH=/usr/share/nodejs
export NODE_PATH
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS" --target zemra_bench
emcmake cmake -S . -B build-web -DZEMRA_NATIVE_TOOLS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$JOBS"
build/zemra_bench
node web/bench/side-by-side.js build/zemra_bench "$@"
