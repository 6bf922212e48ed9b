#!/bin/sh
# The main job: builds the headless host and the server pages (zemra-pages),
# starts the pages on 127.0.0.1 in the background with the demo book, values
# the demo portfolio through them with the headless host, builds the control
# for the web, and ends with the summary of the demo portfolio (each
# scenario's $Impact and the portfolio's dollar Greeks) and the address of
# the demo page.
# It installs only what building and running need (no browser, no test or
# benchmark libraries: scripts/test.sh installs those), with apt's output in
# a log. The web compiler is installed while the native parts build. Only
# the targets the job needs are built, with Ninja on every processor and
# through ccache. Run again, it stops the service it started before and
# starts a new one.
set -eu
cd "$(dirname "$0")/.."
started=$(date +%s)
jobs=$(nproc 2>/dev/null || echo 2)
mkdir -p build build-web

# Runs a step with its output in a log, shown only when it fails.
logged() { # log, command...
  step_log=$1
  shift
  if ! "$@" >"$step_log" 2>&1; then
    tail -n 40 "$step_log" >&2
    echo "failed: see $step_log" >&2
    return 1
  fi
}
# The step's line on screen, with its log and the seconds it took.
step() { # log, what, command...
  step_log=$1 what=$2
  shift 2
  echo "$what (log: $step_log)"
  t0=$(date +%s)
  logged "$step_log" "$@" || exit 1
  echo "  done in $(($(date +%s) - t0)) s"
}

# ---- Packages: the native build's, and emscripten for the web module.
NATIVE_PACKAGES="cmake g++ make pkg-config ccache ninja-build libgtest-dev nlohmann-json3-dev libcurl4-openssl-dev
  libmicrohttpd-dev libsqlite3-dev libpq-dev"
WEB_PACKAGES="emscripten"
missing() { # packages...
  for p in "$@"; do
    dpkg-query -W -f '${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || printf ' %s' "$p"
  done
}
# dpkg unpacks without syncing every file (most of the install's time on a
# busy disk otherwise); an install cut short is simply run again.
install() { # packages...
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o Dpkg::Options::=--force-unsafe-io "$@"
}
# shellcheck disable=SC2086
native_missing=$(missing $NATIVE_PACKAGES)
# shellcheck disable=SC2086
web_missing=$(missing $WEB_PACKAGES)
if [ -n "$native_missing$web_missing" ]; then
  step build/main-apt-update.log "Updating the package lists" apt-get update -q
fi
if [ -n "$native_missing" ]; then
  # shellcheck disable=SC2086
  step build/main-apt-native.log "Installing:$native_missing" install $native_missing
fi

# ---- The native parts build while emscripten installs.
echo "Building zemra-headless and zemra-pages (log: build/main-native.log)"
native_started=$(date +%s)
logged build/main-native.log sh -c "sh scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMRA_UNITY=ON \
  && cmake --build build -j$jobs --target zemra-headless zemra-pages" &
native_build=$!
if [ -n "$web_missing" ]; then
  # shellcheck disable=SC2086
  if ! (step build/main-apt-web.log "Installing:$web_missing" install $web_missing); then
    wait "$native_build" || true
    exit 1
  fi
fi
wait "$native_build" || exit 1
echo "  zemra-headless and zemra-pages built in $(($(date +%s) - native_started)) s"

# ---- The server pages: the demo host page, the control's files and the
# eight pages, answering from the demo book (imported into
# build/zemra-pages.sqlite on first start).
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

# ---- The demo portfolio valued on the pages, as the demo page shows it,
# while the control is built for the web; the summary is shown at the end.
summary=build/main-summary.txt
logged "$summary" ./build/zemra-headless --properties "${address%/}/properties.json" --script samples/desk.script &
valuation=$!
if ! (step build-web/main-web.log "Building the control for the web" \
  sh -c "ZEMRA_CMAKE='emcmake cmake' sh scripts/configure.sh build-web -DZEMRA_NATIVE_TOOLS=OFF -DZEMRA_UNITY=ON -DCMAKE_BUILD_TYPE=Release \
    && cmake --build build-web -j$jobs"); then
  wait "$valuation" || true
  exit 1
fi
wait "$valuation" || exit 1

echo
cat "$summary"
echo
echo "Done in $(($(date +%s) - started)) s. Access log: $log; stop the service with: kill \$(cat $pidfile)"
echo "The demo page: $address (open it in Chromium)"
