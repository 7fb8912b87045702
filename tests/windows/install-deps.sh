#!/usr/bin/env bash
# Installs what the Windows build and its tests under Wine need on a Debian machine, skipping what
# is there already: the mingw-w64 cross compiler with the POSIX thread model (std::thread and
# std::mutex), the 64-bit Wine, and the GoogleTest sources for the cross-built tests.
set -euo pipefail
exec bash "$(dirname "$0")/../testbed/install-deps.sh" g++-mingw-w64-x86-64-posix \
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 googletest
