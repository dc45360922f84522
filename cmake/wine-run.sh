#!/usr/bin/env bash
# Runs a Windows program under Wine with the build tree's own quiet prefix. Used by ctest as the
# cross-compiling emulator. The prefix is made on first use; scripts/test.sh starts the wineserver
# beforehand so that a piped ctest does not keep it attached (each start would then take seconds).
set -euo pipefail
exe=$1; shift
build_dir=${NORVIK_WINE_BUILD_DIR:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$exe" "$@"
