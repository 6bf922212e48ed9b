#!/bin/sh
# Installs what the web build and the browser tests need (Debian 12, as
# root): emscripten, Node.js with npm, Chromium with the fonts the tests
# measure text in, and the npm packages of web/ (playwright-core, which
# drives Debian's Chromium; it downloads no browser). The packages'
# recommendations (a desktop's printing, sound and network discovery) are
# left out. Safe to run again: what is present is left alone.
set -eu
cd "$(dirname "$0")/.."
missing=""
for p in emscripten chromium fonts-liberation; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
command -v node >/dev/null 2>&1 || missing="$missing nodejs"
command -v npm >/dev/null 2>&1 || missing="$missing npm"
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing
fi
# The npm packages, again only when the lock file has changed since the
# last install.
stamp=web/node_modules/.zemra-installed-lock
if ! cmp -s web/package-lock.json "$stamp" 2>/dev/null; then
  (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
  cp web/package-lock.json "$stamp"
fi
