#!/usr/bin/env bash
# Builds the Windows x64 program with the mingw-w64 cross compiler and runs its tests under Wine,
# on a Debian machine: installs what is missing, builds build-win, makes the ZIP package and
# checks what it holds, runs the unit and seam tests through ctest, and the end-to-end runs
# against a throwaway PostgreSQL server (e2e-wine.sh). Wine runs in a prefix made in a temporary
# folder, removed at the end, with one wineserver kept running meanwhile.
#
#   bash tests/windows/run-windows-tests.sh
#
# SCHEMALIFT_JOBS (default 2) sets the parallel jobs, SCHEMALIFT_WIN_BUILD (default build-win)
# the build folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
jobs=${SCHEMALIFT_JOBS:-2}
build=$root/${SCHEMALIFT_WIN_BUILD:-build-win}
started=$SECONDS

bash tests/windows/install-deps.sh

echo "== Building for Windows (mingw-w64) in $build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

echo "== ZIP package"
(cd "$build" && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^project(schemalift VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
package=$build/schemalift-$version-win64.zip
listing=$(cd "$build" && cmake -E tar tf "$package" | sort)
expected=$(printf '%s\n' README.txt schemalift.exe schemalift.txt)
if [ "$listing" != "$expected" ]; then
  printf 'The package holds:\n%s\nbut should hold:\n%s\n' "$listing" "$expected" >&2
  exit 1
fi
echo "$package: README.txt schemalift.exe schemalift.txt"

WINEPREFIX=$(mktemp -d /tmp/schemalift-wine-XXXXXX)
export WINEPREFIX
stop_wine() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap stop_wine EXIT
echo "== Wine prefix $WINEPREFIX"
tests/windows/wine-run.sh cmd /c exit 0
# One wineserver for all the runs: without it each program start waits for a new one. Wine's own
# processes (services.exe and the like) live as long as it and keep the standard output and error
# of the program that started them: started here, they keep none of a test's, whose end ctest
# waits for.
wineserver -w
wineserver -p 300
tests/windows/wine-run.sh cmd /c exit 0 </dev/null >/dev/null 2>&1

echo "== Unit and seam tests under Wine"
ctest --test-dir "$build" --output-on-failure -j "$jobs"

echo "== End-to-end runs under Wine"
tests/testbed/with-postgres.sh bash tests/windows/e2e-wine.sh "$build"

echo "== Windows build and tests took $((SECONDS - started)) s"
