#!/usr/bin/env bash
# Runs ctest in a Windows build tree under Wine. The wineserver is started here, detached from
# ctest's pipes: one started by a piped process keeps the pipe open and slows every test to
# seconds. Usage: scripts/wine-ctest.sh BUILD_DIR [ctest args...]
set -euo pipefail
build=$(cd "$1" && pwd); shift
# Wine names Linux files in the locale's character set, and Windows' language follows the locale:
# the tests run in C.UTF-8 (Hangul names intact, Windows in English) whatever the caller's.
export LC_ALL=C.UTF-8
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export NORVIK_WINE_BUILD_DIR=$build
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w || true
fi
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1 || true
status=0
ctest --test-dir "$build" "$@" || status=$?
wineserver -k </dev/null >/dev/null 2>&1 || true
exit $status
