#!/usr/bin/env bash
# Builds the Debian package with CPack in a temporary folder, installs it with apt-get, checks the
# installed files and that the installed program prints its usage text, and removes the package
# again on every way out. Needs root (or sudo) and changes the machine's installed packages for
# the length of the test.
#
#   bash tests/install/test-deb.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=${SCHEMALIFT_JOBS:-2}
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: runs the command, counts and reports the result
  local description=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok:     $description"
  else
    failed=$((failed + 1))
    echo "FAILED: $description"
  fi
}

if dpkg-query -W -f='${Status}' schemalift 2>/dev/null | grep -q "install ok installed"; then
  echo "test-deb: the package schemalift is installed already; remove it first" >&2
  exit 2
fi

bash "$root/tests/testbed/install-deps.sh"
# dpkg-shlibdeps (from dpkg-dev) adds the C and C++ runtime libraries to the dependencies.
if ! command -v dpkg-shlibdeps >/dev/null; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    dpkg-dev
fi

folder=$(mktemp -d /tmp/schemalift-deb-XXXXXX)
installed=0
cleanup() {
  local status=$?
  if [ "$installed" -eq 1 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y -qq schemalift >/dev/null \
      || status=1
  fi
  rm -rf "$folder"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== Building the package in $folder"
cmake -S "$root" -B "$folder/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCHEMALIFT_BUILD_TESTS=OFF \
  >"$folder/configure.log"
cmake --build "$folder/build" -j "$jobs" >"$folder/build.log"
(cd "$folder/build" && cpack -G DEB -B "$folder/package" >"$folder/cpack.log")
debs=("$folder"/package/*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  cat "$folder/cpack.log"
  exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
check "depends on libodbc2" grep -qE '(^|, )libodbc2( |,|$)' <<<"$depends"
check "depends on libodbcinst2" grep -qE '(^|, )libodbcinst2( |,|$)' <<<"$depends"
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/schemalift ./usr/libexec/schemalift/liftaide \
            ./usr/share/man/man1/schemalift.1.gz ./usr/share/doc/schemalift/README.md \
            ./usr/share/doc/schemalift/ARCHITECTURE.md \
            ./usr/share/doc/schemalift/examples/twdb/twdb_550_PostgreSQL.sql \
            ./usr/share/doc/schemalift/examples/scripts/Upgrade-v2016-to-v2017/postgresql/b2b_PostgreSQL.sql; do
  check "package holds $path" grep -qxF "$path" <<<"$contents"
done
check "liftaide is not on PATH" bash -c "! grep -qE '^\./usr/(local/)?s?bin/liftaide$' <<<\"\$1\"" _ \
  "$contents"

echo "== Installing it with apt-get"
installed=1
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >"$folder/install.log"
check "schemalift is on PATH as /usr/bin/schemalift" \
  test "$(command -v schemalift)" = /usr/bin/schemalift

expected_usage=$(cat <<'USAGE'
Parsing command line arguments...
Usage: schemalift [-p <password>] [-t <DB type>] [-u <user name>] [-d <dsn>] [-y] [-v <warnings output file>]
Usage (build to build mode): schemalift [-p <password>] [-t <DB type>] [-u <user name>] [-d <dsn>] [-y] [-s <build tag>]
  Optional parameters:
   -b: TWDB version. Mandatory option, no default value.
   -p: DB password. Default: empty string.
   -t: DB type: mssql|oracle|postgresql
   -u: DB user name. Default: tw
   -d: Data Source Name. Default 'Halvik Tarnwell'
   -y: Enable non-interactive mode.
   -v: Validate TWDB.
   -e: External TWDB - force DB server version validation.
   -s: Build to build upgrade mode - build tag is the source build number (name). Option -v is ignored in this mode.

Note: <password>, <user name> and <dsn> must be base64-encoded
USAGE
)
set +e
schemalift -x >"$folder/usage.out" 2>"$folder/usage.err" </dev/null
usage_status=$?
set -e
check "schemalift -x exits with status 1" test "$usage_status" -eq 1
check "schemalift -x prints the usage text" test "$(cat "$folder/usage.out")" = "$expected_usage"
check "schemalift -x reports the invalid parameter" test "$(cat "$folder/usage.err")" = \
  "$(printf "%s\n%s" "schemalift: unrecognized option 'x'" "ERROR: Invalid parameter.")"

set +e
LIFTAIDE_LOG=$folder/liftaide.log /usr/libexec/schemalift/liftaide 650 "$(printf %s TWDB | base64)" \
  >"$folder/liftaide.out" 2>&1
liftaide_status=$?
set -e
check "the installed liftaide accepts a launch" test "$liftaide_status" -eq 0
check "the installed liftaide logs it" grep -q "step 650: DSN 'TWDB'" "$folder/liftaide.log"
check "man finds the manual page" test "$(man -w schemalift)" = /usr/share/man/man1/schemalift.1.gz
check "the manual page renders" bash -c "MANWIDTH=80 man schemalift 2>/dev/null | grep -q '^EXIT STATUS'"

echo "== Removing it"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y -qq schemalift >/dev/null
installed=0
check "schemalift is gone after apt-get remove" test ! -e /usr/bin/schemalift
check "liftaide is gone after apt-get remove" test ! -e /usr/libexec/schemalift/liftaide

echo "deb package test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
