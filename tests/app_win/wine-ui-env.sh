# Sourced with the build folder as $1: exports WINEPREFIX and DISPLAY for the UI tests' prefix
# and Xvfb, starting both when they are not running. Serialized with a lock, since ctest may
# start several tests at once.
ui_state=$(cd "$1" && pwd)/wine-ui
mkdir -p "$ui_state"
export WINEPREFIX=$ui_state/prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
exec 8>"$ui_state/lock"
flock 8
if ! { [ -s "$ui_state/xvfb.pid" ] && kill -0 "$(cat "$ui_state/xvfb.pid")" 2>/dev/null; }; then
    # A free display above the ones people and other tools use (never :0 or :99).
    rm -f "$ui_state/display"
    for n in $(seq 110 160); do
        [ -e "/tmp/.X$n-lock" ] && continue
        setsid Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w || true
    # "Segoe UI" drawn with a Korean-capable font; Windows has the real one.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Segoe UI" /t REG_SZ /d NanumGothic /f \
        </dev/null >/dev/null 2>&1 || true
fi
# A wineserver started by a piped ctest would keep the pipe open; start it detached, with the
# desktop process on this display, before any test makes a window.
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
if [ "$(cat "$ui_state/desktop" 2>/dev/null)" != "$DISPLAY" ]; then
    wine wineboot </dev/null >/dev/null 2>&1 || true
    echo "$DISPLAY" >"$ui_state/desktop"
fi
flock -u 8
exec 8>&-
