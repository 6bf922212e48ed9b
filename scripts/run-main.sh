#!/bin/sh
# The main job: builds the control and runs the headless host on the bundled
# sample portfolio against canned server replies, printing the panel's state
# after start-up and after a user's short session. Then builds the control
# for the web and starts the page server on 127.0.0.1 (the demo host page
# with the sample portfolio, the control's files and stand-in server pages)
# in the background, and prints the address to open. Run again, it stops the
# page server it started before and starts a new one.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-native.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zemra-headless -j2
./build/zemra-headless --properties samples/portfolio.json --replies samples/replies.json \
  --script samples/session.script

# The control in a web page.
sh scripts/setup-web.sh
emcmake cmake -S . -B build-web -DZEMRA_NATIVE_TOOLS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j2
pidfile=build-web/page-server.pid
log=build-web/page-server.log
if [ -f "$pidfile" ]; then
  old=$(cat "$pidfile")
  if kill -0 "$old" 2>/dev/null && grep -q page-server.js "/proc/$old/cmdline" 2>/dev/null; then
    kill "$old"
    while kill -0 "$old" 2>/dev/null; do sleep 0.1; done
  fi
  rm -f "$pidfile"
fi
: >"$log"
nohup node web/server/page-server.js --host 127.0.0.1 --port "${ZEMRA_WEB_PORT:-8080}" --port-fallback \
  --pid-file "$pidfile" >"$log" 2>&1 &
tries=0
until grep -q '^Page server:' "$log"; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ]; then
    cat "$log" >&2
    echo "the page server did not start" >&2
    exit 1
  fi
  sleep 0.1
done
address=$(sed -n 's/^Page server: //p' "$log")
echo
echo "The demo page: $address (open it in Chromium)"
echo "Stop the page server with: kill \$(cat $pidfile)"
