#!/usr/bin/env bash
# Drives the real Norvik.exe under Wine and Xvfb, from outside as a user would.
# Usage: program_test.sh CASE NORVIK_EXE PEER_EXE BUILD_DIR
# Cases: unregister, tray, hand-off, end-session, tray-quit. The program runs in a prefix of its
# own (build/windows/wine-program) whose only drives are C: (the prefix) and D: (a small test
# tree), so it indexes that and nothing of the Linux file system.
set -euo pipefail
case_name=$1 norvik=$2 peer=$3 build_dir=$(cd "$4" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The display of the UI tests (wine-ui-env.sh), with this program's prefix.
source "$here/wine-ui-env.sh" "$build_dir"
state=$build_dir/wine-program
export WINEPREFIX=$state/prefix
mkdir -p "$state"
exec 7>"$state/lock"
flock 7
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w || true
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Segoe UI" /t REG_SZ /d NanumGothic /f \
        </dev/null >/dev/null 2>&1 || true
    wineserver -w || true
fi
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true

# The program and the peer live on C:, so they run without Z:.
bin=$WINEPREFIX/drive_c/norvik
mkdir -p "$bin"
cp "$norvik" "$bin/Norvik.exe"
cp "$peer" "$bin/peer.exe"
tree=$state/tree
rm -rf "$tree" && mkdir -p "$tree/보고서 2024" "$tree/photos"
echo a >"$tree/보고서 2024/report, final.hwp"
echo b >"$tree/photos/holiday.jpg"
rm -f "$WINEPREFIX/dosdevices/z:"
ln -sfn "$tree" "$WINEPREFIX/dosdevices/d:"
appdata=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Norvik
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
wine reg delete 'HKCU\Software\Norvik' /f >/dev/null 2>&1 || true
wine reg delete "$run_key" /v Norvik /f >/dev/null 2>&1 || true
rm -rf "$appdata"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

start_norvik() {  # start_norvik ARGS... -> the wine process id in $norvik_pid
    wine 'C:\norvik\Norvik.exe' "$@" </dev/null >/dev/null 2>&1 &
    norvik_pid=$!
    pids+=("$norvik_pid")
}

visible_windows() { xdotool search --onlyvisible --name '^Norvik$' 2>/dev/null | wc -l; }

wait_for() {  # wait_for SECONDS COMMAND... : until COMMAND succeeds
    local seconds=$1; shift
    for _ in $(seq $((seconds * 10))); do "$@" && return 0; sleep 0.1; done
    return 1
}

one_visible() { [ "$(visible_windows)" = 1 ]; }
none_visible() { [ "$(visible_windows)" = 0 ]; }
stopped() { ! kill -0 "$1" 2>/dev/null; }
peer() { wine 'C:\norvik\peer.exe' "$@" </dev/null 2>/dev/null; }
window_exists() { peer find-window >/dev/null; }
no_window() { ! window_exists; }

case $case_name in
unregister)
    wine reg add "$run_key" /v Norvik /t REG_SZ /d '"C:\norvik\Norvik.exe" --tray' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Norvik' /v AutoStart /t REG_DWORD /d 1 /f >/dev/null 2>&1
    mkdir -p "$appdata" && echo x >"$appdata/index.bin"
    wine 'C:\norvik\Norvik.exe' --tray --unregister </dev/null >/dev/null 2>&1 ||
        fail "--unregister exited with an error"
    ! wine reg query "$run_key" /v Norvik >/dev/null 2>&1 || fail "the Run value is still there"
    ! wine reg query 'HKCU\Software\Norvik' >/dev/null 2>&1 || fail "Software\\Norvik is still there"
    [ ! -e "$appdata/index.bin" ] || fail "index.bin is still there"
    [ ! -e "$appdata" ] || fail "the index folder is still there"
    none_visible || fail "--unregister showed a window"
    ;;
tray)
    start_norvik --tray
    wait_for 20 window_exists || fail "no window was created"
    sleep 1
    none_visible || fail "--tray showed the window"
    wine reg query "$run_key" /v Norvik | grep -q 'Norvik.exe" --tray' ||
        fail "the autostart entry was not written"
    start_norvik --tray  # a second start for the tray does nothing visible
    second=$norvik_pid
    wait_for 10 stopped "$second" || fail "the second --tray start did not exit"
    none_visible || fail "a second --tray start showed the window"
    ;;
hand-off)
    start_norvik
    wait_for 20 one_visible || fail "the window did not appear"
    window=$(xdotool search --onlyvisible --name '^Norvik$')
    xdotool windowfocus --sync "$window" key Escape
    wait_for 5 none_visible || fail "Esc did not hide the window"
    start_norvik
    second=$norvik_pid
    wait_for 10 stopped "$second" || fail "the second start did not hand off and exit"
    wait_for 5 one_visible || fail "the first window did not come back"
    [ "$(xdotool search --name '^Norvik$' | wc -l)" = 1 ] || fail "more than one Norvik window"
    peer post-message WM_CLOSE
    wait_for 5 none_visible || fail "the close box did not hide the window"
    window_exists || fail "closing ended the program"
    ;;
end-session)
    start_norvik --tray
    wait_for 20 window_exists || fail "no window was created"
    wait_for 20 test -s "$appdata/index.bin" || true  # the first scan saves it once
    rm -f "$appdata/index.bin"
    echo c >"$tree/photos/new.jpg"  # a change makes the index dirty again
    sleep 2
    peer send-message WM_ENDSESSION 1 0
    wait_for 10 test -s "$appdata/index.bin" || fail "the index was not saved at the session's end"
    window_exists || fail "the end of the session destroyed the window"
    ;;
tray-quit)
    start_norvik
    wait_for 20 one_visible || fail "the window did not appear"
    sleep 2
    rm -f "$appdata/index.bin"
    echo d >"$tree/photos/another.jpg"
    sleep 2
    peer post-message WM_APP_TRAY 0 WM_RBUTTONUP
    sleep 1
    xdotool key Up Return  # the tray menu's last item is Quit
    wait_for 15 no_window || fail "Quit from the tray menu did not end the program"
    test -s "$appdata/index.bin" || fail "Quit did not save the index"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "passed: $case_name"
