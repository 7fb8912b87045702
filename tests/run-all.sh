#!/usr/bin/env bash
# Sets up everything the tests need on a Debian machine and runs all of them: the unit and
# end-to-end tests in a normal build and in one with AddressSanitizer and UndefinedBehaviorSanitizer,
# a part of the end-to-end tests under Valgrind's memcheck, the Debian package test (as root), and
# every fuzz target for a bounded time. Any failure, or any sanitizer or memcheck report, fails
# the run.
#
#   bash tests/run-all.sh
#
# SCHEMALIFT_JOBS (default 2) sets the build's parallel jobs, SCHEMALIFT_FUZZ_SECONDS (default 30)
# the time of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${SCHEMALIFT_JOBS:-2}
fuzz_seconds=${SCHEMALIFT_FUZZ_SECONDS:-30}

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

run_suites() {
  set -euo pipefail  # a function run by "bash -c" does not inherit the options
  echo "== Tests (normal build)"
  ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
  echo "== Fidelity of real extension SQL, program against psql (normal build)"
  bash "$root/tests/fidelity/run-fidelity.sh" "$root/build/src/schemalift" || return 1
  echo "== Memcheck (normal build)"
  bash "$root/tests/run-valgrind.sh" "$root/build"
  echo "== Tests (sanitizer build)"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:exitcode=86:suppressions=$root/tests/sanitizer/asan.supp" \
  LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=87" \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
}
export -f run_suites
export root jobs
tests/testbed/with-postgres.sh bash -c run_suites
bash tests/windows/run-windows-tests.sh  # the Windows build, its tests under Wine

if [ "$(id -u)" -eq 0 ]; then
  echo "== Debian package"
  bash tests/install/test-deb.sh
else
  echo "== Debian package: skipped (installing a package needs root)"
fi

echo "== Fuzzing (${fuzz_seconds}s a target)"
bash tests/run-fuzz.sh "$fuzz_seconds"
