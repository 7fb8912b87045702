#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, skipping what is there already;
# with arguments, those packages instead.
set -euo pipefail

packages=("$@")
[ "$#" -gt 0 ] || packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev unixodbc-dev unixodbc
          odbc-postgresql postgresql postgresql-client valgrind clang libclang-rt-14-dev
          dpkg-dev man-db python3)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
