#!/bin/sh
# The main job: builds the control and runs the headless host on the bundled
# sample portfolio against canned server replies, printing the panel's state
# after start-up and after a user's short session.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-native.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zemra-headless -j2
./build/zemra-headless --properties samples/portfolio.json --replies samples/replies.json \
  --script samples/session.script
