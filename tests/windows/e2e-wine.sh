#!/usr/bin/env bash
# End-to-end runs of the Windows program under Wine against the throwaway PostgreSQL server:
#
#   tests/testbed/with-postgres.sh bash tests/windows/e2e-wine.sh BUILD-WIN-FOLDER
#
# Wine's odbc32.dll hands the calls to the host's unixODBC, so the program reaches the server
# through the data sources of ODBCSYSINI. The registry values that the program reads are seeded
# with "reg add" (Wine does not list the host's data sources under "ODBC Data Sources"). Each run
# compares whole output lines (their CR LF ends checked, then dropped) and the exit status, which
# is the Windows exit code's low byte. Prints "N passed, N failed" and fails when a run failed.
set -euo pipefail
: "${SCHEMALIFT_PG_PORT:?run through tests/testbed/with-postgres.sh}"
: "${WINEPREFIX:?set WINEPREFIX (tests/windows/run-windows-tests.sh does)}"

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "$1" && pwd)
wine_run=$root/tests/windows/wine-run.sh
schemalift=$build/src/schemalift.exe
out=$(mktemp -d /tmp/schemalift-wine-e2e-XXXXXX)
trap 'rm -rf "$out"' EXIT
passed=0
failed=0

b64() { printf '%s' "$1" | base64 -w 0; }
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
user_b64=$(b64 "$SCHEMALIFT_PG_USER")
password_b64=$(b64 "$SCHEMALIFT_PG_PASSWORD")
login=(-u "$user_b64" -p "$password_b64" -y)

as_admin() {
  psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_SOCKET_DIR" -p "$SCHEMALIFT_PG_PORT" \
    -U "$SCHEMALIFT_PG_ADMIN" -d postgres "$@"
}
query() {  # query DATABASE SQL
  PGPASSWORD=$SCHEMALIFT_PG_PASSWORD psql -X -q -A -t -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_HOST" \
    -p "$SCHEMALIFT_PG_PORT" -U "$SCHEMALIFT_PG_USER" -d "$1" -c "$2"
}
load_twdb() {  # load_twdb DATABASE: the demo's sample TWDB at schema version 550
  as_admin -c "CREATE DATABASE $1 OWNER $SCHEMALIFT_PG_USER" >/dev/null
  PGPASSWORD=$SCHEMALIFT_PG_PASSWORD psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_HOST" \
    -p "$SCHEMALIFT_PG_PORT" -U "$SCHEMALIFT_PG_USER" -d "$1" \
    -f "$root/demo/twdb/twdb_550_PostgreSQL.sql" >"$out/load-$1.log" 2>&1
}
reg() { "$wine_run" reg "$@" >/dev/null 2>&1; }
product_key='HKLM\SOFTWARE\Halvik, Inc.\Halvik Tarnwell\DB'
sources_key='HKLM\SOFTWARE\ODBC\ODBC.INI\ODBC Data Sources'
config_default="$WINEPREFIX/drive_c/ProgramData/Halvik/Halvik Tarnwell/twxd.cfg"
set_product_dsn() { reg add "$product_key" /v 1 /t REG_SZ /d "$1" /f; }
list_source() { reg add "$sources_key" /v "$1" /t REG_SZ /d "$2" /f; }

# A working folder with the demo's script set and the given liftaide: work NAME LIFTAIDE
work() {
  mkdir -p "$out/$1"
  cp -R "$root/demo/scripts/." "$out/$1/"
  cp "$2" "$out/$1/"
}

# Runs the program in a working folder: run NAME FOLDER ARGUMENTS...; sets $status, and leaves
# the output in $out/NAME.out and $out/NAME.err, and their lines without CR in .out.lines and
# .err.lines.
run() {
  local name=$1 folder=$2
  shift 2
  set +e
  (cd "$folder" && "$wine_run" "$schemalift" "$@") >"$out/$name.out" 2>"$out/$name.err"
  status=$?
  set -e
  strip_cr "$name"
}
strip_cr() {
  tr -d '\r' <"$out/$1.out" >"$out/$1.out.lines"
  tr -d '\r' <"$out/$1.err" >"$out/$1.err.lines"
}

# The lines of FILE that match the extended regular expression, as they are.
pick() { grep -E -- "$2" "$1" || true; }

failures=()
check() {  # check NAME WHAT ACTUAL EXPECTED
  if [ "$3" != "$4" ]; then
    failures+=("$1: $2")
    printf '%s: %s differs\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$4" "$3" >&2
  fi
}
# Every line of the file ends with CR LF.
check_crlf() {  # check_crlf NAME FILE
  local lines crlf
  lines=$(wc -l <"$2")
  crlf=$(grep -c $'\r$' "$2" || true)
  check "$1" "CR LF line ends of $(basename "$2")" "$crlf of $lines" "$lines of $lines"
}
verdict() {  # verdict NAME: counts the run as passed or failed
  if [ "${#failures[@]}" -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1"
  fi
  failures=()
}

echo "== Setting up: databases, ODBC data sources in $out/odbc, working folders"
load_twdb twdb_exe
load_twdb twdb_bat
load_twdb twdb_int
mkdir -p "$out/odbc"
cat >"$out/odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Driver=$SCHEMALIFT_PSQLODBC_DRIVER
INI
for source in "TWDB exe:twdb_exe" "TWDB bat:twdb_bat" "TWDB int:twdb_int"; do
  cat >>"$out/odbc/odbc.ini" <<INI
[${source%%:*}]
Driver=PostgreSQL Unicode
Servername=$SCHEMALIFT_PG_HOST
Port=$SCHEMALIFT_PG_PORT
Database=${source#*:}

INI
done
: >"$out/odbc/user-odbc.ini"
export ODBCSYSINI=$out/odbc ODBCINI=$out/odbc/user-odbc.ini
export LIFTAIDE_LOG=$out/liftaide.log
unset HALVIK_CFG_DIR
list_source "TWDB exe" "PostgreSQL Unicode"
list_source "TWDB bat" "PostgreSQL Unicode"
list_source "TWDB Grüße" "PostgreSQL Unicode"

work exe "$build/demo/liftaide/liftaide.exe"
# Non-ASCII statement text, added to the first script of step 550.
text='Grüße – 東京 ✓'
printf 'CREATE TABLE TWX_WIN_TEXT (T VARCHAR(64))\n/\nINSERT INTO TWX_WIN_TEXT VALUES (%s)\n/\n' \
  "'$text'" >>"$out/exe/Upgrade-v2013-to-v2015/postgresql/upgrade_PostgreSQL.sql"
mkdir -p "$out/exe/out" "$out/cfg/halvik-twx"
printf '<config>\r\n  <database>\r\n    <dsn>TWDB exe</dsn>\r\n  </database>\r\n</config>\r\n' \
  >"$out/cfg/halvik-twx/twxd.cfg"

echo "== Validation from 550: DSN from twxd.cfg under HALVIK_CFG_DIR, warnings file with CR LF"
name=validation
HALVIK_CFG_DIR=$(windows_path "$out/cfg") \
  run $name "$out/exe" -t postgresql "${login[@]}" -b 550 -v 'out\warnings-550.txt'
check $name status "$status" 0
check_crlf $name "$out/$name.out"
check $name settings "$(pick "$out/$name.out.lines" "^Data Source Name")" \
  "Data Source Name: 'TWDB exe'"
check $name "last line" "$(tail -n 1 "$out/$name.out.lines")" "Exiting. Status=0"
check_crlf $name "$out/exe/out/warnings-550.txt"
check $name "warnings file" "$(tr -d '\r' <"$out/exe/out/warnings-550.txt")" \
  "orphan-entity: old-wiki-01 (id 2007, type 0) has parent 9, which does not exist
counter-without-rollup: power.consumed (id 5) will not be kept in the daily statistics
counter-without-rollup: power.limit (id 6) will not be kept in the daily statistics"
verdict $name

echo "== Upgrade from 550 with liftaide.exe: DSN and driver from the registry, non-ASCII text"
name=upgrade-exe
set_product_dsn "TWDB exe"
run $name "$out/exe" "${login[@]}" -b 550
check $name status "$status" 0
check $name settings "$(pick "$out/$name.out.lines" "^(Driver from DSN|DB type|Data Source Name)")" \
  "Driver from DSN: 'postgresql unicode'
DB type: 'PostgreSQL'
Data Source Name: 'TWDB exe'"
dsn_b64=$(b64 "TWDB exe")
check $name "liftaide lines" "$(pick "$out/$name.out.lines" '^\.\\liftaide ')" \
  ".\\liftaide 550 \"$dsn_b64\" \"$user_b64\" \"*****\"
.\\liftaide 600 \"$dsn_b64\" \"$user_b64\" \"*****\"
.\\liftaide 650 \"$dsn_b64\" \"$user_b64\" \"*****\""
check $name "statement line" "$(pick "$out/$name.out.lines" "^INSERT INTO TWX_WIN_TEXT")" \
  "INSERT INTO TWX_WIN_TEXT VALUES ('$text')"
check $name "stored text" "$(query twdb_exe "SELECT t FROM twx_win_text")" "$text"
check $name "schema version" "$(query twdb_exe "SELECT version_value FROM twx_version")" 700
check $name "liftaide log" "$(tr -d '\r' <"$LIFTAIDE_LOG" | cut -d' ' -f3-)" \
  "step 550: DSN 'TWDB exe', user 'tw', password given (not logged)
step 600: DSN 'TWDB exe', user 'tw', password given (not logged)
step 650: DSN 'TWDB exe', user 'tw', password given (not logged)"
check $name "stderr" "$(cat "$out/$name.err.lines")" ""
check $name "last line" "$(tail -n 1 "$out/$name.out.lines")" "Exiting. Status=0"
verdict $name

echo "== Upgrade from 550 with liftaide.bat through cmd.exe, whose status 7 at step 650 ends it"
name=upgrade-bat
mkdir -p "$out/bat-liftaide"
printf '@echo %%*>> liftaide-bat.log\r\n@if "%%1"=="650" exit /b 7\r\n@exit /b 0\r\n' \
  >"$out/bat-liftaide/liftaide.bat"
work bat "$out/bat-liftaide/liftaide.bat"
run $name "$out/bat" -d "$(b64 "TWDB bat")" -t postgresql "${login[@]}" -b 550
check $name status "$status" 1
dsn_b64=$(b64 "TWDB bat")
check $name "liftaide arguments" "$(tr -d '\r' <"$out/bat/liftaide-bat.log")" \
  "550 \"$dsn_b64\" \"$user_b64\" \"$password_b64\"
600 \"$dsn_b64\" \"$user_b64\" \"$password_b64\"
650 \"$dsn_b64\" \"$user_b64\" \"$password_b64\""
check $name stderr "$(cat "$out/$name.err.lines")" "ERROR: liftaide failed: 7"
check $name "last line" "$(tail -n 1 "$out/$name.out.lines")" "Exiting. Status=1"
verdict $name

echo "== Settings: twxd.cfg at its default place, under c:\\ProgramData"
name=config-default
mkdir -p "$(dirname "$config_default")"
cp "$out/cfg/halvik-twx/twxd.cfg" "$config_default"
set_product_dsn "TWDB nowhere"
run $name "$out/exe" -t postgresql "${login[@]}" -b 659
rm "$config_default"
check $name status "$status" 0
check $name settings "$(pick "$out/$name.out.lines" "^(Data Source Name|Connected)")" \
  "Data Source Name: 'TWDB exe'
Connected to database. DSN='TWDB exe' user='tw'"
verdict $name

echo "== Settings: non-ASCII DSN from the registry (UTF-8 code page), then no such ODBC DSN"
name=registry-utf8
set_product_dsn "TWDB Grüße"
run $name "$out/exe" "${login[@]}" -b 659
check $name status "$status" 1
check $name settings "$(pick "$out/$name.out.lines" "^(Driver from DSN|Data Source Name)")" \
  "Driver from DSN: 'postgresql unicode'
Data Source Name: 'TWDB Grüße'"
check $name stderr "$(cat "$out/$name.err.lines")" \
  "Cannot connect to database. DSN='TWDB Grüße' user='tw'
1 [IM002](0) [unixODBC][Driver Manager]Data source name not found and no default driver specified"
verdict $name

echo "== Settings: data source not listed under ODBC Data Sources"
name=registry-unlisted
run $name "$out/exe" -d "$(b64 "TWDB nowhere")" "${login[@]}" -b 550
check $name status "$status" 1
check $name stderr "$(cat "$out/$name.err.lines")" \
  "ERROR: An application exception occured: Error occured while reading settings for data source TWDB nowhere from registry. The data was expected in key:SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources, registry value name:TWDB nowhere"
verdict $name

echo "== Settings: no product key"
name=registry-no-key
reg delete "$product_key" /f
run $name "$out/exe" "${login[@]}" -b 550
check $name status "$status" 1
check $name output "$(cat "$out/$name.out.lines")" \
  "Parsing command line arguments...
Command line arguments parsed."
check $name stderr "$(cat "$out/$name.err.lines")" \
  "ERROR: An application exception occured: Error occured while reading settings from registry key SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB"
verdict $name

echo "== Failed connection: wrong password"
name=connection-failed
run $name "$out/exe" -d "$(b64 "TWDB exe")" -t postgresql -u "$user_b64" -p "$(b64 wrong)" -y \
  -b 550
check $name status "$status" 1
check $name stderr "$(head -n 2 "$out/$name.err.lines")" \
  "Cannot connect to database. DSN='TWDB exe' user='tw'
1 [08001](101) [unixODBC]connection to server at \"$SCHEMALIFT_PG_HOST\", port $SCHEMALIFT_PG_PORT failed: FATAL:  password authentication failed for user \"tw\""
verdict $name

# Wine turns SIGINT to the program's process into a console Ctrl+C event.
# Starts the program in the background: start NAME FOLDER ARGUMENTS...; sets $pid.
start() {
  local name=$1 folder=$2
  shift 2
  (cd "$folder" && exec "$wine_run" "$schemalift" "$@") >"$out/$name.out" 2>"$out/$name.err" &
  pid=$!
}
wait_for() {  # wait_for FILE TEXT: up to 30 s
  for _ in $(seq 300); do
    grep -qF -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
finish() {  # finish NAME: waits for the program, sets $status
  set +e
  wait "$pid"
  status=$?
  set -e
  strip_cr "$1"
}

echo "== Ctrl+C while a statement runs: cancelled, the run stops at the boundary"
name=interrupt
work sleep "$build/demo/liftaide/liftaide.exe"
script=$out/sleep/Upgrade-v2013-to-v2015/postgresql/upgrade_PostgreSQL.sql
{ printf 'SELECT pg_sleep(60)\n/\n'; cat "$script"; } >"$script.new" && mv "$script.new" "$script"
started=$SECONDS
start $name "$out/sleep" -d "$(b64 "TWDB int")" -t postgresql "${login[@]}" -b 550
wait_for "$out/$name.out" "SELECT pg_sleep(60)" && sleep 1
kill -INT "$pid"
finish $name
check $name status "$status" 1
check $name "time" "$((SECONDS - started < 30))" 1
check $name "cancel" "$(pick "$out/$name.err.lines" "^1 \[57014\]")" \
  "1 [57014](1) ERROR: canceling statement due to user request;
1 [57014](1) ERROR: canceling statement due to user request;"
check $name "last error line" "$(tail -n 1 "$out/$name.err.lines")" \
  "ERROR: The run was interrupted by Ctrl+C."
check $name "last line" "$(tail -n 1 "$out/$name.out.lines")" "Exiting. Status=1"
verdict $name

echo "== A second Ctrl+C while liftaide runs: the process ends at once"
name=interrupt-twice
mkdir -p "$out/slow-liftaide"
printf '@echo %%*> liftaide-started.txt\r\n@ping -n 4 127.0.0.1 > nul\r\n@exit /b 0\r\n' \
  >"$out/slow-liftaide/liftaide.bat"
work slow "$out/slow-liftaide/liftaide.bat"
start $name "$out/slow" -d "$(b64 "TWDB int")" -t postgresql "${login[@]}" -b 550
wait_for "$out/slow/liftaide-started.txt" "550" && sleep 0.5
kill -INT "$pid"
sleep 0.5
kill -INT "$pid"
finish $name
# 0xC000013A, the status of a process ended by Ctrl+C; Wine's exit status is its low byte.
check $name status "$status" 58
check $name "last error line" "$(tail -n 1 "$out/$name.err.lines")" \
  "ERROR: The run was abandoned by a second Ctrl+C. Nothing was restored."
check $name "last line" "$(tail -n 1 "$out/$name.out.lines")" \
  ".\\liftaide 550 \"$(b64 "TWDB int")\" \"$user_b64\" \"*****\""
verdict $name
sleep 3  # liftaide.bat, which got no Ctrl+C here, ends by itself

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
