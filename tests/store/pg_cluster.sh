#!/usr/bin/env bash
# A throwaway PostgreSQL server for the store tests:
#   pg_cluster.sh start STATE   makes a cluster in a new temporary folder,
#                               starts it on a Unix socket there (no TCP)
#                               and writes "DIR=..." and "URL=..." to STATE;
#   pg_cluster.sh stop STATE    stops it and removes the folder.
# Run as root, the server runs as the unprivileged user "postgres".
set -euo pipefail
action=$1
state=$2
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ]; then
  echo "error: PostgreSQL is not installed (/usr/lib/postgresql/*/bin); run ./scripts/install-deps.sh" >&2
  exit 1
fi
as_server() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
  start)
    if [ -f "$state" ]; then "$0" stop "$state" || true; fi
    dir=$(mktemp -d /tmp/zelkor-pg.XXXXXX)
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    cd "$dir"  # a folder the server's user may enter
    as_server "$bindir/initdb" -D "$dir/data" -A trust -U zelkor -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
    # The tests' own role needs no password; the members the tests make
    # (a read-only one, one with a password) log in with theirs.
    printf 'local all zelkor trust\nlocal all all scram-sha-256\n' >"$dir/data/pg_hba.conf"
    as_server "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-k $dir -c listen_addresses= -p 5433 -F -c max_connections=40" start >/dev/null \
      || { cat "$dir/server.log" >&2; exit 1; }
    printf 'DIR=%s\nURL=postgresql:///postgres?host=%s&port=5433&user=zelkor\n' "$dir" "$dir" >"$state"
    echo "PostgreSQL test server in $dir"
    ;;
  stop)
    [ -f "$state" ] || exit 0
    dir=$(sed -n 's/^DIR=//p' "$state")
    if [ -n "$dir" ] && [ -d "$dir" ]; then
      cd "$dir"
      as_server "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
      rm -rf "$dir"
    fi
    rm -f "$state"
    ;;
  *)
    echo "usage: pg_cluster.sh start|stop STATE" >&2
    exit 64
    ;;
esac
