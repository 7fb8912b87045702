#!/usr/bin/env bash
# Sets up everything the tests need on a Debian machine and runs all of them twice: a normal
# build and one with AddressSanitizer and UndefinedBehaviorSanitizer. Any failure, or any
# sanitizer report, fails the run.
#
#   bash tests/run-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${SCHEMALIFT_JOBS:-2}

bash tests/testbed/install-deps.sh

build_tree() {  # folder, extra cmake arguments...
  local folder=$1
  shift
  cmake -S "$root" -B "$root/$folder" "$@" >/dev/null
  cmake --build "$root/$folder" -j "$jobs"
}

echo "== Building (normal)"
build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Building (address and undefined-behaviour sanitizers)"
build_tree build-asan -DCMAKE_BUILD_TYPE=Debug -DSCHEMALIFT_SANITIZE=ON

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:exitcode=86:suppressions=$root/tests/sanitizer/asan.supp"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=87"

run_suites() {
  echo "== Tests (normal build)"
  ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
  echo "== Tests (sanitizer build)"
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
}
export -f run_suites
export root jobs
tests/testbed/with-postgres.sh bash -c run_suites
