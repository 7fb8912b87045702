#!/usr/bin/env bash
# The demo: schemalift does its job for real on a sample TWDB.
#
#   bash demo/run-demo.sh
#
# On a Debian machine it installs what is missing, builds schemalift and the demo's liftaide,
# starts a throwaway PostgreSQL server, loads the sample TWDB at schema version 550 and runs:
#   1. a validation from 550, which reports what stands in the way and writes a warnings file;
#   2. the upgrade from 550 through the three steps, launching liftaide at each step;
#   3. a build-to-build upgrade, which runs only what follows the build recorded in the database;
#   4. the same build-to-build upgrade again, which finds nothing new in the tag scripts.
# The server is stopped on every way out. Everything the runs leave is under demo-out/:
# the warnings file, one log per run, liftaide's log, the working folder and the ODBC settings.
#
# Environment: SCHEMALIFT_DEMO_OUT (default demo-out), SCHEMALIFT_DEMO_BUILD (default build),
# SCHEMALIFT_JOBS (parallel build jobs, default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${SCHEMALIFT_DEMO_OUT:-$root/demo-out}
build=${SCHEMALIFT_DEMO_BUILD:-$root/build}
jobs=${SCHEMALIFT_JOBS:-2}
warnings=$out/warnings-550.txt
logs=$out/logs

if [ "${1:-}" != "--with-server" ]; then
  # shellcheck disable=SC2317  # called by the EXIT trap
  report() {
    local status=$?
    echo
    if [ "$status" -eq 0 ]; then echo "Demo finished."; else echo "Demo FAILED (status $status)."; fi
    echo "  Warnings file: $warnings"
    echo "  Logs:          $logs/"
    echo "  Working folder (script folders and ./liftaide): $out/work"
  }
  trap report EXIT
  cd "$root"
  rm -rf "$out/work" "$out/logs" "$out/odbc" "$out/cfg" "$out/cfg-none" "$out/registry.ini" \
         "$warnings"
  mkdir -p "$logs"
  echo "== Installing what is missing"
  bash tests/testbed/install-deps.sh
  echo "== Building schemalift and the demo's liftaide in $build"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$logs/cmake-configure.log"
  cmake --build "$build" -j "$jobs" --target schemalift liftaide_demo >"$logs/cmake-build.log"
  echo "== Starting a throwaway PostgreSQL server"
  export SCHEMALIFT_DEMO_OUT=$out SCHEMALIFT_DEMO_BUILD=$build
  tests/testbed/with-postgres.sh bash "$root/demo/run-demo.sh" --with-server
  exit 0
fi

# From here on the server runs; tests/testbed/with-postgres.sh stops it when this part ends.
: "${SCHEMALIFT_PG_PORT:?run through tests/testbed/with-postgres.sh}"
database=twdb_demo
dsn="TWDB demo"
schemalift=$build/src/schemalift
work=$out/work

fail() {
  echo "DEMO CHECK FAILED: $*" >&2
  exit 1
}
b64() { printf '%s' "$1" | base64 -w 0; }
as_admin() {
  psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_SOCKET_DIR" -p "$SCHEMALIFT_PG_PORT" \
    -U "$SCHEMALIFT_PG_ADMIN" -d postgres "$@"
}
as_tw() {
  PGPASSWORD=$SCHEMALIFT_PG_PASSWORD psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_HOST" \
    -p "$SCHEMALIFT_PG_PORT" -U "$SCHEMALIFT_PG_USER" -d "$database" "$@"
}
query() { as_tw -A -t -c "$1"; }

echo "== Loading the sample TWDB (schema version 550) into database $database"
as_admin -c "CREATE DATABASE $database OWNER $SCHEMALIFT_PG_USER" >/dev/null
as_tw -f "$root/demo/twdb/twdb_550_PostgreSQL.sql" >"$logs/00-load-twdb.log" 2>&1 \
  || { cat "$logs/00-load-twdb.log" >&2; fail "the sample TWDB did not load"; }
echo "   $(query "SELECT count(*) FROM twx_entity") inventory objects," \
     "$(query "SELECT count(*) FROM twx_host") hosts," \
     "$(query "SELECT count(*) FROM twx_event") events"

echo "== ODBC: driver 'PostgreSQL Unicode' and system DSN '$dsn' in $out/odbc"
mkdir -p "$out/odbc"
cat >"$out/odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$SCHEMALIFT_PSQLODBC_DRIVER
INI
cat >"$out/odbc/odbc.ini" <<INI
[$dsn]
Driver=PostgreSQL Unicode
Description=Sample TWDB of the schemalift demo
Servername=$SCHEMALIFT_PG_HOST
Port=$SCHEMALIFT_PG_PORT
Database=$database
INI
: >"$out/odbc/user-odbc.ini"
export ODBCSYSINI=$out/odbc ODBCINI=$out/odbc/user-odbc.ini

echo "== Settings stores: twxd.cfg under $out/cfg, settings file $out/registry.ini"
mkdir -p "$out/cfg/halvik-twx" "$out/cfg-none"
cat >"$out/cfg/halvik-twx/twxd.cfg" <<CFG
<config>
  <database>
    <dsn>$dsn</dsn>
  </database>
</config>
CFG
cat >"$out/registry.ini" <<REG
[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB]
1=$dsn
REG
export HALVIK_REGISTRY_FILE=$out/registry.ini

echo "== Working folder $work: the script folders and ./liftaide"
mkdir -p "$work"
cp -R "$root/demo/scripts/." "$work/"
cp "$build/demo/liftaide/liftaide" "$work/liftaide"
export LIFTAIDE_LOG=$logs/liftaide.log

user_b64=$(b64 "$SCHEMALIFT_PG_USER")
password_b64=$(b64 "$SCHEMALIFT_PG_PASSWORD")

# Runs schemalift in the working folder: run LOG-NAME CONFIG-FOLDER ARGUMENTS...
# The printed command line shows the password as *****.
run() {
  local name=$1 config=$2
  shift 2
  local shown=() argument
  for argument in "$@"; do
    if [ "$argument" = "$password_b64" ]; then shown+=("*****"); else shown+=("$argument"); fi
  done
  echo "   \$ cd $work && HALVIK_CFG_DIR=$config schemalift ${shown[*]}"
  set +e
  (cd "$work" && HALVIK_CFG_DIR=$config "$schemalift" "$@") >"$logs/$name.log" 2>&1
  status=$?
  set -e
  echo "   exit status $status; log $logs/$name.log"
}
show() {  # show LOG-NAME PATTERN: the matching lines of a log, indented
  grep -E "$2" "$logs/$1.log" | sed -e 's/Update command :.*//' -e 's/^/     | /' || true
}
findings() {  # findings LOG-NAME: the finding lines of a validation log, indented
  awk '/^(ERROR|WARNING): |^\{/ { print; details = /^ERROR: (wrong-cluster-count|wrong-storagepod-count|duplicate-names|legacy-ft-vms)/; next }
       /^[0-9][0-9][0-9][0-9]-|^Validat|^Exiting/ { details = 0 }
       details { print }' "$logs/$1.log" | sed 's/^/     | /'
}

echo
echo "== 1. Validation from 550 (DSN from -d, kind from -t)"
run 01-validate-550 "$out/cfg-none" -t postgresql -d "$(b64 "$dsn")" -u "$user_b64" \
  -p "$password_b64" -y -b 550 -v "$warnings"
[ "$status" -eq 0 ] || fail "the validation ended with status $status"
findings 01-validate-550
[ -s "$warnings" ] || fail "the validation wrote no findings to $warnings"
echo "   warnings file $warnings:"
sed 's/^/     | /' "$warnings"
grep -q '^ERROR: wrong-cluster-count$' "$logs/01-validate-550.log" || fail "no cluster finding"
grep -q '^ERROR: invalid-dvs-version$' "$logs/01-validate-550.log" || fail "no switch finding"
grep -q '^WARNING: pylon-version -> 5.5.0' "$logs/01-validate-550.log" || fail "no host finding"

echo
echo "== 2. Upgrade from 550 through the three steps (DSN from twxd.cfg, kind from the driver)"
run 02-upgrade-550 "$out/cfg" -u "$user_b64" -p "$password_b64" -y -b 550
[ "$status" -eq 0 ] || fail "the upgrade ended with status $status"
show 02-upgrade-550 "^(Driver from DSN|Data Source Name|\\.\\\\liftaide |liftaide: |Exiting)"
echo "   $(grep -c '^scriptFile : ' "$logs/02-upgrade-550.log") script files run"
[ "$(grep -c '^Calling liftaide' "$logs/02-upgrade-550.log")" -eq 3 ] \
  || fail "liftaide was not launched at each of the three steps"
! grep -qE '^(Error while executing|ERROR)' "$logs/02-upgrade-550.log" \
  || fail "a script statement failed"
echo "   schema version now: $(query "SELECT version_value || ' (' || version_name || ')' FROM twx_version")," \
     "build $(query "SELECT coalesce(current_version, initial_version) FROM twx_patch_version")," \
     "$(query "SELECT count(*) FROM twx_job") jobs registered"
[ "$(query "SELECT version_value FROM twx_version")" = 700 ] || fail "the schema is not at 700"

echo
echo "== 3. Build-to-build upgrade (DSN from the settings file)"
run 03-build-to-build "$out/cfg-none" -t postgresql -u "$user_b64" -p "$password_b64" -y \
  -b 600 -s 5310
[ "$status" -eq 0 ] || fail "the build-to-build upgrade ended with status $status"
show 03-build-to-build "^(Patch version|Count of ORM|Ignoring|Found tag|Starting from|Last tag|liftaide: |Exiting)"
! grep -qE '^(Error while executing|ERROR)' "$logs/03-build-to-build.log" \
  || fail "a script statement failed"
[ "$(query "SELECT current_version FROM twx_patch_version")" = 5592 ] \
  || fail "the build-to-build upgrade did not record build 5592"
[ "$(query "SELECT count(*) FROM information_schema.tables WHERE table_schema = 'tw' AND table_name = 'twx_alarm_snooze'")" = 1 ] \
  || fail "the changes of build 5592 are missing"

echo
echo "== 4. The same build-to-build upgrade again: nothing new after the recorded build"
run 04-build-to-build-again "$out/cfg-none" -t postgresql -u "$user_b64" -p "$password_b64" -y \
  -b 600 -s 5592
[ "$status" -eq 0 ] || fail "the second build-to-build upgrade ended with status $status"
show 04-build-to-build-again "^(Patch version|Found tag|Starting from|Last tag|Exiting)"
! grep -q '^Last tag:' "$logs/04-build-to-build-again.log" \
  || fail "the second build-to-build upgrade found new tag sections"
! grep -qE '^(Error while executing|ERROR)' "$logs/04-build-to-build-again.log" \
  || fail "a script statement failed"

echo
echo "== liftaide's log ($LIFTAIDE_LOG)"
sed 's/^/     | /' "$LIFTAIDE_LOG"
[ "$(wc -l <"$LIFTAIDE_LOG")" -eq 7 ] || fail "liftaide was not launched 7 times"
for file in "$logs"/*.log "$warnings"; do
  if grep -qF -e "$SCHEMALIFT_PG_PASSWORD" -e "$password_b64" "$file"; then
    fail "$file shows the password"
  fi
done
echo "   (no log shows the password)"
