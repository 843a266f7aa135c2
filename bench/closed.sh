#!/usr/bin/env bash
# Makes the "closed" copy of the benchmark practice, the large practice of each engine
# whose months are closed through MONTH (default 202007: its first month-end carries the
# whole history before it into the producers' brought-forward figures), as an office that
# closes its months has it, and prints the environment that points the benchmarks at it.
#   eval "$(bench/closed.sh [MONTH])"; build/bench/bench_dayend
# The copies: $RAPPORTS_BENCH_DIR/closed/<size>.db and the PostgreSQL database
# "<database>_closed" beside $RAPPORTS_BENCH_PG (else $RAPPORTS_TEST_PG), made from the
# originals (generated first by any benchmark) and left in place for later runs.
set -euo pipefail
cd "$(dirname "$0")/.."
month=${1:-202007}
dir=${RAPPORTS_BENCH_DIR:-/tmp/rapports-bench}
size=${RAPPORTS_BENCH_SIZE:-large}
rapports=${RAPPORTS:-build/bin/rapports}
close() {
  "$rapports" close-month --db "$1" --month "$month" --today 20241115 >&2 || {
    code=$?
    # 3: already closed (a copy made by an earlier run).
    [ "$code" -eq 3 ] || { echo "closed.sh: close-month failed ($code) on $1" >&2; exit 1; }
  }
}
mkdir -p "$dir/closed"
if [ ! -f "$dir/closed/$size.db" ]; then
  [ -f "$dir/$size.db" ] || { echo "closed.sh: no $dir/$size.db (run a benchmark first)" >&2; exit 1; }
  cp "$dir/$size.db" "$dir/closed/$size.db.part"
  mv "$dir/closed/$size.db.part" "$dir/closed/$size.db"
fi
close "sqlite:$dir/closed/$size.db"
echo "export RAPPORTS_BENCH_DIR=$dir/closed"
pg=${RAPPORTS_BENCH_PG:-${RAPPORTS_TEST_PG:-}}
if [ -n "$pg" ]; then
  base=${pg%%\?*}
  db=${base##*/}
  closed="${base%/*}/${db}_closed"
  if ! psql "$pg" -Atc "SELECT 1 FROM pg_database WHERE datname = '${db}_closed'" | grep -q 1; then
    # A database copied whole needs its original left alone while it is copied.
    psql "$pg" -qc "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '$db' AND pid <> pg_backend_pid()" >/dev/null
    psql "${base%/*}/postgres" -qc "CREATE DATABASE \"${db}_closed\" TEMPLATE \"$db\"" >&2
  fi
  close "$closed"
  echo "export RAPPORTS_BENCH_PG=$closed"
fi
