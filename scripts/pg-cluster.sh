#!/usr/bin/env bash
# A throw-away PostgreSQL cluster on loopback for the tests and benchmarks.
#   source scripts/pg-cluster.sh && pg_cluster_start   -> exports RAPPORTS_TEST_PG
#   pg_cluster_stop                                     -> stops it and removes its folder
# PG_CLUSTER_SETTINGS adds server settings ("-c shared_buffers=4GB").
# As root the server runs as the postgres system user (PostgreSQL refuses root).

pg_cluster_start() {
  local pgbin
  pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ]; then
    echo "pg-cluster: PostgreSQL server binaries not found" >&2
    return 1
  fi
  PG_CLUSTER_DIR=$(mktemp -d /tmp/rapports-pg.XXXXXX)
  chmod 755 "$PG_CLUSTER_DIR"
  local run=()
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$PG_CLUSTER_DIR"
    run=(runuser -u postgres --)
  fi
  PG_CLUSTER_RUN=("${run[@]}")
  PG_CLUSTER_BIN=$pgbin
  # A free port near 55432.
  local port=$((55432 + RANDOM % 1000))
  while (echo > /dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
  "${run[@]}" "$pgbin/initdb" -D "$PG_CLUSTER_DIR/data" -A trust -U postgres -E UTF8 \
      --no-locale --no-sync > "$PG_CLUSTER_DIR/initdb.log" 2>&1 || {
    cat "$PG_CLUSTER_DIR/initdb.log" >&2; return 1; }
  "${run[@]}" "$pgbin/pg_ctl" -D "$PG_CLUSTER_DIR/data" -w -t 60 -l "$PG_CLUSTER_DIR/server.log" \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $PG_CLUSTER_DIR -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 ${PG_CLUSTER_SETTINGS:-}" \
      start > /dev/null || { cat "$PG_CLUSTER_DIR/server.log" >&2; return 1; }
  "${run[@]}" "$pgbin/createdb" -h 127.0.0.1 -p "$port" -U postgres rapports_test || return 1
  export RAPPORTS_TEST_PG="postgresql://postgres@127.0.0.1:$port/rapports_test"
  export PG_CLUSTER_PORT=$port
  echo "pg-cluster: PostgreSQL on 127.0.0.1:$port ($PG_CLUSTER_DIR)"
}

pg_cluster_stop() {
  if [ -n "${PG_CLUSTER_DIR:-}" ] && [ -d "$PG_CLUSTER_DIR" ]; then
    "${PG_CLUSTER_RUN[@]}" "$PG_CLUSTER_BIN/pg_ctl" -D "$PG_CLUSTER_DIR/data" -m immediate stop \
        > /dev/null 2>&1 || true
    rm -rf "$PG_CLUSTER_DIR"
    unset PG_CLUSTER_DIR RAPPORTS_TEST_PG
  fi
}
