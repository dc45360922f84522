#!/usr/bin/env bash
# Runs a Windows program under Wine on the UI tests' X display and prefix (wine-ui-env.sh): the
# cross-compiling emulator of the tests that make windows. Usage: wine-ui-run.sh PROGRAM [ARGS...]
set -euo pipefail
exe=$1
shift
build_dir=${NORVIK_WINE_BUILD_DIR:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
source "$(dirname "$0")/wine-ui-env.sh" "$build_dir"
exec wine "$exe" "$@"
