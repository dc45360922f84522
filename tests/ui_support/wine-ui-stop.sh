#!/usr/bin/env bash
# Ends the UI tests' wineserver and Xvfb (see wine-ui-env.sh). Usage: wine-ui-stop.sh BUILD_DIR
ui_state=$1/wine-ui
[ -d "$ui_state/prefix" ] && WINEPREFIX=$ui_state/prefix wineserver -k </dev/null >/dev/null 2>&1
if [ -s "$ui_state/xvfb.pid" ]; then
    kill "$(cat "$ui_state/xvfb.pid")" 2>/dev/null
    rm -f "$ui_state/xvfb.pid" "$ui_state/display" "$ui_state/desktop"
fi
exit 0
