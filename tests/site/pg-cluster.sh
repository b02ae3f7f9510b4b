#!/usr/bin/env bash
# A PostgreSQL cluster of its own for the tests, in a new folder under /tmp, reached only
# through a Unix socket in that folder (so it meets no other cluster of the machine).
#
#   pg-cluster.sh start STATE   starts it; writes STATE/url, a libpq address of its
#                               "postgres" database for the user "qob"
#   pg-cluster.sh stop STATE    stops it and removes its folder
#
# Run as root, the cluster runs as the user postgres (PostgreSQL refuses root).
set -euo pipefail

command=${1:?start or stop}
state=${2:?state folder}

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop() {
    [ -f "$state/dir" ] || return 0
    local dir
    dir=$(cat "$state/dir")
    if [ -d "$dir/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    rm -f "$state/dir" "$state/url"
}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "pg-cluster: PostgreSQL's server programs are not installed (Debian package postgresql)" >&2
    exit 1
fi

case "$command" in
start)
    mkdir -p "$state"
    stop  # a cluster that an interrupted run left behind
    dir=$(mktemp -d /tmp/qob-test-pg.XXXXXX)
    echo "$dir" >"$state/dir"
    [ "$(id -u)" -ne 0 ] || chown postgres:postgres "$dir"
    as_owner "$bindir/initdb" -D "$dir/data" -U qob -A trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    # No TCP at all; durability is not what these tests are about.
    as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -k $dir -c fsync=off -c max_connections=200" start >/dev/null \
        || { cat "$dir/server.log" >&2; exit 1; }
    echo "postgresql://qob@/postgres?host=$dir" >"$state/url"
    echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') test cluster in $dir"
    ;;
stop)
    stop
    ;;
*)
    echo "pg-cluster: unknown command $command" >&2
    exit 2
    ;;
esac
