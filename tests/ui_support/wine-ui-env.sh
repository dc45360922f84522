# Sourced with the build folder as $1: exports WINEPREFIX and DISPLAY for the UI tests, starting
# their Xvfb and wineserver when they are not running and readying their prefix (fonts, by
# scripts/wine-prefix.sh). All of it lives in BUILD/wine-ui and is shared by every UI test of
# that build; wine-ui-stop.sh ends it. Serialized with a lock: ctest may start several at once.
ui_state=$(cd "$1" && pwd)/wine-ui
ui_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
mkdir -p "$ui_state"
# Hangul file names intact and Windows in English, whatever the caller's locale (Wine names Linux
# files in the locale's character set, and Windows' language follows it).
export LC_ALL=C.UTF-8
export WINEPREFIX=$ui_state/prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# The lock's descriptor is closed for everything started while it is held: a server or display
# that kept it would hold the lock for good once this script stopped on an error, and every later
# UI test would wait for it until its time-out instead of failing.
exec 8>"$ui_state/lock"
flock 8
if ! { [ -s "$ui_state/xvfb.pid" ] && kill -0 "$(cat "$ui_state/xvfb.pid")" 2>/dev/null; }; then
    # A free display above the ones people and other tools use (never :0 or :99); large enough
    # for the 960 x 640 window at 150 %.
    rm -f "$ui_state/display" "$ui_state/desktop"
    for n in $(seq 110 160); do
        [ -e "/tmp/.X$n-lock" ] && continue
        setsid Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp </dev/null >/dev/null 2>&1 8>&- &
        pid=$!
        for _ in $(seq 100); do
            [ -S "/tmp/.X11-unix/X$n" ] && break
            kill -0 $pid 2>/dev/null || break
            sleep 0.05
        done
        if kill -0 $pid 2>/dev/null && [ -S "/tmp/.X11-unix/X$n" ]; then
            echo $pid >"$ui_state/xvfb.pid"
            echo "$n" >"$ui_state/display"
            break
        fi
    done
fi
export DISPLAY=:$(tr -d '\n' <"$ui_state/display")
if [ "$(cat "$ui_state/desktop" 2>/dev/null)" != "$DISPLAY" ]; then
    # First use on this display: the prefix is readied with no server of ours running (one left
    # from a stopped run is ended), and the server it started is let go before the tests' own.
    wineserver -k </dev/null >/dev/null 2>&1 8>&- || true
    "$ui_root/scripts/wine-prefix.sh" "$WINEPREFIX" </dev/null >/dev/null 8>&-
    wineserver -w </dev/null >/dev/null 2>&1 8>&- || true
elif ! "$ui_root/scripts/wine-prefix.sh" "$WINEPREFIX" --is-ready 8>&-; then
    # Made by a runner that sets no fonts: completed through the running server.
    "$ui_root/scripts/wine-prefix.sh" "$WINEPREFIX" </dev/null >/dev/null 8>&-
fi
# A wineserver started by a piped ctest would keep the pipe open (and ctest waiting until the
# test's time-out); start it detached, with the desktop process on this display, before any
# test makes a window.
setsid wineserver -p </dev/null >/dev/null 2>&1 8>&- || true
if [ "$(cat "$ui_state/desktop" 2>/dev/null)" != "$DISPLAY" ]; then
    wine wineboot </dev/null >/dev/null 2>&1 8>&- || true
    echo "$DISPLAY" >"$ui_state/desktop"
fi
flock -u 8
exec 8>&-
