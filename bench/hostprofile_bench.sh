#!/usr/bin/env bash
# Benchmark of the host-profile version check: 10,000 host profiles of about 10 KB each on a
# throwaway local PostgreSQL, the check's time against psql fetching the same query to /dev/null.
#
#   bench/hostprofile_bench.sh [BUILD_DIR] [REPEATS]
#
# BUILD_DIR is a configured and built tree of the project (default: build); the benchmark program
# is compiled against its libschemalift_core.a. Each side runs REPEATS times (default 5); the
# minimum and the median are reported.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
repeats=${2:-5}

if [ -z "${SCHEMALIFT_PG_PORT:-}" ]; then
  exec "$root/tests/testbed/with-postgres.sh" "$0" "$build" "$repeats"
fi

work=$(mktemp -d /tmp/hostprofile-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

g++ -std=c++20 -O2 -Wall -Wextra -Wpedantic -I "$root/src" "$root/bench/hostprofile_bench.cpp" \
  "$build/src/libschemalift_core.a" -lodbc -lodbcinst -o "$work/hostprofile_bench"

export PGPASSWORD=$SCHEMALIFT_PG_PASSWORD
admin=(psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_SOCKET_DIR" -p "$SCHEMALIFT_PG_PORT"
       -U "$SCHEMALIFT_PG_ADMIN" -d postgres)
app=(psql -X -q -v ON_ERROR_STOP=1 -h "$SCHEMALIFT_PG_HOST" -p "$SCHEMALIFT_PG_PORT"
     -U "$SCHEMALIFT_PG_USER" -d hostprofile_bench)
"${admin[@]}" -c "CREATE DATABASE hostprofile_bench OWNER $SCHEMALIFT_PG_USER"
# 10,000 profiles of 313 md5 texts (10,016 characters, not compressible to nothing) and the
# version tag near the end, so that the tag search reads the whole text. One profile in a hundred
# is below the minimum, so that the findings are written too.
"${app[@]}" <<'SQL'
CREATE TABLE TWX_PROFILE (PROFILE_NAME varchar(2000), CONFIG_INFO text, TYPE_CODE integer);
INSERT INTO TWX_PROFILE
SELECT 'profile-' || g,
       '<profile>' || (SELECT string_agg(md5(g::text || '-' || i::text), '')
                         FROM generate_series(1, 313) i) ||
       '<profileVersion>' || CASE WHEN g % 100 = 0 THEN '5.5.0' ELSE '6.5.0' END ||
       '</profileVersion></profile>',
       0
  FROM generate_series(1, 10000) g;
ANALYZE TWX_PROFILE;
SQL
"${app[@]}" -A -t -c "SELECT count(*), round(avg(length(CONFIG_INFO))) FROM TWX_PROFILE" |
  sed 's/^/rows|average length: /'

cat >"$work/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Driver=$SCHEMALIFT_PSQLODBC_DRIVER
INI
cat >"$work/odbc.ini" <<INI
[hostprofile bench]
Driver=PostgreSQL Unicode
Servername=$SCHEMALIFT_PG_HOST
Port=$SCHEMALIFT_PG_PORT
Database=hostprofile_bench
INI
export ODBCSYSINI=$work ODBCINI=$work/user-odbc.ini

query="SELECT PROFILE_NAME, CONFIG_INFO FROM TWX_PROFILE WHERE TYPE_CODE = 0"
psql_seconds() {  # extra psql options...
  local start end
  start=$(date +%s.%N)
  psql -X "$@" -h "$SCHEMALIFT_PG_HOST" -p "$SCHEMALIFT_PG_PORT" -U "$SCHEMALIFT_PG_USER" \
    -d hostprofile_bench -c "$query" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
# psql as asked (aligned output), and unaligned, which spares it the column-width pass and is the
# tighter comparison.
psql_times=()
psql_unaligned_times=()
for _ in $(seq "$repeats"); do
  psql_times+=("$(psql_seconds)")
  psql_unaligned_times+=("$(psql_seconds -A -t)")
done
mapfile -t check_times < <("$work/hostprofile_bench" "hostprofile bench" "$SCHEMALIFT_PG_USER" \
  "$SCHEMALIFT_PG_PASSWORD" "$repeats" --with-clearing-reference | tee "$work/check.log" |
  awk '$1 == "check" {print $2}')
sed 's/^/bench: /' "$work/check.log"

summary() {  # name, times...
  local name=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v name="$name" '
    { t[NR] = $1 }
    END { printf "%-10s min %.3f s  median %.3f s  (%d runs)\n", name, t[1], t[int((NR + 1) / 2)], NR }'
}
summary psql "${psql_times[@]}"
summary "psql -A -t" "${psql_unaligned_times[@]}"
summary check "${check_times[@]}"
psql_min=$(printf '%s\n' "${psql_times[@]}" | sort -g | head -n 1)
check_min=$(printf '%s\n' "${check_times[@]}" | sort -g | head -n 1)
psql_median=$(printf '%s\n' "${psql_times[@]}" | sort -g | sed -n "$(((repeats + 1) / 2))p")
check_median=$(printf '%s\n' "${check_times[@]}" | sort -g | sed -n "$(((repeats + 1) / 2))p")
unaligned_min=$(printf '%s\n' "${psql_unaligned_times[@]}" | sort -g | head -n 1)
echo "ratio check/psql: min $(echo "scale=2; $check_min / $psql_min" | bc -l)," \
  "median $(echo "scale=2; $check_median / $psql_median" | bc -l) (goal: at most 1.5)"
echo "ratio check/psql -A -t: min $(echo "scale=2; $check_min / $unaligned_min" | bc -l)"
