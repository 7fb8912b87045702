#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator of the cross build (CMAKE_CROSSCOMPILING_EMULATOR),
# through which ctest runs the test programs, and the runner of the end-to-end runs.
#
#   tests/windows/wine-run.sh [--gtest-exclude=PATTERNS] PROGRAM.exe [ARGUMENTS...]
#
# --gtest-exclude leaves the GoogleTest cases that match the patterns (":"-separated) out of the
# test list, so that ctest's test discovery does not find them.
#
# The Wine prefix is WINEPREFIX when set (run-windows-tests.sh makes one in a temporary folder),
# else ${TMPDIR:-/tmp}/schemalift-wine-<uid>; a missing prefix is made first. The environment is
# set here rather than in the tests' ENVIRONMENT property, of which test discovery applies only
# the first variable.
set -euo pipefail

export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/schemalift-wine-$(id -u)}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wine wineboot -i >/dev/null 2>&1
      # A program that crashes ends with its status instead of starting Wine's debugger.
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
        /t REG_SZ /d '' /f >/dev/null 2>&1
    fi
  ) 9>"$WINEPREFIX/.schemalift-lock"
fi
if [[ ${1:-} == --gtest-exclude=* ]]; then
  export GTEST_FILTER="-${1#--gtest-exclude=}"
  shift
fi
exec wine "$@"
