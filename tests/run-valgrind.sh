#!/usr/bin/env bash
# Runs a representative part of the end-to-end tests with the normal build's schemalift under
# Valgrind's memcheck: the demo (a validation with findings, a three-step upgrade with liftaide
# launches, two build-to-build upgrades) and a connection to a server that is not running. Any
# memory error, or any definite or indirect leak, fails the run; the only suppressions are those of
# tests/valgrind/unixodbc.supp. Run it inside the PostgreSQL test bed:
#
#   tests/testbed/with-postgres.sh bash tests/run-valgrind.sh <build folder>
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

[ $# -eq 1 ] || { echo "usage: $0 <build folder>" >&2; exit 2; }
build=$(cd "$1" && pwd)
tests="$build/tests/e2e/schemalift_e2e_tests"
[ -x "$tests" ] || { echo "run-valgrind: $tests is not built" >&2; exit 2; }
[ -n "${SCHEMALIFT_PG_PORT:-}" ] \
  || { echo "run-valgrind: no test bed: run through tests/testbed/with-postgres.sh" >&2; exit 2; }
valgrind=$(command -v valgrind) || { echo "run-valgrind: valgrind is not installed" >&2; exit 2; }

logs=$(mktemp -d /tmp/schemalift-valgrind-XXXXXX)
trap 'rm -rf "$logs"' EXIT

# The end-to-end fixture runs SCHEMALIFT_PROGRAM in the program's place: here a script that runs it
# under Valgrind. Valgrind writes to its own log files, so that the tests still compare the
# program's output line by line; its error exit status (99) fails a test as well.
cat >"$logs/schemalift" <<WRAPPER
#!/bin/sh
exec $valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \\
  --suppressions=$root/tests/valgrind/unixodbc.supp --num-callers=40 \\
  --log-file=$logs/memcheck.%p.log $build/src/schemalift "\$@"
WRAPPER
chmod +x "$logs/schemalift"
export SCHEMALIFT_PROGRAM="$logs/schemalift"

tests_to_run=(
  DemoTest.ValidatesUpgradesAndUpgradesBuildToBuild
  Rows/RunEndTest.EndsWithItsStatusAndLastLines/ServerDown
)
filter=$(IFS=:; echo "${tests_to_run[*]}")
listed=$("$tests" --gtest_filter="$filter" --gtest_list_tests | grep -c '^  ' || true)
if [ "$listed" -ne "${#tests_to_run[@]}" ]; then
  echo "run-valgrind: $listed of the ${#tests_to_run[@]} tests to run exist" >&2
  exit 1
fi

started=$(date +%s)
echo "== Valgrind memcheck: ${tests_to_run[*]}"
set +e
"$tests" --gtest_filter="$filter" --gtest_brief=1
tests_status=$?
set -e

# Every schemalift run leaves a log with an error summary. (A log without one comes from the child
# that a launch forks before it starts liftaide, which runs outside Valgrind.)
runs=0
failed=0
for log in "$logs"/memcheck.*.log; do
  [ -e "$log" ] || continue
  summary=$(grep -h "ERROR SUMMARY:" "$log" || true)
  [ -n "$summary" ] || continue
  runs=$((runs + 1))
  if ! grep -q "ERROR SUMMARY: 0 errors" "$log"; then
    failed=$((failed + 1))
    echo "---- $(basename "$log")"
    cat "$log"
  fi
done

echo "== Valgrind memcheck: $runs runs of schemalift, $failed with errors," \
     "tests exited with $tests_status, $(( $(date +%s) - started )) s"
if [ "$runs" -lt "${#tests_to_run[@]}" ]; then
  echo "run-valgrind: expected at least ${#tests_to_run[@]} runs under Valgrind" >&2
  exit 1
fi
[ "$failed" -eq 0 ] && [ "$tests_status" -eq 0 ]
