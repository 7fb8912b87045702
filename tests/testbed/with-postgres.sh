#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server: a fresh cluster in a temporary folder,
# listening on 127.0.0.1 at an unusual port and on a socket in that folder, with the application
# role "tw". The command sees the server through SCHEMALIFT_PG_* variables. The server is stopped
# and the folder removed on every way out.
#
#   tests/testbed/with-postgres.sh COMMAND [ARGS...]
set -euo pipefail

pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$pg_bin/initdb" ] || { echo "with-postgres: PostgreSQL server binaries not found" >&2; exit 2; }
psqlodbc=$(dpkg -L odbc-postgresql 2>/dev/null | grep '/psqlodbcw\.so$' | head -n 1)
[ -n "$psqlodbc" ] || { echo "with-postgres: psqlODBC driver not found" >&2; exit 2; }

app_user=tw
app_password='Tw-Secret#42:x'
folder=$(mktemp -d /tmp/schemalift-pg-XXXXXX)
chmod 755 "$folder"
run_as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$folder"
  run_as_owner=(runuser -u postgres --)
fi
admin=$("${run_as_owner[@]}" id -un)

stop_server() {
  "${run_as_owner[@]}" "$pg_bin/pg_ctl" -D "$folder/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$folder"
}
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"${run_as_owner[@]}" "$pg_bin/initdb" -D "$folder/data" -U "$admin" -A trust -E UTF8 \
  --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 \
  || { cat "$folder/initdb.log" >&2; exit 2; }
cat >"$folder/data/pg_hba.conf" <<HBA
local all all trust
host all all 127.0.0.1/32 scram-sha-256
HBA

port=""
for candidate in $(seq 54329 54399); do
  if "${run_as_owner[@]}" "$pg_bin/pg_ctl" -D "$folder/data" -w -t 30 -l "$folder/server.log" \
       -o "-c listen_addresses=127.0.0.1 -p $candidate -k $folder -c fsync=off" start \
       >/dev/null 2>&1; then
    port=$candidate
    break
  fi
done
[ -n "$port" ] || { cat "$folder/server.log" >&2; echo "with-postgres: cannot start" >&2; exit 2; }

psql -X -q -h "$folder" -p "$port" -U "$admin" -d postgres -v ON_ERROR_STOP=1 \
  -c "CREATE ROLE $app_user LOGIN CREATEDB PASSWORD '$app_password'" >/dev/null

export SCHEMALIFT_PG_HOST=127.0.0.1
export SCHEMALIFT_PG_PORT=$port
export SCHEMALIFT_PG_SOCKET_DIR=$folder
export SCHEMALIFT_PG_ADMIN=$admin
export SCHEMALIFT_PG_USER=$app_user
export SCHEMALIFT_PG_PASSWORD=$app_password
export SCHEMALIFT_PG_BIN=$pg_bin
export SCHEMALIFT_PSQLODBC_DRIVER=$psqlodbc
echo "with-postgres: server on 127.0.0.1:$port (folder $folder)"
set +e
"$@"
status=$?
set -e
exit $status
