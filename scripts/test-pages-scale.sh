#!/bin/sh
# zemra-pages on PostgreSQL and at scale: starts a throwaway PostgreSQL
# cluster on a loopback port, runs the service's tests and load check on it
# (the load check on SQLite first; both print their figures, as the page
# fuzz does), then two zemra-pages instances on one database behind nginx,
# and checks that a scenario inserted through one instance is listed
# through the other and through nginx, that an address of about 1 MB passes nginx, and that
# killing one instance in the middle of a burst of inserts from 32 clients
# through nginx neither loses an acknowledged insert nor stores one twice
# (both counts are printed). Stops everything it started. Installs
# postgresql and nginx when they are missing.
set -eu
cd "$(dirname "$0")/.."
BUILD=${ZEMRA_PAGES_BUILD:-build}

missing=""
for p in postgresql nginx curl; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing
fi
cmake --build "$BUILD" --target zemra-pages zemra_pages_tests zemra_pages_load -j2

pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
work=$(mktemp -d)
chmod 755 "$work"
pids=""
as_postgres() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done; done
  [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  [ -d "$work/pg" ] && as_postgres "$pgbin/pg_ctl" -D "$work/pg" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# A loopback port no socket uses (listening or connected), searched from a
# start that differs between runs, so that two runs at once rarely race for
# the same one. The starts lie below the range the system hands out to
# outgoing connections, which could otherwise take the port before the
# server binds it.
free_port() {
  port=$1
  while ss -Htan "sport = :$port" 2>/dev/null | grep -q .; do port=$((port + 1)); done
  echo "$port"
}

# The throwaway cluster.
mkdir "$work/pg"
[ "$(id -u)" = 0 ] && chown postgres "$work" "$work/pg"
as_postgres "$pgbin/initdb" -D "$work/pg" -U zemra --auth=trust -E UTF8 --no-locale >/dev/null
pgport=$(free_port $((25432 + $$ % 500)))
as_postgres "$pgbin/pg_ctl" -D "$work/pg" -l "$work/pg/server.log" -w \
  -o "-p $pgport -k $work/pg -c listen_addresses=127.0.0.1" start >/dev/null
server="postgresql://zemra@127.0.0.1:$pgport/postgres"
database="postgresql://zemra@127.0.0.1:$pgport/pages"
"$pgbin/psql" -q "$server" -c "CREATE DATABASE pages"

echo "== the load check on SQLite"
"$BUILD/pages/service/zemra_pages_load" --seconds 3

echo "== the service's tests on PostgreSQL"
ZEMRA_PAGES_TEST_POSTGRES="$server" "$BUILD/pages/service/zemra_pages_tests" --gtest_brief=1
# The PostgreSQL client library costs the service more processor time per
# query than SQLite does.
ZEMRA_PAGES_TEST_POSTGRES="$server" "$BUILD/pages/service/zemra_pages_load" --seconds 3 --most-cpu-us 2000

echo "== two instances on one database behind nginx"
start_instance() { # name
  : >"$work/$1.log"
  "$BUILD/pages/service/zemra-pages" --listen 127.0.0.1:0 --database "$database" --connections-per-address 512 >"$work/$1.log" 2>&1 &
  pids="$pids $!"
  eval "pid_$1=$!"
  tries=0
  until grep -q '^zemra-pages: http' "$work/$1.log"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 300 ]; then cat "$work/$1.log" >&2; echo "instance $1 did not start" >&2; exit 1; fi
    sleep 0.1
  done
}
address_of() { # name: the HOST:PORT the instance printed
  sed -n 's|^zemra-pages: http://\([^/]*\)/|\1|p' "$work/$1.log"
}
start_instance a
start_instance b
a=$(address_of a)
b=$(address_of b)
nginxport=$(free_port $((28080 + $$ % 500)))
sed -e "s|@WORK@|$work|g" -e "s|@INSTANCE_A@|$a|" -e "s|@INSTANCE_B@|$b|" -e "s|@LISTEN@|127.0.0.1:$nginxport|" \
  pages/service/deploy/nginx.conf >"$work/nginx.conf"
nginx -c "$work/nginx.conf" -p "$work"
front="127.0.0.1:$nginxport"

fail() { echo "FAILED: $*" >&2; exit 1; }
uid=$(curl -sf "http://$a/pages/InsertScenario?Description=Scale%20check%20$$&ScenarioDetail=5%3B0%3B0%3B0%3B0%3B100%3B0%3B1&AutoLoad=N")
case "$uid" in ''|*[!0-9]*) fail "insert through instance a answered '$uid'";; esac
for where in "$b" "$front" "$front"; do
  curl -sf "http://$where/pages/GetScenario" | tr '|' '\n' | grep -q "^$uid;Scale check $$;5;" ||
    fail "scenario $uid is not listed through $where"
done
echo "scenario $uid inserted through $a is listed through $b and through nginx ($front)"
count=150000
times=$(awk -v n=$count 'BEGIN { for (i = 0; i < n; i++) printf "%s%d", (i ? "%3B" : ""), i % 365 }')
# Under 1 MB, the longest address the service takes and about as much as
# curl sends in one request. An argument cannot be this long: curl reads
# the query from a file (-G appends it after "?").
printf %s "Secid=1001&FinRate=5&RebRate=4&BrwCost=0.5&TailRate=5&ConvPosition=100&StkPosition=-1000&CapitalRule=1&ConvCapital=15&StockCapital=15&ConvPrice=100&StkPrice=20&FxRate=1&Maturity=06%2F15%2F2030&TimeChg=$times" >"$work/query"
size=$(($(wc -c <"$work/query") + ${#front} + 25))
pieces=$(curl -sS -f -G --data-binary @"$work/query" "http://$front/pages/CarryCalc" | tr '|' '\n' | grep -c '' || true)
[ "$pieces" = "$count" ] || fail "the ${size}-byte address through nginx gave $pieces pieces"
echo "a ${size}-byte address passes nginx: $pieces carry pieces"
curl -sS -f "http://$b/pages/DelScenario?Uid=$uid" >/dev/null || fail "delete through instance b"

echo "== 32 clients inserting through nginx, instance a killed in the middle"
burst() { # client: 25 inserts, the acknowledged descriptions to a file of its own
  i=0
  while [ $i -lt 25 ]; do
    d="Burst-$$-$1-$i"
    got=$(curl -s --max-time 60 "http://$front/pages/InsertScenario?Description=$d&ScenarioDetail=1%3B0%3B0%3B0%3B0%3B100%3B0%3B1&AutoLoad=N" || true)
    case "$got" in ''|*[!0-9]*) ;; *) echo "$d" >>"$work/acked.$1";; esac
    i=$((i + 1))
  done
}
bursts=""
for c in $(seq 1 32); do burst "$c" & bursts="$bursts $!"; done
sleep 1
# shellcheck disable=SC2154
kill -9 "$pid_a"
# shellcheck disable=SC2086
wait $bursts
curl -sf "http://$b/pages/GetScenario" | tr '|' '\n' | cut -d';' -f2 | grep "^Burst-$$-" | sort >"$work/stored" || true
cat "$work"/acked.* 2>/dev/null | sort >"$work/acked"
acked=$(grep -c '' "$work/acked" || true)
stored=$(grep -c '' "$work/stored" || true)
duplicates=$(uniq -d "$work/stored" | grep -c '' || true)
lost=$(sort -u "$work/stored" | comm -23 "$work/acked" - | grep -c '' || true)
echo "write burst: 800 inserts, $acked acknowledged, $stored stored, $duplicates stored twice, $lost acknowledged but lost"
[ "$duplicates" = 0 ] || fail "$duplicates scenarios stored twice"
[ "$lost" = 0 ] || fail "$lost acknowledged scenarios lost"
echo "scale check passed"
