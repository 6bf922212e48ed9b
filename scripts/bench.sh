#!/bin/sh
# The control's speed: the native benchmark (every figure, each beside its
# baseline or floor), then the control's own work in one Update natively
# and in headless Chromium side by side (10 x 125 and 50 x 625, instant
# replies). Builds what it needs: zemra_bench in build/, the web module in
# build-web/ (after the set-up scripts, configured as the test command
# configures them).
set -eu
cd "$(dirname "$0")/.."
JOBS=2
NODE_PATH=/usr/share/nodejs
export NODE_PATH
sh scripts/setup-native.sh
sh scripts/setup-web.sh
sh scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMRA_UNITY=ON
cmake --build build -j"$JOBS" --target zemra_bench
ZEMRA_CMAKE="emcmake cmake" sh scripts/configure.sh build-web -DZEMRA_NATIVE_TOOLS=OFF -DZEMRA_UNITY=ON -DCMAKE_BUILD_TYPE=Release
cmake --build build-web -j"$JOBS"
build/zemra_bench
node web/bench/side-by-side.js build/zemra_bench "$@"
