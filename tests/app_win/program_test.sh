#!/usr/bin/env bash
# Drives the real Norvik.exe under Wine, from outside as a user would, on the UI tests' display.
# Usage: program_test.sh CASE NORVIK_EXE PEER_EXE BUILD_DIR
#   look-light, look-dark  "report" / "qhrhtj" typed; the accent bar, the selected row's tint, the
#                          name's matched run in the accent colour and the status line's
#                          background, in the light and the dark palette
#   hand-off               Esc hides; a second start brings the first window back and exits;
#                          the close box hides without ending the program
#   tray                   --tray shows no window but the tray icon, and writes the autostart
#                          entry; a second --tray start exits without a window
#   unregister             --unregister removes the Run value, the settings and the index file
#   end-session            WM_ENDSESSION saves a changed index and keeps the window
#   tray-quit              Quit from the tray menu ends the program with the index saved and
#                          the tray icon gone
# The program runs in a prefix of its own (BUILD/wine-program) whose only drives are C: (the
# prefix) and D: (a small test tree), so it indexes those and nothing of the Linux file system.
set -euo pipefail
case_name=$1 norvik=$2 peer=$3 build_dir=$(cd "$4" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ui_support=$root/tests/ui_support
source "$ui_support/wine-ui-env.sh" "$build_dir"  # the display; the prefix is ours, below
source "$ui_support/ui.sh"

state=$build_dir/wine-program
tree=$state/tree
export WINEPREFIX=$state/prefix
mkdir -p "$state"
rm -rf "$tree" && mkdir -p "$tree/보고서 2024" "$tree/photos" "$tree/Reports"
echo a >"$tree/보고서 2024/report, final.hwp"
echo b >"$tree/보고서 2024/분기 보고서.hwp"
echo c >"$tree/photos/holiday.jpg"
echo d >"$tree/Reports/report-q1.pdf"
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" --drive-d "$tree" --without-z </dev/null >/dev/null

# The trace lives outside C: and D:, or each of its lines would be a change to index.
trace=$state/trace.txt
export NORVIK_TRACE="\\\\?\\unix${trace//\//\\}"
rm -f "$trace"
shot=$state/$case_name.png

cleanup() {
    [ -z "${first_pid:-}" ] || kill "$first_pid" 2>/dev/null || true
    wineserver -k </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# A Run value left by an earlier case would start a Norvik of its own when Wine boots.
wine reg delete "$run_key" /v Norvik /f </dev/null >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\Norvik' /f </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
light=1
[ "$case_name" = look-dark ] && light=0
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
    /v AppsUseLightTheme /t REG_DWORD /d "$light" /f </dev/null >/dev/null 2>&1

# The program and the peer live on C:, as the prefix has no Z:.
bin=$WINEPREFIX/drive_c/norvik
mkdir -p "$bin"
cp "$norvik" "$bin/Norvik.exe"
cp "$peer" "$bin/peer.exe"
appdata=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Norvik
rm -rf "$appdata"

fail() {
    echo "FAILED ($case_name): $*" >&2
    exit 1
}

start_norvik() {  # start_norvik ARGS...: the wine process's id in $norvik_pid
    wine 'C:\norvik\Norvik.exe' "$@" </dev/null >/dev/null 2>&1 &
    norvik_pid=$!
}

wait_for() {  # wait_for SECONDS COMMAND...: until COMMAND succeeds
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

visible_windows() { xdotool search --onlyvisible --name '^Norvik$' 2>/dev/null | wc -l; }
one_visible() { [ "$(visible_windows)" = 1 ]; }
none_visible() { [ "$(visible_windows)" = 0 ]; }
stopped() { ! kill -0 "$1" 2>/dev/null; }
peer() { wine 'C:\norvik\peer.exe' "$@" </dev/null 2>/dev/null; }
window_exists() { peer find-window >/dev/null; }
no_window() { ! window_exists; }
traced() { grep -q " $1 " "$trace" 2>/dev/null; }
trace_lines() { wc -l <"$trace" 2>/dev/null || echo 0; }
more_trace_than() { [ "$(trace_lines)" -gt "$1" ]; }
saved_index() { test -s "$appdata/index.bin"; }
# With no tray on the X desktop, Wine shows the icons in a window of its own while there are any.
tray_windows() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | wc -l; }
tray_shown() { [ "$(tray_windows)" -gt 0 ]; }
no_tray() { [ "$(tray_windows)" = 0 ]; }

# Starts Norvik and waits until its index is whole (every scan done), then makes a change on D:
# and waits until the watcher has brought it in, so the index has changes not yet saved.
start_with_unsaved_change() {
    start_norvik "$@"
    first_pid=$norvik_pid
    wait_for 60 traced index-complete || fail "the index was not built"
    wait_for 20 saved_index || fail "the first build was not saved"
    rm -f "$appdata/index.bin"
    local lines
    lines=$(trace_lines)
    echo e >"$tree/photos/new.jpg"
    wait_for 20 more_trace_than "$lines" || fail "the change on D: did not reach the index"
}

# The look of the window over a typed query, in the palette of the prefix's theme: what the design
# fixes by colour, read back from the screen.
check_look() {
    local query=$1 accent=$2 status=$3 tint=$4 window width height
    start_norvik
    first_pid=$norvik_pid
    window=$(ui_find_window '^Norvik$' 60) || fail "the window did not appear"
    wait_for 60 traced index-complete || fail "the index was not built"
    ui_wait_for_pixel "$window" 30 57 "$accent" 20 || fail "no accent bar under the search box"
    ui_type "$window" "$query"
    # Once the whole query's results are in, the first row (y 140-172) is selected (its tint
    # between the columns) and its name shows the matched run in the accent colour.
    local tinted=0 highlighted=0
    for _ in $(seq 50); do
        ui_capture "$window" "$shot"
        tinted=$(ui_count_colour "$shot" 600 145 140 4 "$tint")
        highlighted=$(ui_count_colour "$shot" 50 145 60 24 "$accent")
        [ "$tinted" = 560 ] && [ "$highlighted" -gt 20 ] && break
        sleep 0.2
    done
    [ "$tinted" = 560 ] || fail "the selected row is not tinted #$tint ($tinted of 560 pixels)"
    [ "$highlighted" -gt 20 ] || fail "the first name shows no run in #$accent ($highlighted pixels)"
    width=$(identify -format %w "$shot")
    height=$(identify -format %h "$shot")
    # The status line's background, between its counts on the left and its hints on the right.
    local plain
    plain=$(ui_count_colour "$shot" $((width / 2 - 100)) $((height - 25)) 200 20 "$status")
    [ "$plain" = 4000 ] || fail "the status line is not #$status ($plain of 4000 pixels)"
}

case $case_name in
look-light)
    check_look report 7C3AED FFFFFF E2D9F7
    ;;
look-dark)
    check_look qhrhtj A78BFA 222327 423A5E
    ;;
hand-off)
    start_norvik
    first_pid=$norvik_pid
    window=$(ui_find_window '^Norvik$' 60) || fail "the window did not appear"
    ui_key "$window" Escape
    wait_for 10 none_visible || fail "Esc did not hide the window"
    start_norvik
    wait_for 20 stopped "$norvik_pid" || fail "the second start did not hand off and exit"
    wait_for 10 one_visible || fail "the first window did not come back"
    stopped "$first_pid" && fail "the first Norvik ended"
    peer post-message WM_CLOSE || fail "no Norvik window to close"
    wait_for 10 none_visible || fail "the close box did not hide the window"
    window_exists || fail "closing ended the program"
    ;;
tray)
    start_norvik --tray
    first_pid=$norvik_pid
    wait_for 30 window_exists || fail "no window was created"
    wait_for 30 traced index-complete || fail "the index was not built"
    none_visible || fail "--tray showed the window"
    wait_for 10 tray_shown || fail "--tray made no tray icon"
    wine reg query "$run_key" /v Norvik </dev/null 2>/dev/null | grep -q 'Norvik.exe" --tray' ||
        fail "the autostart entry was not written"
    start_norvik --tray
    wait_for 20 stopped "$norvik_pid" || fail "the second --tray start did not exit"
    none_visible || fail "a second --tray start showed the window"
    stopped "$first_pid" && fail "the first Norvik ended"
    ;;
unregister)
    wine reg add "$run_key" /v Norvik /t REG_SZ /d '"C:\norvik\Norvik.exe" --tray' /f \
        </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Norvik' /v AutoStart /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
    mkdir -p "$appdata" && echo x >"$appdata/index.bin"
    wine 'C:\norvik\Norvik.exe' --tray --unregister </dev/null >/dev/null 2>&1 ||
        fail "--unregister exited with an error"
    ! wine reg query "$run_key" /v Norvik </dev/null >/dev/null 2>&1 ||
        fail "the Run value is still there"
    ! wine reg query 'HKCU\Software\Norvik' </dev/null >/dev/null 2>&1 ||
        fail "Software\\Norvik is still there"
    [ ! -e "$appdata" ] || fail "the index file or its folder is still there"
    no_window || fail "--unregister made a window"
    ;;
end-session)
    start_with_unsaved_change --tray
    peer send-message WM_ENDSESSION 1 0 || fail "no Norvik window to tell"
    wait_for 10 saved_index || fail "the index was not saved at the session's end"
    window_exists || fail "the end of the session destroyed the window"
    ;;
tray-quit)
    start_with_unsaved_change
    window=$(ui_find_window '^Norvik$' 10) || fail "the window did not appear"
    ui_focus "$window"
    wait_for 10 tray_shown || fail "no tray icon"
    peer post-message WM_APP_TRAY 0 WM_RBUTTONUP || fail "no Norvik window to tell"
    sleep 1
    xdotool key --delay 100 Up Return  # the menu's last item is Quit
    wait_for 20 stopped "$first_pid" || fail "Quit from the tray menu did not end the program"
    saved_index || fail "Quit did not save the index"
    traced exit || fail "the program did not reach its end"
    wait_for 10 no_tray || fail "the tray icon stayed"
    ;;
*)
    fail "unknown case"
    ;;
esac
echo "passed: $case_name"
