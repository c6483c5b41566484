#!/usr/bin/env bash
# Starts or stops a private PostgreSQL 15 cluster for the test suite.
#
#   pg-cluster.sh start STATE_DIR   creates a cluster in a new temporary folder,
#                                   starts it on a free port of 127.0.0.1 and
#                                   writes its address to STATE_DIR/server-uri
#   pg-cluster.sh stop STATE_DIR    stops that cluster and removes its folder
#
# The cluster trusts local connections and has one superuser, "brindlecot",
# which the tests use to create a database per book. PostgreSQL refuses to run
# as root, so under root the cluster runs as the "postgres" system user.
set -euo pipefail

command="${1:-}"
state="${2:-}"
[ -n "$command" ] && [ -n "$state" ] || { echo "usage: $0 start|stop STATE_DIR" >&2; exit 2; }
bin="${PG_BIN:-/usr/lib/postgresql/15/bin}"
runner=()
if [ "$(id -u)" -eq 0 ]; then
  runner=(runuser -u postgres --)
fi

stop_cluster() {
  [ -f "$state/data-dir" ] || return 0
  local data
  data="$(cat "$state/data-dir")"
  if [ -f "$data/postmaster.pid" ]; then
    "${runner[@]}" "$bin/pg_ctl" -D "$data" -m fast -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$(dirname "$data")"
  rm -f "$state/data-dir" "$state/server-uri"
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

case "$command" in
start)
  mkdir -p "$state"
  stop_cluster
  top="$(mktemp -d /tmp/brindlecot-pg.XXXXXX)"
  chmod 755 "$top"
  data="$top/data"
  mkdir "$data"
  [ ${#runner[@]} -eq 0 ] || chown postgres: "$top" "$data"
  echo "$data" >"$state/data-dir"
  "${runner[@]}" "$bin/initdb" -D "$data" -U brindlecot -A trust -E UTF8 --locale=C.UTF-8 >"$top/initdb.log" 2>&1 \
    || { cat "$top/initdb.log" >&2; exit 1; }
  # Settings for a throw-away cluster: no durability wait, enough
  # connections for the concurrency tests.
  {
    echo "listen_addresses = '127.0.0.1'"
    echo "unix_socket_directories = '$top'"
    echo "max_connections = 200"
    echo "fsync = off"
    echo "synchronous_commit = off"
    echo "full_page_writes = off"
  } >>"$data/postgresql.conf"
  for attempt in 1 2 3 4 5; do
    port="$(free_port)"
    if "${runner[@]}" "$bin/pg_ctl" -D "$data" -o "-p $port" -l "$top/server.log" -w start >/dev/null 2>&1; then
      echo "postgresql://brindlecot@127.0.0.1:$port/postgres" >"$state/server-uri"
      exit 0
    fi
  done
  cat "$top/server.log" >&2
  exit 1
  ;;
stop)
  stop_cluster
  ;;
*)
  echo "usage: $0 start|stop STATE_DIR" >&2
  exit 2
  ;;
esac
