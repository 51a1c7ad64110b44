#!/usr/bin/env bash
# Load on loopback in one command: starts quillomar-server on a free port of 127.0.0.1 with a
# database of its own in a scratch folder (SQLite, or a throw-away PostgreSQL cluster made with
# initdb and pg_ctl), lets CLIENTS players submit RUNS honest runs each at once
# (quillomar_server_load), prints its figures with the runs verified per second per verifier
# thread, and stops and removes everything again.
#   tools/server_load.sh sqlite|postgresql [LEVEL] [CLIENTS] [RUNS] [VERIFIERS]
# Defaults: levels/10_medium_21.txt, 8 clients, 10 runs each, one verifier per core.
# BUILD_DIR names the build folder (build).
set -euo pipefail
cd "$(dirname "$0")/.."
storage="${1:-}"
level="${2:-levels/10_medium_21.txt}"
clients="${3:-8}"
runs="${4:-10}"
verifiers="${5:-$(nproc)}"
build="${BUILD_DIR:-build}"
if [ "$storage" != sqlite ] && [ "$storage" != postgresql ]; then
    echo "usage: tools/server_load.sh sqlite|postgresql [LEVEL] [CLIENTS] [RUNS] [VERIFIERS]" >&2
    exit 2
fi
for program in quillomar-server quillomar_server_load; do
    if [ ! -x "$build/$program" ]; then
        echo "there is no $build/$program: build it first (cmake --build $build --target $program)" >&2
        exit 1
    fi
done

scratch=$(mktemp -d /tmp/quillomar-load.XXXXXX)
server_pid=""
as_postgres=()
pg_bin=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null && wait "$server_pid" 2> /dev/null || true
    if [ -n "$pg_bin" ]; then
        "${as_postgres[@]}" "$pg_bin/pg_ctl" -D "$scratch/pg" -m immediate stop > /dev/null 2>&1 || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

if [ "$storage" = sqlite ]; then
    database="sqlite:$scratch/load.db"
else
    pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2> /dev/null | sort -V | tail -n 1)
    if [ -z "$pg_bin" ] || [ ! -x "$pg_bin/initdb" ]; then
        echo "no PostgreSQL binaries (initdb, pg_ctl) in /usr/lib/postgresql" >&2
        exit 1
    fi
    # initdb refuses to run as root: the cluster then belongs to the postgres user.
    if [ "$(id -u)" -eq 0 ]; then
        as_postgres=(runuser -u postgres --)
        chown postgres "$scratch"
    fi
    port=$(free_port)
    "${as_postgres[@]}" "$pg_bin/initdb" -A trust -U postgres -D "$scratch/pg" > "$scratch/initdb.log" 2>&1
    "${as_postgres[@]}" "$pg_bin/pg_ctl" -D "$scratch/pg" -w -l "$scratch/pg.log" \
        -o "-k $scratch -h 127.0.0.1 -p $port -c fsync=off" start > /dev/null
    psql -q -d "postgresql://postgres@127.0.0.1:$port/postgres" -c "CREATE DATABASE load"
    database="postgresql://postgres@127.0.0.1:$port/load"
fi

"$build/quillomar-server" --listen 127.0.0.1:0 --database "$database" --verifiers "$verifiers" \
    --no-rate-limits > "$scratch/server.log" 2>&1 &
server_pid=$!
address=""
for _ in $(seq 300); do
    address=$(sed -n 's|^quillomar-server: listening on http://||p' "$scratch/server.log")
    [ -n "$address" ] && break
    kill -0 "$server_pid" 2> /dev/null || break
    sleep 0.1
done
if [ -z "$address" ]; then
    echo "the server did not start:" >&2
    cat "$scratch/server.log" >&2
    exit 1
fi

echo "storage $storage, verifiers $verifiers, $(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg)"
"$build/quillomar_server_load" "$address" "$level" "$clients" "$runs" | tee "$scratch/load.txt"
awk -v v="$verifiers" '/^runs_per_second/ { printf "runs_per_second_per_verifier %.1f\n", $2 / v }' \
    "$scratch/load.txt"
