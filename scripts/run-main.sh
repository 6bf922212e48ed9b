#!/bin/sh
# The main job: builds the control and runs the headless host on the bundled
# sample portfolio against canned server replies, printing the panel's state
# after start-up and after a user's short session. Then builds the control
# for the web, builds the server pages (zemra-pages) and starts them on
# 127.0.0.1 in the background with the demo book (the demo host page, the
# control's files and the eight pages), and prints the address to open. Run
# again, it stops the service it started before and starts a new one.
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

# The server pages: the demo host page, the control's files and the pages,
# answering from the demo book (imported into build/zemra-pages.sqlite on
# first start).
cmake --build build --target zemra-pages -j2
pidfile=build/zemra-pages.pid
log=build/zemra-pages.log
stop_started() { # pid file, program name
  if [ -f "$1" ]; then
    old=$(cat "$1")
    if kill -0 "$old" 2>/dev/null && grep -q "$2" "/proc/$old/cmdline" 2>/dev/null; then
      kill "$old"
      while kill -0 "$old" 2>/dev/null; do sleep 0.1; done
    fi
    rm -f "$1"
  fi
}
stop_started "$pidfile" zemra-pages
# The node page server an earlier version of this job started.
stop_started build-web/page-server.pid page-server.js
: >"$log"
nohup ./build/zemra-pages --listen "127.0.0.1:${ZEMRA_PAGES_PORT:-8080}" --port-fallback \
  --pid-file "$pidfile" >"$log" 2>&1 &
tries=0
until grep -q '^zemra-pages: http' "$log"; do
  tries=$((tries + 1))
  if [ "$tries" -gt 300 ] || ! kill -0 $! 2>/dev/null; then
    cat "$log" >&2
    echo "zemra-pages did not start" >&2
    exit 1
  fi
  sleep 0.1
done
address=$(sed -n 's/^zemra-pages: //p' "$log")
echo
echo "The demo page: $address (open it in Chromium)"
echo "Access log: $log; stop the service with: kill \$(cat $pidfile)"
