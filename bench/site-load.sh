#!/usr/bin/env bash
# qob-site under load on this machine: an instance on SQLite and one on PostgreSQL side by
# side, each loaded in turn by qob-site-load (32 clients on 127.0.0.1: publications, then
# ranking pages), and afterwards the records each database holds counted.
#
#   bench/site-load.sh [BUILD] [RECORDS] [RANKINGS] [CLIENTS]
#
# BUILD is a build folder with qob-site and qob-site-load (default build/). Both databases
# keep their usual durability: SQLite in WAL mode with full synchronisation (the site's
# setting), PostgreSQL 15 with fsync and synchronous commit on (its defaults), in a cluster
# of its own under /tmp that the script removes again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
records="${2:-2000}"
rankings="${3:-20000}"
clients="${4:-32}"
seconds=120

work=$(mktemp -d /tmp/qob-site-load.XXXXXX)
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
as_postgres() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -d "$work/pg" ] && as_postgres "$bindir/pg_ctl" -D "$work/pg" -m fast -w stop >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

[ "$(id -u)" -ne 0 ] || chown postgres:postgres "$work"
as_postgres "$bindir/initdb" -D "$work/pg" -U qob -A trust -E UTF8 --locale=C >/dev/null
as_postgres "$bindir/pg_ctl" -D "$work/pg" -l "$work/pg.log" -w \
    -o "-c listen_addresses='' -k $work -c max_connections=100" start >/dev/null
pg="postgresql://qob@/postgres?host=$work"

# Starts qob-site on a free port, which it leaves in $port.
start_site() {
    local db=$1 log=$2
    "$build/bin/qob-site" --listen 127.0.0.1:0 --db "$db" --publications-per-minute 0 \
        >"$log.out" 2>"$log" &
    pids+=($!)
    for _ in $(seq 100); do
        port=$(sed -n 's|.*listening on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$log.out")
        [ -n "$port" ] && return
        sleep 0.1
    done
    echo "qob-site did not start: $(cat "$log.out" "$log")" >&2
    exit 1
}

start_site "sqlite:$work/load.db" "$work/sqlite.log"
sqlite_port=$port
start_site "$pg" "$work/postgresql.log"
pg_port=$port
echo "machine: $(nproc) cores; qob-site on SQLite at port $sqlite_port, on PostgreSQL at port $pg_port"

for db in sqlite postgresql; do
    port=$sqlite_port
    [ "$db" = postgresql ] && port=$pg_port
    echo "== $db"
    "$build/bin/qob-site-load" --port "$port" --clients "$clients" --records "$records" \
        --rankings "$rankings" --seconds "$seconds"
done

count='SELECT COUNT(*), COUNT(DISTINCT seal), SUM(verified) FROM scores'
echo "== stored (rows, distinct records, verified)"
echo "sqlite:     $(sqlite3 "$work/load.db" "$count")"
echo "postgresql: $(psql -At -d "$pg" -c "$count")"
