#!/bin/sh
# Installs what the native build, tests and benchmarks need (Debian 12, as
# root). Safe to run again: packages already present are left alone.
set -eu
PACKAGES="cmake g++ make clang-format pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcurl4-openssl-dev ccache ninja-build libmicrohttpd-dev libsqlite3-dev libquantlib0-dev libpq-dev"
missing=""
for p in $PACKAGES; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q $missing
fi
