#!/usr/bin/env bash
# Runs the benchmarks over the large demo practice on SQLite and on a throw-away
# PostgreSQL cluster. The SQLite practice is kept in $RAPPORTS_BENCH_DIR (default
# /tmp/rapports-bench) between runs; the PostgreSQL one is made anew each run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)"
source scripts/pg-cluster.sh
trap pg_cluster_stop EXIT
# The practice stays in the server's own buffers: a machine that pages out files left
# untouched for a minute (as some virtual machines do) would otherwise time its disk.
PG_CLUSTER_SETTINGS="-c shared_buffers=4GB" pg_cluster_start
export RAPPORTS_BENCH_PG=$RAPPORTS_TEST_PG
for b in build/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
