#!/bin/sh
# The main job: builds the headless host and the server pages (zemra-pages),
# starts the pages on 127.0.0.1 in the background with the demo book, values
# the demo portfolio through them with the headless host and prints a
# summary (each scenario's $Impact and the portfolio's dollar Greeks), then
# builds the control for the web and prints the address of the demo page.
# Only the targets the job needs are built, with Ninja on every processor
# and through ccache (the test command builds the rest). Run again, it stops
# the service it started before and starts a new one.
set -eu
cd "$(dirname "$0")/.."
started=$(date +%s)
jobs=$(nproc 2>/dev/null || echo 2)

# Runs a build step with its output in a log, shown only when it fails.
quietly() { # log, what, command...
  step_log=$1 what=$2
  shift 2
  echo "$what (log: $step_log)"
  if ! "$@" >"$step_log" 2>&1; then
    tail -n 40 "$step_log" >&2
    echo "failed: $what" >&2
    exit 1
  fi
}

sh scripts/setup-native.sh
mkdir -p build
quietly build/main-native.log "Building zemra-headless and zemra-pages" \
  sh -c "sh scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMRA_UNITY=ON && cmake --build build -j$jobs --target zemra-headless zemra-pages"

# The server pages: the demo host page, the control's files and the eight
# pages, answering from the demo book (imported into build/zemra-pages.sqlite
# on first start).
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
nohup ./build/pages/service/zemra-pages --listen "127.0.0.1:${ZEMRA_PAGES_PORT:-8080}" --port-fallback \
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

# The demo portfolio valued on the pages, as the demo page shows it.
echo
./build/zemra-headless --properties "${address%/}/properties.json" --script samples/desk.script
echo

# The control in a web page.
sh scripts/setup-web.sh
mkdir -p build-web
quietly build-web/main-web.log "Building the control for the web" \
  sh -c "ZEMRA_CMAKE='emcmake cmake' sh scripts/configure.sh build-web -DZEMRA_NATIVE_TOOLS=OFF -DZEMRA_UNITY=ON -DCMAKE_BUILD_TYPE=Release && cmake --build build-web -j$jobs"

echo
echo "The demo page: $address (open it in Chromium)"
echo "Access log: $log; stop the service with: kill \$(cat $pidfile)"
echo "Done in $(($(date +%s) - started)) s."
