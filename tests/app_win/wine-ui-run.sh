#!/usr/bin/env bash
# Runs a Windows program under Wine on an X display, for the tests that need windows, the
# clipboard, the IME, the tray or Direct3D. They share one prefix of their own beside the
# build's (build/windows/wine-ui) and one Xvfb that picks a free display, both started on first
# use; the app_win_display_stop test ends them. Usage: wine-ui-run.sh PROGRAM [ARGS...]
set -euo pipefail
exe=$1; shift
build_dir=${NORVIK_WINE_BUILD_DIR:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
source "$(dirname "$0")/wine-ui-env.sh" "$build_dir"
exec wine "$exe" "$@"
