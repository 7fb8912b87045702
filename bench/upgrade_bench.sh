#!/usr/bin/env bash
# Benchmark of the upgrade run's block script runner on a throwaway local PostgreSQL.
#
#   bench/upgrade_bench.sh [BUILD_DIR] [REPEATS] [MEMORY_SIZES_MB]
#
# BUILD_DIR is a configured and built tree (targets schemalift and liftaide_demo; default:
# build). REPEATS (default 3) is the number of timed runs of each side of the rate comparison;
# the minimum and the median are reported. MEMORY_SIZES_MB (default "10 100 1024"; "" skips the
# measurement) are the sizes of the block scripts of the memory measurement.
#
# Statement rate: 20,000 small INSERT statements, once as the step's block script run by
# schemalift (an upgrade from 650, console output to /dev/null) and once as a file run by
# `psql -X -q -f`, both over TCP to the same server with the same role. The other scripts of the
# step are the test fixtures; a run with an empty block script measures what they and the
# connection cost, and the net rate leaves that out. A bare ODBC loop over the same statements
# (bench/odbc_loop_bench.cpp: allocate, SQLExecDirect, free, no output) tells the program's own
# cost from the driver's.
#
# Memory: peak resident memory (GNU time's %M) of schemalift running block scripts of the given
# sizes whose largest block is just under 1 MB.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
repeats=${2:-3}
sizes=${3-"10 100 1024"}
statements=20000

if [ -z "${SCHEMALIFT_PG_PORT:-}" ]; then
  exec "$root/tests/testbed/with-postgres.sh" "$0" "$build" "$repeats" "$sizes"
fi

work=$(mktemp -d /tmp/upgrade-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

g++ -std=c++20 -O2 -Wall -Wextra -Wpedantic "$root/bench/make_block_script.cpp" \
  -o "$work/make_block_script"
g++ -std=c++20 -O2 -Wall -Wextra -Wpedantic "$root/bench/odbc_loop_bench.cpp" -lodbc \
  -o "$work/odbc_loop_bench"

export PGPASSWORD=$SCHEMALIFT_PG_PASSWORD
admin=(psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_SOCKET_DIR" -p "$SCHEMALIFT_PG_PORT"
       -U "$SCHEMALIFT_PG_ADMIN" -d postgres)
app=(psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_HOST" -p "$SCHEMALIFT_PG_PORT"
     -U "$SCHEMALIFT_PG_USER" -d upgrade_bench)
"${admin[@]}" -c "CREATE DATABASE upgrade_bench OWNER $SCHEMALIFT_PG_USER"
"${app[@]}" -c "CREATE SCHEMA $SCHEMALIFT_PG_USER"
"${app[@]}" -f "$root/tests/fixtures/upgrade/postgresql/base_schema.sql"
"${app[@]}" -c "CREATE TABLE bench_rows (id integer, name varchar(64))"

cat >"$work/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Driver=$SCHEMALIFT_PSQLODBC_DRIVER
INI
cat >"$work/odbc.ini" <<INI
[upgrade bench]
Driver=PostgreSQL Unicode
Servername=$SCHEMALIFT_PG_HOST
Port=$SCHEMALIFT_PG_PORT
Database=upgrade_bench
INI
export ODBCSYSINI=$work ODBCINI=$work/user-odbc.ini

# The working folder: the fixture scripts, the demo's liftaide, and the step 650 upgrade script
# that each measurement replaces.
run_folder=$work/run
mkdir -p "$run_folder"
cp -r "$root/tests/fixtures/upgrade/postgresql/scripts/." "$run_folder/"
cp "$build/demo/liftaide/liftaide" "$run_folder/liftaide"
block_script=$run_folder/Upgrade-v2016-to-v2017/postgresql/upgrade_PostgreSQL.sql

b64() { printf '%s' "$1" | base64 -w 0; }
schemalift_args=(-t postgresql -d "$(b64 "upgrade bench")" -u "$(b64 "$SCHEMALIFT_PG_USER")"
                 -p "$(b64 "$SCHEMALIFT_PG_PASSWORD")" -y -b 650)
run_schemalift() {  # runs schemalift in the working folder; output to /dev/null
  (cd "$run_folder" && "$build/src/schemalift" "${schemalift_args[@]}" >/dev/null)
}

# The fixture upgrade brings the database to the 2017 schema that the other scripts need.
(cd "$run_folder" && "$build/src/schemalift" "${schemalift_args[@]}" >"$work/first.log" 2>&1) ||
  { cat "$work/first.log"; exit 1; }

seconds() {  # runs the command and prints its wall time
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
summary() {  # name, times...
  local name=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v name="$name" '
    { t[NR] = $1 }
    END { printf "%-28s min %.3f s  median %.3f s  (%d runs)\n", name, t[1], t[int((NR + 1) / 2)], NR }'
}
minimum() { printf '%s\n' "$@" | sort -g | head -n 1; }
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }

# ---------------------------------------------------------------- statement rate
"$work/make_block_script" rate "$statements" "$work/rate_block.sql" "$work/rate_psql.sql"
: >"$block_script"
baseline_times=()
schemalift_times=()
psql_times=()
odbc_times=()
for _ in $(seq "$repeats"); do
  : >"$block_script"
  baseline_times+=("$(seconds run_schemalift)")
  cp "$work/rate_block.sql" "$block_script"
  "${app[@]}" -c "TRUNCATE bench_rows"
  schemalift_times+=("$(seconds run_schemalift)")
  [ "$("${app[@]}" -A -t -c "SELECT count(*) FROM bench_rows")" = "$statements" ]
  "${app[@]}" -c "TRUNCATE bench_rows"
  psql_times+=("$(seconds "${app[@]}" -f "$work/rate_psql.sql")")
  [ "$("${app[@]}" -A -t -c "SELECT count(*) FROM bench_rows")" = "$statements" ]
  "${app[@]}" -c "TRUNCATE bench_rows"
  odbc_times+=("$(seconds "$work/odbc_loop_bench" "upgrade bench" "$SCHEMALIFT_PG_USER" \
    "$SCHEMALIFT_PG_PASSWORD" "$work/rate_psql.sql")")
  [ "$("${app[@]}" -A -t -c "SELECT count(*) FROM bench_rows")" = "$statements" ]
done
summary "schemalift, empty script" "${baseline_times[@]}"
summary "schemalift, $statements statements" "${schemalift_times[@]}"
summary "psql -X -q -f" "${psql_times[@]}"
summary "bare ODBC loop" "${odbc_times[@]}"
for stat in minimum median; do
  base=$($stat "${baseline_times[@]}")
  lift=$($stat "${schemalift_times[@]}")
  psql_time=$($stat "${psql_times[@]}")
  gross=$(echo "$statements / $lift" | bc -l)
  net=$(echo "$statements / ($lift - $base)" | bc -l)
  psql_rate=$(echo "$statements / $psql_time" | bc -l)
  odbc_rate=$(echo "$statements / $($stat "${odbc_times[@]}")" | bc -l)
  printf '%s: schemalift %.0f statements/s (net of the empty run %.0f), psql %.0f, bare ODBC loop %.0f\n' \
    "$stat" "$gross" "$net" "$psql_rate" "$odbc_rate"
  printf '%s: ratio schemalift/psql %.2f (net %.2f; goal at least 0.9), schemalift/bare ODBC %.2f, bare ODBC/psql %.2f\n' \
    "$stat" "$(echo "$gross / $psql_rate" | bc -l)" "$(echo "$net / $psql_rate" | bc -l)" \
    "$(echo "$gross / $odbc_rate" | bc -l)" "$(echo "$odbc_rate / $psql_rate" | bc -l)"
done

# ---------------------------------------------------------------- memory
for size in $sizes; do
  "$work/make_block_script" memory "$size" "$block_script"
  bytes=$(stat -c %s "$block_script")
  start=$(date +%s.%N)
  (cd "$run_folder" &&
    /usr/bin/time -f "%M" -o "$work/rss.txt" "$build/src/schemalift" "${schemalift_args[@]}" \
      >/dev/null 2>"$work/memory.err") || { cat "$work/memory.err"; exit 1; }
  end=$(date +%s.%N)
  [ ! -s "$work/memory.err" ] || { cat "$work/memory.err"; exit 1; }
  printf 'memory: block script of %d bytes (%s MB): peak resident %d KB, %.1f s\n' \
    "$bytes" "$size" "$(cat "$work/rss.txt")" "$(echo "$end - $start" | bc -l)"
done
: >"$block_script"
