#!/usr/bin/env bash
# Runs Norvik under Wine, as a person on Debian would try it. Every step installs what is missing.
#   scripts/run.sh                             start Norvik; its D: drive is the folder in
#                                              NORVIK_ROOT (default: your home folder)
#   scripts/run.sh --screenshot FILE [QUERY]   start it, wait until the index is ready, type QUERY,
#                                              save the window as the PNG file FILE, and stop it
#   scripts/run.sh cli [ARGS...]               norvik-cli (native) with ARGS passed as given, so
#                                              "*.pdf" reaches it unexpanded; with no ARGS, index
#                                              NORVIK_ROOT and search it for each line you type
#   scripts/run.sh index|search|stats ARGS...  the same as cli
# Settings: NORVIK_ROOT (what D: shows), NORVIK_DARK=1 (the Windows dark theme), NORVIK_DPI=144
# (a 150 % screen), NORVIK_TEXT_SCALE=150 (Windows's text size, 100-225 %),
# NORVIK_HIGH_CONTRAST=white-on-black or black-on-white (a high-contrast theme: Wine keeps its
# colours but never reports the theme on, so Norvik is told through the environment as well). Norvik runs in its own prefix, build/run/prefix: C: is that prefix and D: the
# chosen folder; Z: (the whole Linux file system) is removed, so only those two are indexed.
# With no X display, Norvik runs on a private Xvfb that ends with the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

run_cli() {
    scripts/deps.sh native
    cmake --preset native >/dev/null
    cmake --build --preset native --target norvik-cli >/dev/null
    local cli=build/native/src/cli/norvik-cli
    if [ $# -gt 0 ]; then
        exec "$cli" "$@"
    fi
    local index=build/run/index.bin folder=${NORVIK_ROOT:-$HOME}
    mkdir -p build/run
    echo "Indexing $folder ..."
    "$cli" index --output "$index" "$folder"
    "$cli" stats --index "$index"
    echo "Type a query (ㅂㄱㅅ, qhrhtj, *.pdf, ext:jpg,png ...); an empty line quits."
    local query
    while IFS= read -r -p "> " query && [ -n "$query" ]; do
        # Split into words as typed, with no file-name expansion: *.pdf stays a pattern.
        read -r -a words <<<"$query"
        "$cli" search --index "$index" --limit 20 -- "${words[@]}" || true
    done
}

case ${1:-} in
    cli) shift; run_cli "$@" ;;
    index | search | stats | watch) run_cli "$@" ;;
esac

screenshot=
query=
if [ "${1:-}" = --screenshot ]; then
    [ $# -ge 2 ] || { echo "usage: $0 --screenshot FILE [QUERY]" >&2; exit 2; }
    screenshot=$(realpath -m "$2")
    query=${3:-}
elif [ $# -gt 0 ]; then
    sed -n '2,17p' "$0" >&2
    exit 2
fi

# An X display first: everything below runs on it.
if [ -z "${NORVIK_RUN_DISPLAY:-}" ] && ! { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    scripts/deps.sh windows
    [ -n "$screenshot" ] || echo "No X display: Norvik runs on a private Xvfb (see --screenshot)." >&2
    NORVIK_RUN_DISPLAY=1 exec scripts/with-display.sh "$0" "$@"
fi

scripts/deps.sh windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target Norvik
program=src/app/program/Norvik.exe

prefix=$root/build/run/prefix
folder=${NORVIK_ROOT:-$HOME}
scripts/wine-prefix.sh "$prefix" --drive-d "$folder" --without-z
install -D -m 755 "build/windows/$program" "$prefix/drive_c/Program Files/Norvik/Norvik.exe"

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine starts a program in the current folder, which must be on one of its drives: the prefix
# has no Z:, so from here it would say it "could not open working directory". C: is the prefix.
cd "$prefix/drive_c"
# The server and the desktop started apart from this script's output, so nothing holds it open.
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
stop_wine() { wineserver -k </dev/null >/dev/null 2>&1 || true; }
trap stop_wine EXIT
trap 'exit 130' INT TERM
# With no window manager (a bare Xvfb such as the private one), Wine waits 2 s for one each time
# a window of its goes away: Quit took 4 s (the window, then the tray icon's). Its windows are
# left unmanaged there. Not for --screenshot, which needs no Quit: unmanaged, Wine draws a title
# bar of its own into the window. The tray's process reads the value when it starts: a change
# starts Wine anew.
x11='HKCU\Software\Wine\X11 Driver'
managed=
if [ -z "$screenshot" ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    managed=N
fi
if [ "$(wine reg query "$x11" /v Managed </dev/null 2>/dev/null | tr -d '\r' |
    awk '$1 == "Managed" { print $3 }')" != "$managed" ]; then
    if [ -n "$managed" ]; then
        wine reg add "$x11" /v Managed /t REG_SZ /d "$managed" /f </dev/null >/dev/null 2>&1
    else
        wine reg delete "$x11" /v Managed /f </dev/null >/dev/null 2>&1 || true
    fi
    wineserver -k </dev/null >/dev/null 2>&1 || true
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
fi
# The Run value a last run wrote would start a Norvik of its own when Wine boots (as Windows does
# at logon), and this one would hand over to it: it goes first.
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Norvik /f \
    </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
light=1
[ "${NORVIK_DARK:-0}" = 1 ] && light=0
dpi=${NORVIK_DPI:-96}
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
    /v AppsUseLightTheme /t REG_DWORD /d "$light" /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Accessibility' /v TextScaleFactor /t REG_DWORD \
    /d "${NORVIK_TEXT_SCALE:-100}" /f </dev/null >/dev/null 2>&1
# The system colours of Windows's two high-contrast themes (Aquatic and Desert), or Wine's own.
colors='HKCU\Control Panel\Colors'
case ${NORVIK_HIGH_CONTRAST:-} in
    white-on-black) scheme=('0 0 0' '255 255 255' '26 235 255' '0 0 0' '63 242 63' '255 255 0') ;;
    black-on-white) scheme=('255 255 255' '0 0 0' '55 0 110' '255 255 255' '96 0 0' '0 0 159') ;;
    '') scheme=() ;;
    *) echo "NORVIK_HIGH_CONTRAST is white-on-black or black-on-white" >&2; exit 2 ;;
esac
names=(Window WindowText Hilight HilightText GrayText HotTrackingColor)
for i in "${!names[@]}"; do
    if [ ${#scheme[@]} -gt 0 ]; then
        wine reg add "$colors" /v "${names[$i]}" /t REG_SZ /d "${scheme[$i]}" /f
    else
        wine reg delete "$colors" /v "${names[$i]}" /f
    fi </dev/null >/dev/null 2>&1 || true
done
# Wine reads the colours when its server starts.
wineserver -k </dev/null >/dev/null 2>&1 || true
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
if [ -n "${NORVIK_HIGH_CONTRAST:-}" ]; then export NORVIK_HIGH_CONTRAST=1; fi

# The trace goes outside C: and D:, by Wine's own path to the Linux file system: written on an
# indexed drive, every line would be a change to index and repaint, and so another line.
trace=$root/build/run/trace.txt
rm -f "$trace"
export NORVIK_TRACE="\\\\?\\unix${trace//\//\\}"
exe='C:\Program Files\Norvik\Norvik.exe'
echo "Norvik: D: is $folder, on display $DISPLAY" >&2

if [ -z "$screenshot" ]; then
    echo "Closing the window hides it, as on Windows; press Ctrl+C here to end Norvik." >&2
    wine "$exe" </dev/null
    exit 0
fi

. "$root/tests/ui_support/ui.sh"
wine "$exe" </dev/null >/dev/null 2>&1 &
running=$!
# Ended with the server when the script exits: no job report ("Killed") for it.
disown "$running"
window=$(ui_find_window '^Norvik$' 120)
# Ready once the program says its index is whole, every scan done (a first build can take
# minutes).
for ((waited = 0; ; waited++)); do
    grep -q ' index-complete' "$trace" 2>/dev/null && break
    if ! kill -0 "$running" 2>/dev/null; then
        echo "Norvik ended before its index was ready" >&2
        exit 1
    fi
    if [ "$waited" -ge 1800 ]; then
        echo "the index was not ready after 30 minutes" >&2
        exit 1
    fi
    [ $((waited % 30)) = 29 ] && echo "waiting for the index ..." >&2
    sleep 1
done
[ -z "$query" ] || ui_type "$window" "$query"
# Saved once two captures half a second apart agree: the results are in and drawn.
previous=$(mktemp --suffix=.png)
for _ in $(seq 40); do
    sleep 0.5
    ui_capture "$window" "$screenshot"
    cmp -s "$screenshot" "$previous" && break
    cp "$screenshot" "$previous"
done
rm -f "$previous"
echo "Saved $screenshot" >&2
