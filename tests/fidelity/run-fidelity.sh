#!/usr/bin/env bash
# Fidelity check: real SQL shipped with PostgreSQL (contrib extension scripts, each install
# script followed by its update scripts, and system_functions.sql) goes once through schemalift
# as a block script and once through psql, into two fresh databases; their schema-only dumps
# must be identical. Run it through tests/testbed/with-postgres.sh:
#
#   tests/testbed/with-postgres.sh bash tests/fidelity/run-fidelity.sh [PATH-TO-schemalift]
#
# Both sides log in as the server's superuser (C functions need it) and start from the same
# three TWX_ tables that the program empties. hstore and ltree are left out: their operators ?,
# ?| and ?& are parameter markers to the ODBC driver (07002). The dumps are compared as they are;
# pg_dump gets a fixed --restrict-key (where it has one) so that its \restrict lines match.
set -euo pipefail
: "${SCHEMALIFT_PG_PORT:?run through tests/testbed/with-postgres.sh}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$(realpath "${1:-$here/../../build/src/schemalift}")
[ -x "$program" ] || { echo "fidelity: no program at $program" >&2; exit 2; }
share=/usr/share/postgresql/15
extensions=(citext isn cube seg pg_trgm intarray fuzzystrmatch btree_gin earthdistance)
admin=$SCHEMALIFT_PG_ADMIN
work=$(mktemp -d /tmp/schemalift-fidelity-XXXXXX)
chmod 755 "$work"

pg() { psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_SOCKET_DIR" -p "$SCHEMALIFT_PG_PORT" \
         -U "$admin" "$@"; }
cleanup() {
  pg -d postgres -c "DROP DATABASE IF EXISTS fidelity_program" \
     -c "DROP DATABASE IF EXISTS fidelity_psql" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "fidelity: FAILED: $*" >&2; exit 1; }

# The install script of the newest full version, then the update scripts up to the newest.
chain() {
  local name=$1 file version next
  file=$(cd "$share/extension" && ls "$name"--*.sql | grep -v -- '--.*--' | sort -V | tail -n 1)
  version=${file#"$name"--}
  version=${version%.sql}
  echo "$share/extension/$file"
  while next=$(cd "$share/extension" && ls "$name--$version--"*.sql 2>/dev/null | sort -V |
               tail -n 1) && [ -n "$next" ]; do
    echo "$share/extension/$next"
    version=${next##*--}
    version=${version%.sql}
  done
}

# The SQL: the guard line and the one-line ALTER EXTENSION statements of update scripts dropped
# (there is no extension), the module path (from the control file) and the schema filled in.
for name in "${extensions[@]}"; do
  module=$(sed -nE "s/^module_pathname *= *'(.*)'/\1/p" "$share/extension/$name.control")
  for file in $(chain "$name"); do
    sed -e '/^\\echo .*\\quit$/d' -e '/^ALTER EXTENSION .*;$/d' -e "s|MODULE_PATHNAME|$module|g" \
        -e 's/@extschema@/public/g' "$file"
  done
done >"$work/input.sql"
[ -f "$share/system_functions.sql" ] && cat "$share/system_functions.sql" >>"$work/input.sql"
! grep -qE '@[a-z_]+@|^\\' "$work/input.sql" || fail "unfilled placeholder or psql command"

# A step-650 working folder: the first block script holds the statements, the batch files
# (always executed, even empty) "SELECT 1", the other files of the catalogue nothing; ./liftaide
# succeeds.
steps="$work/run/Upgrade-v2016-to-v2017/postgresql"
mkdir -p "$steps"
grep -oE '"(block|cmds|proc|batch):[A-Za-z0-9_]+_PostgreSQL\.sql"' \
  "$here/../../src/scripts/script_catalogue.cpp" | tr -d '"' | tr ':' ' ' |
  while read -r kind file; do
    if [ "$kind" = batch ]; then echo "SELECT 1" >"$steps/$file"; else : >"$steps/$file"; fi
  done
statements=$(python3 "$here/split_statements.py" "$steps/upgrade_PostgreSQL.sql" \
  <"$work/input.sql")
printf '#!/bin/sh\nexit 0\n' >"$work/run/liftaide"
chmod 755 "$work/run/liftaide"

# The data source: the superuser over the server's socket folder.
mkdir "$work/odbc"
printf '[PostgreSQL Unicode]\nDriver=%s\n' "$SCHEMALIFT_PSQLODBC_DRIVER" >"$work/odbc/odbcinst.ini"
printf '[fidelity]\nDriver=PostgreSQL Unicode\nServername=%s\nPort=%s\nDatabase=fidelity_program\n' \
  "$SCHEMALIFT_PG_SOCKET_DIR" "$SCHEMALIFT_PG_PORT" >"$work/odbc/odbc.ini"
: >"$work/odbc/user-odbc.ini"

tables="CREATE TABLE TWX_TABLE (ID int); CREATE TABLE TWX_INDEX_COLUMN (ID int);
        CREATE TABLE TWX_SCHEMA_HASH (ID int);"
for side in program psql; do
  pg -d postgres -c "CREATE DATABASE fidelity_$side"
  pg -d "fidelity_$side" -c "$tables"
done

b64() { printf '%s' "$1" | base64 -w0; }
elapsed() {
  local ms=$(( ($(date +%s%N) - $1) / 1000000 ))
  printf '%d.%02d' $((ms / 1000)) $((ms % 1000 / 10))
}
start=$(date +%s%N)
set +e
(cd "$work/run" && ODBCSYSINI=$work/odbc ODBCINI=$work/odbc/user-odbc.ini "$program" \
  -t postgresql -d "$(b64 fidelity)" -u "$(b64 "$admin")" -y -b 650) >"$work/program.log" 2>&1
status=$?
set -e
program_seconds=$(elapsed "$start")
start=$(date +%s%N)
pg -d fidelity_psql -f "$work/input.sql" >"$work/psql.log" 2>&1 \
  || { cat "$work/psql.log" >&2; fail "psql failed"; }
psql_seconds=$(elapsed "$start")
if [ "$status" -ne 0 ] || grep -q 'Error while executing' "$work/program.log"; then
  grep -E 'Error while executing|^ERROR|\[[0-9A-Z]{5}\]' "$work/program.log" | head -n 10 >&2
  fail "the program ended with status $status, or a statement failed"
fi

restrict=()
pg_dump --help | grep -- --restrict-key >/dev/null && restrict=(--restrict-key=fidelity)
for side in program psql; do
  pg_dump --schema-only "${restrict[@]}" -h "$SCHEMALIFT_PG_SOCKET_DIR" \
    -p "$SCHEMALIFT_PG_PORT" -U "$admin" "fidelity_$side" >"$work/$side.dump"
done
if ! diff -u "$work/psql.dump" "$work/program.dump" >"$work/dump.diff"; then
  head -n 40 "$work/dump.diff" >&2
  fail "the dumps differ (psql side first)"
fi
printf 'fidelity: %d statements, program %s s, psql %s s, dumps identical (%d lines)\n' \
  "$statements" "$program_seconds" "$psql_seconds" "$(wc -l <"$work/psql.dump")"
