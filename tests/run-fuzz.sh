#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each one for a bounded time on a copy of its seed corpus. Any crash, leak, timeout,
# sanitizer report or broken invariant fails the run; the input that caused it is kept under
# build-fuzz/artifacts/<target>/. Prints the executions of every target at the end.
#
#   bash tests/run-fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
jobs=${SCHEMALIFT_JOBS:-2}
build=${SCHEMALIFT_FUZZ_BUILD:-$root/build-fuzz}

if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

bash tests/testbed/install-deps.sh

echo "== Building the fuzz targets (clang, address and undefined-behaviour sanitizers)"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  >/dev/null
cmake --build "$build" -j "$jobs"

# The corpora grow while the fuzzer runs: it works on copies, and the targets write their scratch
# files into a folder of this run, in memory when the machine has one.
work=$(mktemp -d "${TMPDIR:-/tmp}/schemalift-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
scratch_parent=/dev/shm
[ -d "$scratch_parent" ] && [ -w "$scratch_parent" ] || scratch_parent=$work
scratch=$(mktemp -d "$scratch_parent/schemalift-fuzz-scratch.XXXXXX")
trap 'rm -rf "$work" "$scratch"' EXIT

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A broken invariant shows as an abort whose stack trace names the line of the check: the
# sanitizers need the symbolizer of the clang in use, which is not always on PATH.
if ! command -v llvm-symbolizer >/dev/null; then
  symbolizer=$(ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | sort -V | tail -n 1 || true)
  [ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
fi

failed=()
summary=()
while read -r target; do
  [ -n "$target" ] || continue
  corpus="$work/corpus/$target"
  artifacts="$build/artifacts/$target"
  log="$work/$target.log"
  mkdir -p "$corpus" "$artifacts"
  cp -R "$root/fuzz/corpus/$target/." "$corpus/"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -close_fd_mask=3 -artifact_prefix="$artifacts/")
  [ -f "$root/fuzz/dict/$target.dict" ] && options+=(-dict="$root/fuzz/dict/$target.dict")

  echo "== Fuzzing $target for ${seconds}s"
  status=0
  # The outer limit only catches a fuzzer that does not stop by itself.
  TMPDIR="$scratch" timeout --kill-after=30 "$((seconds + 120))" \
    "$build/fuzz_$target" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  line=$(printf '%-18s %12s executions %8s exec/s' "$target" "${executions:-?}" "${rate:-?}")
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    line+="  FAILED (exit status $status)"
    echo "-- $target failed with exit status $status; the end of its log:"
    tail -n 60 "$log"
    cp "$log" "$artifacts/fuzz.log"
  fi
  echo "$line"
  summary+=("$line")
done <"$build/fuzz-targets.txt"

echo "== Fuzzing summary (${seconds}s per target)"
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]} (inputs and logs under $build/artifacts/)"
  exit 1
fi
echo "All fuzz targets ran clean."
