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
#   typing                 Hangul and Latin typed with xdotool find the matching rows
#   keys                   Enter, Ctrl+Enter (explorer /select,"path"), Ctrl+C (the path on the
#                          clipboard, read by another process), Down (the tint moves), Ctrl+Tab (the
#                          accent moves to the next tab), Alt+Enter (the properties, and a key
#                          typed next reaches the box), Esc; nothing is started: the program
#                          traces what it would have started
#   menus                  the settings, tray, context and column header menus as Windows holds
#                          them, for a new user and after choices: Start with Windows off and on
#                          again (the Run value), a language (Language and the restart toast),
#                          Copy name, Date modified and back to Best match (the header menu also
#                          lists Widen column and Narrow column)
#   exclude                ExcludedFolders keeps D:\photos out from the start; the settings menu
#                          lists it and choosing it brings its files back; a folder row's
#                          "Exclude from Norvik" stores it again, says so in a toast whose Undo
#                          (Ctrl+Z) brings it back, and a second time takes its files out
#   hot-key-taken          another program holds Ctrl+Alt+F: the red notice, and the window
#                          still opens from the tray icon
#   languages              Language = ko, en, ja: the context menu in that language, and
#                          screenshots of each with and without it (ko light, en dark, ja light)
#   columns                the Folder|Size border dragged 100 pixels left: ColumnWidths holds
#                          Size 186 and Date modified 136; after a restart a double click on the
#                          border where it was left (so the widths were restored) resets them
#   reading                long names and deep folders (a 230-character name, a 10-level path),
#                          in English light at 100 % and Korean dark at 150 %: screenshots of
#                          the rows, the tooltip over a cut name and over a cut folder, an empty
#                          tab that says what All finds, a toast and the smallest window, also
#                          sorted by Name (reading-<look>-<state>.png in BUILD/wine-program, to
#                          be looked at)
#   alt-enter              with Wine's windows unmanaged (run.sh on a bare display): after
#                          Alt+Enter (the properties) a typed key reaches the box and Esc hides
#   copy-files             Ctrl+Shift+C puts the first row's file on the clipboard (CF_HDROP, read
#                          back by another process)
#   delete                 Del sends the first row's file to Wine's trash and its row leaves
#   export                 Ctrl+S, a file typed in the save dialog: the CSV reads back with its
#                          BOM, header and the three rows of "report"
#   drag                   the first row dragged out towards another process's drop target: the
#                          drag starts past the drag distance and ends with the button (Wine 8
#                          does not deliver a drop across processes: the receipt is printed)
#   system-menu            Shift+right-click on a row shows the system's context menu (traced and
#                          captured: what Wine offers)
#   filters                "size:>1kb 보고서" typed finds the one file over 1 KB holding 보고서
#                          (not its folder: folders have no size); "size:big" finds nothing;
#                          in English light and Korean dark, screenshots of the status line's
#                          message and of the Search syntax card from the settings menu, which
#                          Esc closes without hiding the window (filters-<look>-<state>.png)
#   follows-disk           a file created, then deleted, then one renamed on D: while "report" is
#                          shown: each reaches the list soon after the index has it (the time
#                          from the change's post to the answer that shows it is printed); a
#                          change 0.5 s and 1 s after another shows within a second too; then
#                          a storm of creations searches again at most once per debounce
# The program runs in a prefix of its own (BUILD/wine-program) whose only drives are C: (the
# prefix) and D: (a small test tree), so it indexes those and nothing of the Linux file system.
set -euo pipefail
case_name=$1 norvik=$2 peer=$3 build_dir=$(cd "$4" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
ui_support=$root/tests/ui_support
source "$ui_support/wine-ui-env.sh" "$build_dir"  # the display; the prefix is ours, below
source "$ui_support/ui.sh"

state=$build_dir/wine-program
tree=$state/tree
export WINEPREFIX=$state/prefix
# Wine's trash (where a Recycle Bin delete lands) kept inside the test's own state.
export XDG_DATA_HOME=$state/xdg
mkdir -p "$state"
rm -rf "$tree" && mkdir -p "$tree/보고서 2024" "$tree/photos" "$tree/Reports"
echo a >"$tree/보고서 2024/report, final.hwp"
# The one name holding 보고서 over 1 KB (2,000 bytes), for the filters.
head -c 2000 /dev/zero | tr '\0' b >"$tree/보고서 2024/분기 보고서.hwp"
echo c >"$tree/photos/holiday.jpg"
echo d >"$tree/Reports/report-q1.pdf"
# "report, final.hwp" is the newest name that starts with "report": the first row for "report".
touch -d '2 days ago' "$tree/Reports/report-q1.pdf" "$tree/Reports"
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
# Windows managed as if by a window manager, unless a case says otherwise (alt-enter).
x11_key='HKCU\Software\Wine\X11 Driver'
wine reg delete "$x11_key" /v Managed /f </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
set_theme() {  # set_theme 1 (light) | 0 (dark)
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
        /v AppsUseLightTheme /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}
light=1
[ "$case_name" = look-dark ] && light=0
set_theme "$light"

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
# traced_text EVENT TEXT: the trace has the line "<time> EVENT TEXT".
traced_text() { cut -d' ' -f2- "$trace" 2>/dev/null | grep -qxF -- "$1 $2"; }
has_results_for() { traced_text results-for "$1"; }
# rows_for QUERY: the full paths of the rows the last answer to QUERY showed, one a line.
rows_for() {
    awk -v query="$1" '
        $2 == "results-for" { sub(/^[0-9]+ results-for /, ""); take = $0 == query; if (take) rows = ""; next }
        $2 == "row" && take { sub(/^[0-9]+ row /, ""); rows = rows $0 "\n" }
        END { printf "%s", rows }' "$trace"
}
# expect_rows QUERY PATH...: QUERY showed exactly these rows, in any order.
expect_rows() {
    local query=$1
    shift
    diff <(rows_for "$query" | sort) <(printf '%s\n' "$@" | sort) >&2 ||
        fail "\"$query\" showed other rows (above: < shown, > expected)"
}
# Menus as the program built them, read back from Windows (menus_win.cpp traces each one).
menus_opened() { grep -c " menu-end $1\$" "$trace" 2>/dev/null || true; }
more_menus_than() { [ "$(menus_opened "$1")" -gt "$2" ]; }
last_menu() {
    awk -v kind="$1" '
        $2 == "menu" && $3 == kind { items = ""; inside = 1; next }
        $2 == "menu-end" { inside = 0; next }
        inside && $2 == "menu-item" { sub(/^[0-9]+ menu-item /, ""); items = items $0 "\n" }
        END { printf "%s", items }' "$trace"
}
# open_menu KIND COMMAND...: runs COMMAND (a click, a message) and waits until the menu is up.
open_menu() {
    local kind=$1 before
    shift
    before=$(menus_opened "$kind")
    "$@"
    wait_for 10 more_menus_than "$kind" "$before" || fail "the $kind menu did not open"
    sleep 1  # the menu takes keys once its loop runs
}
# expect_menu KIND: the last KIND menu held the items on standard input.
expect_menu() {
    diff <(last_menu "$1") - >&2 || fail "the $1 menu differs (above: < shown, > expected)"
}
choose() { xdotool key --delay 150 "$@"; }
reg_value() {  # reg_value KEY NAME: the value's data as reg prints it; fails when absent
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print; found = 1 } END { exit !found }'
}
norvik_value_is() { [ "$(reg_value 'HKCU\Software\Norvik' "$1")" = "$2" ]; }
run_value_is() { [ "$(reg_value "$run_key" Norvik)" = "$1" ]; }
no_run_value() { ! reg_value "$run_key" Norvik >/dev/null; }
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

# Starts Norvik with the window shown and waits until its index is whole: $window is its X window.
start_shown() {
    start_norvik "$@"
    first_pid=$norvik_pid
    window=$(ui_find_window '^Norvik$' 60) || fail "the window did not appear"
    wait_for 60 traced index-complete || fail "the index was not built"
}

# start_looking LANGUAGE LIGHT: start_shown with that Language setting and theme (1 light, 0 dark).
start_looking() {
    wine reg add 'HKCU\Software\Norvik' /v Language /t REG_SZ /d "$1" /f </dev/null >/dev/null 2>&1
    set_theme "$2"
    start_shown
}

# stop_first: ends the Norvik that start_shown started, with an empty trace for the next.
stop_first() {
    kill "$first_pid"
    wait_for 20 stopped "$first_pid" || fail "Norvik did not end"
    wait_for 10 none_visible || fail "the window stayed"
    : >"$trace"
}

# type_query TEXT: types TEXT into the empty search box and waits for its rows.
# Under load, Wine can drop the first keys after a change of focus: the box is cleared and the text
# typed again (at most three times), and what was answered instead is shown.
type_query() {
    local attempt
    for attempt in 1 2 3; do
        ui_type "$window" "$1"
        wait_for 30 has_results_for "$1" && return 0
        echo "\"$1\" typed (attempt $attempt), answered instead:" \
            "$(grep ' results-for ' "$trace" 2>/dev/null | tail -n 1 | cut -d' ' -f3-)" >&2
        ui_key "$window" ctrl+a BackSpace
    done
    fail "no results for \"$1\""
}

# count_in WID X Y W H RRGGBB [FUZZ%]: how many pixels of the window's rectangle have that colour
# now (within FUZZ, default 10 %).
count_in() {
    ui_capture "$1" "$shot"
    ui_count_colour "$shot" "$2" "$3" "$4" "$5" "$6" "${7:-10}"
}
# all_in WID X Y W H RRGGBB: every pixel of the rectangle has the colour (a frame or two late).
all_in() { [ "$(count_in "$@")" = $(($4 * $5)) ]; }
none_in() { [ "$(count_in "$@")" = 0 ]; }

# Row R (from 0) is tinted as the selected row in the light palette, between its columns. The
# tint is a light one, within 10 % of the plain background: told apart at 3 %.
row_tinted() { all_in "$window" 600 $((145 + 32 * $1)) 140 4 E6DEF5 3; }
row_plain() { none_in "$window" 600 $((145 + 32 * $1)) 140 4 E6DEF5 3; }

# save_screen FILE: the window and any menu it opened, cut from the whole screen.
save_screen() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # Menus open at the settings button (towards the right) and at a row: 240 pixels spare.
    xwd -silent -root | convert xwd:- -crop "$((WIDTH + 240))x$((HEIGHT + 60))+$X+$Y" +repage \
        -alpha off "png:$1"
}

# The look of the window over a typed query, in the palette of the prefix's theme: what the design
# fixes by colour, read back from the screen.
check_look() {
    local query=$1 accent=$2 status=$3 tint=$4 window width height
    start_shown
    ui_wait_for_pixel "$window" 30 57 "$accent" 20 || fail "no accent bar under the search box"
    type_query "$query"
    # With the whole query's results in, the first row (y 140-172) is selected (its tint between
    # the columns) and its name shows the matched run in the accent colour, a frame or two later.
    local tinted=0 highlighted=0 deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ]; do
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

# answer_latency FROM PATH yes|no: milliseconds from the first index change posted after trace
# line FROM to the first answer for "report" whose rows hold (yes) or lack (no) PATH; fails while
# there is none.
answer_latency() {
    # The path through the environment: awk -v would read its backslashes as escapes.
    tail -n +"$(($1 + 1))" "$trace" | WANTED_PATH=$2 awk -v want="$3" '
        function settle() {
            if (at && posted && ((want == "yes") == (has == 1))) { print int((at - posted) / 1000); found = 1; exit }
            at = 0
        }
        $2 == "index-posted" && !posted { posted = $1; next }
        $2 == "results-for" { settle(); q = $0; sub(/^[0-9]+ results-for /, "", q)
                              if (q == "report" && posted) { at = $1; has = 0 }; next }
        $2 == "row" && at { r = $0; sub(/^[0-9]+ row /, "", r); if (r == ENVIRON["WANTED_PATH"]) has = 1 }
        END { if (!found) settle(); exit !found }'
}
# follow_change PATH yes|no WHAT COMMAND...: runs COMMAND after a calm spell, waits for the list to
# show (yes) or drop (no) PATH and prints how long the answer took after the index had the change.
follow_change() {
    local path=$1 want=$2 what=$3 lines ms
    shift 3
    sleep 2  # longer than the debounce: the change comes after a calm spell
    lines=$(trace_lines)
    "$@"
    wait_for 20 answer_latency "$lines" "$path" "$want" >/dev/null ||
        fail "the list did not follow the $what of $path"
    ms=$(answer_latency "$lines" "$path" "$want")
    echo "list follows the disk: $what shown $ms ms after the index had it"
    # The debounce alone waited 2,000 ms; the first change after a calm spell must not.
    [ "$ms" -lt 1500 ] || fail "the $what took $ms ms to reach the list"
}
# follow_after GAP NAME: after a calm spell, a file made in D:\Reports, then GAP seconds later
# another named NAME; prints how long the second took to show after the index had it. It waits
# at most what is left of the half-second debounce since the first one's answer.
follow_after() {
    local gap=$1 name=$2 lines ms
    sleep 2
    echo f >"$tree/Reports/before-$name"
    sleep "$gap"
    lines=$(trace_lines)
    echo s >"$tree/Reports/$name"
    wait_for 20 answer_latency "$lines" "D:\\Reports\\$name" yes >/dev/null ||
        fail "the list did not follow $name, made $gap s after another change"
    ms=$(answer_latency "$lines" "D:\\Reports\\$name" yes)
    echo "list follows the disk: a change $gap s after another shown $ms ms after the index had it"
    # Before, it waited until 2 s after the refresh for the first: 1,346 ms at a 0.5 s gap.
    [ "$ms" -lt 1000 ] || fail "a change $gap s after another took $ms ms to reach the list"
}

# storm_searches FROM: "<answers> <during> <milliseconds>": the answers for "report" after trace
# line FROM, those of them that came while the storm still went on (a second after its first
# change was posted, before its last), and the time from the first change posted to the last.
storm_searches() {
    tail -n +"$(($1 + 1))" "$trace" | awk '
        $2 == "index-posted" { if (!first) first = $1; last = $1 }
        $2 == "results-for" && $3 == "report" { answers++; if (first) at[answers] = $1 }
        END {
            for (i = 1; i <= answers; i++) if (at[i] > first + 1000000 && at[i] < last) during++
            print answers + 0, during + 0, int((last - first) / 1000)
        }'
}

case $case_name in
look-light)
    check_look report 6D28D9 FFFFFF E6DEF5
    ;;
look-dark)
    check_look qhrhtj A78BFA 222327 342F48
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
typing)
    start_shown
    type_query 보고서
    expect_rows 보고서 'D:\보고서 2024' 'D:\보고서 2024\분기 보고서.hwp'
    ui_key "$window" ctrl+a BackSpace
    type_query report
    expect_rows report 'D:\보고서 2024\report, final.hwp' 'D:\Reports' 'D:\Reports\report-q1.pdf'
    ;;
filters)
    for look in en:1:size ko:0:크기; do
        IFS=: read -r language theme size <<<"$look"
        start_looking "$language" "$theme"
        type_query "$size:>1kb 보고서"
        expect_rows "$size:>1kb 보고서" 'D:\보고서 2024\분기 보고서.hwp'
        ui_key "$window" ctrl+a BackSpace
        type_query "보고서 $size:big"
        [ -z "$(rows_for "보고서 $size:big")" ] || fail "\"보고서 $size:big\" showed rows"
        sleep 0.5
        ui_capture "$window" "$state/filters-$language-message.png"
        xdotool mousemove --window "$window" $((960 - 36)) 36 click 1
        wait_for 10 more_menus_than settings 0 || fail "the settings menu did not open"
        # Search syntax is the fifth item from the top (Language, Automatic updates, Check for
        # updates, More apps, Search syntax).
        choose Down Down Down Down Down Return
        sleep 1
        ui_capture "$window" "$state/filters-$language-card.png"
        ui_key "$window" Escape
        sleep 1
        one_visible || fail "Esc on the card hid the window"
        ui_capture "$window" "$state/filters-$language-closed.png"
        stop_first
    done
    ;;
keys)
    export NORVIK_TEST_NO_LAUNCH=1
    start_shown
    type_query report
    first=$(rows_for report | sed -n 1p)
    second=$(rows_for report | sed -n 2p)
    [ "$first" = 'D:\보고서 2024\report, final.hwp' ] || fail "the newest match is not first: $first"
    wait_for 10 row_tinted 0 || fail "the first row is not tinted as selected"
    ui_key "$window" Return
    wait_for 10 traced_text open "$first" || fail "Enter did not open $first"
    ui_key "$window" ctrl+Return
    wait_for 10 traced_text start "\"C:\\windows\\explorer.exe\" /select,\"$first\"" ||
        fail "Ctrl+Enter did not start explorer with /select,\"$first\""
    ui_key "$window" ctrl+c
    wait_for 10 traced_text toast "Path copied" || fail "Ctrl+C showed no toast"
    sleep 0.5
    save_screen "$state/toast.png"
    [ "$(peer print-clipboard)" = "$first" ] || fail "the clipboard does not hold $first"
    ui_key "$window" Down
    wait_for 10 row_tinted 1 || fail "Down did not tint the second row"
    row_plain 0 || fail "the first row stayed tinted"
    ui_key "$window" Return
    wait_for 10 traced_text open "$second" || fail "Enter on the second row did not open $second"
    # Alt+Enter asks for the properties, and the keys typed after it reach the search box.
    ui_key "$window" alt+Return
    wait_for 10 traced_text properties "$second" ||
        fail "Alt+Enter did not ask for the properties of $second"
    ui_type "$window" 2
    wait_for 10 has_results_for report2 || fail "a key typed after Alt+Enter went nowhere"
    # The current tab is filled with the accent: All (from x 16), then Folders (from about 66).
    all_in "$window" 24 70 16 4 6D28D9 || fail "All is not the current tab"
    ui_key "$window" ctrl+Tab
    wait_for 10 all_in "$window" 80 70 16 4 6D28D9 || fail "Ctrl+Tab did not make Folders current"
    none_in "$window" 24 70 16 4 6D28D9 || fail "All kept the accent"
    ui_key "$window" Escape
    wait_for 10 none_visible || fail "Esc did not hide the window"
    ;;
menus)
    # Windows in English (wine-ui-env.sh): the menus of a new user follow it
    start_shown
    languages=$(printf '  %s\n' '---' '101 English' '102 한국어' '103 日本語' '104 简体中文' \
        '105 繁體中文' '106 Español' '107 Français' '108 Deutsch' '109 Português' '110 Русский')
    settings_menu() {  # settings_menu FOLLOW_MARK JA_MARK START_MARK
        echo "Language >"
        echo "  100 Follow Windows$1"
        echo "$languages" | sed "s/^\(  103 .*\)\$/\1$2/"
        printf '%s\n' '3 Automatic updates (checked)' '6 Check for updates' \
            '7 More apps from Kastrel' '11 Search syntax' '8 About Norvik' '---' '10 Export results…' \
            '2 Rebuild the file list' \
            'Excluded folders >' '  9 Exclude a folder…' "4 Start with Windows$3" '5 Quit'
    }
    click_settings() {
        xdotool mousemove --window "$window" $((960 - 36)) 36 click 1
    }
    open_menu settings click_settings
    settings_menu ' (checked)' '' ' (checked)' | expect_menu settings
    wait_for 10 run_value_is '"C:\norvik\Norvik.exe" --tray' || fail "no autostart entry at start"
    choose Up Up Return  # Start with Windows
    wait_for 10 norvik_value_is AutoStart 0x0 || fail "AutoStart was not written as 0"
    wait_for 10 no_run_value || fail "the Run value stayed"
    open_menu settings click_settings
    choose Down Right Down Down Down Return  # Language, Follow Windows, English, 한국어, 日本語
    wait_for 10 norvik_value_is Language ja || fail "Language was not written as ja"
    wait_for 10 traced_text toast "Takes effect the next time Norvik starts" ||
        fail "no restart toast"
    open_menu settings click_settings
    settings_menu '' ' (checked)' '' | expect_menu settings
    save_screen "$state/settings-menu.png"
    choose Escape

    open_menu tray peer post-message WM_APP_TRAY 0 WM_RBUTTONUP
    {
        printf '%s\n' '1 Open (default)' '2 Rebuild the file list' '---' \
            '3 Automatic updates (checked)' 'Language >' '  100 Follow Windows'
        echo "$languages" | sed 's/^\(  103 .*\)$/\1 (checked)/'
        printf '%s\n' '4 Start with Windows' '---' '5 Quit'
    } | expect_menu tray
    choose Up Up Return  # Start with Windows
    wait_for 10 norvik_value_is AutoStart 0x1 || fail "AutoStart was not written as 1"
    wait_for 10 run_value_is '"C:\norvik\Norvik.exe" --tray' || fail "no Run value written"

    ui_focus "$window"
    type_query report
    name=$(rows_for report | sed -n 1p)
    name=${name##*\\}
    # Near the right edge: a menu wholly inside the window stays black under Wine (wine-notes).
    right_click_first_row() { xdotool mousemove --window "$window" 880 156 click 3; }
    open_menu context right_click_first_row
    printf '%s\n' '1 Open (default)' '6 Open with…' '2 Open folder' '---' '8 Copy' '3 Copy path' \
        '4 Copy name' '---' '7 Properties' '---' '9 More options' | expect_menu context
    sleep 1  # the menu's window is drawn a moment after it is built
    save_screen "$state/context-menu.png"
    choose Up Up Up Return  # Copy name
    wait_for 10 traced_text toast "Name copied" || fail "Copy name showed no toast"
    [ "$(peer print-clipboard)" = "$name" ] || fail "the clipboard does not hold $name"

    # The header's menu of orders: the one shown checked; Best match leads back from a column.
    # Then the column's width, a step at a time.
    header_menu() {  # header_menu BEST_MARK DATE_MARK
        printf '%s\n' "1 Best match$1" '---' '2 Name' '3 Folder' '4 Size' "5 Date modified$2" \
            '---' '6 Widen column' '7 Narrow column'
    }
    right_click_header() { xdotool mousemove --window "$window" 880 120 click 3; }
    open_menu header right_click_header
    header_menu ' (checked)' '' | expect_menu header
    choose Up Up Up Return  # past Narrow and Widen column: Date modified
    open_menu header right_click_header
    header_menu '' ' (checked)' | expect_menu header
    save_screen "$state/header-menu.png"
    choose Down Return  # Best match
    open_menu header right_click_header
    header_menu ' (checked)' '' | expect_menu header
    choose Escape
    ;;
exclude)
    wine reg add 'HKCU\Software\Norvik' /v ExcludedFolders /t REG_MULTI_SZ /d 'D:\photos' /f \
        </dev/null >/dev/null 2>&1
    start_shown
    ui_focus "$window"
    # retype QUERY: a fresh answer to QUERY, typed into a cleared box with the trace started over.
    retype() {
        ui_key "$window" ctrl+a BackSpace
        : >"$trace"
        type_query "$1"
    }
    type_query holiday
    [ -z "$(rows_for holiday)" ] || fail "a file of an excluded folder was shown"
    click_settings() { xdotool mousemove --window "$window" $((960 - 36)) 36 click 1; }
    open_menu settings click_settings
    diff <(last_menu settings | grep -A3 '^Excluded folders >$') - >&2 <<'EOF2' ||
Excluded folders >
  1000 D:\photos
  ---
  9 Exclude a folder…
EOF2
        fail "the Excluded folders submenu differs (above: < shown, > expected)"
    choose Up Up Up Right Return  # Excluded folders, D:\photos
    retype holiday
    expect_rows holiday 'D:\photos\holiday.jpg'

    retype photos
    right_click_first_row() { xdotool mousemove --window "$window" 880 156 click 3; }
    open_menu context right_click_first_row
    printf '%s\n' '1 Open (default)' '2 Open folder' '---' '8 Copy' '3 Copy path' '4 Copy name' \
        '---' '5 Exclude from Norvik' '---' '7 Properties' '---' '9 More options' |
        expect_menu context
    choose Up Up Up Return  # Exclude from Norvik
    wait_for 10 norvik_value_is ExcludedFolders 'D:\photos' || fail "ExcludedFolders was not written"
    wait_for 10 traced_text toast 'Excluded from Norvik: D:\photos' || fail "no toast said what left"
    sleep 0.5
    save_screen "$state/exclude-toast.png"
    # Its Undo (Ctrl+Z here; the button is a click on the same command) includes it again.
    ui_key "$window" ctrl+z
    still_excluded() { norvik_value_is ExcludedFolders 'D:\photos'; }
    wait_for 10 eval '! still_excluded' || fail "Undo left D:\photos excluded"
    retype holiday
    expect_rows holiday 'D:\photos\holiday.jpg'
    retype photos
    open_menu context right_click_first_row
    choose Up Up Up Return  # Exclude from Norvik
    wait_for 10 norvik_value_is ExcludedFolders 'D:\photos' || fail "ExcludedFolders was not written"
    retype holiday
    [ -z "$(rows_for holiday)" ] || fail "the excluded folder's file stayed"
    ;;
hot-key-taken)
    peer hold-hot-key 300000 >"$state/held" &
    wait_for 20 grep -q held "$state/held" || fail "the peer could not take Ctrl+Alt+F"
    start_shown
    # The notice replaces the grey hints in the right half of the status line (its last 30 pixels).
    notice_shown() {
        ui_capture "$window" "$shot"
        local width height
        width=$(identify -format %w "$shot")
        height=$(identify -format %h "$shot")
        [ "$(ui_count_colour "$shot" $((width / 2)) $((height - 25)) $((width / 2 - 16)) 20 \
            DC2626)" -gt 50 ]
    }
    wait_for 10 notice_shown || fail "no red notice in the status line"
    save_screen "$state/hot-key-taken.png"
    ui_key "$window" Escape
    wait_for 10 none_visible || fail "Esc did not hide the window"
    tray=$(ui_find_window '^Wine System Tray$' 10) || fail "no tray icon"
    xdotool mousemove --window "$tray" 8 8 click 1
    wait_for 10 one_visible || fail "a click on the tray icon did not show the window"
    ;;
reading)
    # Rows for "report", newest first: the folder Reports, the deep file, "report, final.hwp",
    # the long name, report-q1.pdf.
    deep="$tree/깊은폴더1"
    for level in 2 3 4 5 6 7 8 9 10; do deep+="/level$level"; done
    mkdir -p "$deep"
    long="report"
    while [ ${#long} -lt 215 ]; do long+=" of the quarterly planning"; done
    long="${long:0:215} final name.pdf"
    echo e >"$tree/Reports/$long"
    touch -d '1 hour ago' "$tree/Reports/$long"
    echo f >"$deep/report deep.txt"
    for look in en:1:96 ko:0:144; do
        IFS=: read -r language theme dpi <<<"$look"
        wine reg add 'HKCU\Software\Norvik' /v Language /t REG_SZ /d "$language" /f \
            </dev/null >/dev/null 2>&1
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
            </dev/null >/dev/null 2>&1
        set_theme "$theme"
        start_shown
        type_query report
        at() { echo $(($1 * dpi / 96)) $(($2 * dpi / 96)); }  # DIPs to pixels
        picture() { sleep 1.5 && ui_capture "$window" "$state/reading-$language-$1.png"; }
        xdotool mousemove --window "$window" $(at 700 450)  # away from the rows
        picture rows
        xdotool mousemove --window "$window" $(at 200 252)  # the long name (fourth row)
        picture tooltip-name
        xdotool mousemove --window "$window" $(at 450 188)  # the deep folder (second row)
        picture tooltip-folder
        xdotool mousemove --window "$window" $(at 700 450)
        ui_key "$window" ctrl+c
        sleep 1 && ui_capture "$window" "$state/reading-$language-toast.png"
        ui_key "$window" alt+5  # Music: nothing for "report"
        picture empty-tab
        ui_key "$window" ctrl+shift+Tab ctrl+shift+Tab ctrl+shift+Tab ctrl+shift+Tab
        # The smallest window: 560 x 360 less Wine's frame (8 x 30), the client area captured;
        # then sorted by Name, its mark beside a label cut short.
        xdotool windowsize "$window" $(at 552 330)
        picture minimum
        xdotool mousemove --window "$window" $(at 60 125) click 1
        picture minimum-sorted
        xdotool mousemove --window "$window" $(at 150 252)
        picture minimum-tooltip
        stop_first
    done
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
        </dev/null >/dev/null 2>&1
    ;;
languages)
    for look in ko:1:보고서 en:0:report ja:1:report; do
        IFS=: read -r language theme query <<<"$look"
        start_looking "$language" "$theme"
        type_query "$query"
        # Near the right edge, where the menu is drawn under Wine (wine-notes).
        right_click_first_row() { xdotool mousemove --window "$window" 880 156 click 3; }
        open_menu context right_click_first_row
        case $language in
        # 보고서's first row is the folder "보고서 2024", which can also be excluded.
        ko) expected=('1 열기 (default)' '2 폴더 열기' '---' '8 복사' '3 경로 복사' '4 이름 복사'
            '---' '5 Norvik에서 제외' '---' '7 속성' '---' '9 추가 옵션') ;;
        en) expected=('1 Open (default)' '6 Open with…' '2 Open folder' '---' '8 Copy'
            '3 Copy path' '4 Copy name' '---' '7 Properties' '---' '9 More options') ;;
        ja) expected=('1 開く (default)' '6 プログラムから開く…' '2 フォルダーを開く' '---'
            '8 コピー' '3 パスをコピー' '4 名前をコピー' '---' '7 プロパティ' '---'
            '9 その他のオプション') ;;
        esac
        printf '%s\n' "${expected[@]}" | expect_menu context
        sleep 1  # the menu's window is drawn a moment after it is built
        save_screen "$state/context-menu-$language.png"
        choose Escape
        sleep 0.5
        ui_capture "$window" "$state/window-$language.png"
        stop_first
    done
    ;;
columns)
    start_shown
    type_query report  # rows, to see their sizes follow the Size header
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The default split puts the Folder|Size border 248 pixels from the right edge (Size 86,
    # Date modified 136, the scroll bar strip 10 and the margin 16 to its right).
    border=$((WIDTH - 248))
    column_widths() { reg_value 'HKCU\Software\Norvik' ColumnWidths; }
    sized() { column_widths | grep -q 'BA00000088000000$'; }
    reset() { column_widths >/dev/null && ! sized; }
    xdotool mousemove --window "$window" "$border" 125 mousedown 1
    sleep 0.3
    xdotool mousemove --window "$window" $((border - 50)) 125
    sleep 0.3
    xdotool mousemove --window "$window" $((border - 100)) 125 mouseup 1
    wait_for 10 sized || fail "ColumnWidths does not hold Size 186, Date 136: $(column_widths)"
    xdotool mousemove --window "$window" 700 450
    sleep 1.5 && ui_capture "$window" "$state/columns-dragged.png"
    stop_first
    start_shown
    xdotool mousemove --window "$window" $((border - 100)) 125 click --repeat 2 --delay 80 1
    wait_for 10 reset || fail "a double click on the restored border did not reset: $(column_widths)"
    ;;
alt-enter)
    # As run.sh leaves Wine's windows on a display with no window manager: unmanaged. There, Alt
    # let go after a handled Alt+Enter called the window menu, and the keys typed next went to
    # it (nowhere to be seen) until Esc.
    export NORVIK_TEST_NO_LAUNCH=1
    wine reg add "$x11_key" /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -k </dev/null >/dev/null 2>&1 || true
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
    wine wineboot </dev/null >/dev/null 2>&1 || true
    start_shown
    type_query report
    ui_key "$window" alt+Return
    wait_for 10 traced properties || fail "Alt+Enter did not ask for the properties"
    ui_type "$window" 2
    wait_for 10 has_results_for report2 || fail "a key typed after Alt+Enter went nowhere"
    ui_key "$window" Escape
    wait_for 10 none_visible || fail "Esc after Alt+Enter did not hide the window"
    wine reg delete "$x11_key" /v Managed /f </dev/null >/dev/null 2>&1 || true
    ;;
follows-disk)
    start_shown
    type_query report
    # Seen once in eight runs under load: the first file made on D: never reached the index,
    # most likely made before Wine's watch of D:\Reports was in place (what changes before then
    # is never reported; see wine-notes). A first file, made again until the list has it, shows
    # the watch is whole before anything is timed.
    for attempt in 1 2 3; do
        lines=$(trace_lines)
        echo w >"$tree/Reports/report-warm-$attempt.txt"
        wait_for 10 answer_latency "$lines" "D:\\Reports\\report-warm-$attempt.txt" yes \
            >/dev/null && break
        [ "$attempt" -lt 3 ] || fail "the list never followed a file made on D:"
    done
    follow_change 'D:\Reports\report-new.txt' yes creation \
        sh -c "echo n >'$tree/Reports/report-new.txt'"
    follow_change 'D:\Reports\report-new.txt' no deletion rm "$tree/Reports/report-new.txt"
    follow_change 'D:\Reports\report-q2.pdf' yes rename \
        mv "$tree/Reports/report-q1.pdf" "$tree/Reports/report-q2.pdf"
    follow_after 0.5 report-gap-half.txt
    follow_after 1 report-gap-one.txt
    sleep 2
    lines=$(trace_lines)
    for i in $(seq 1 40); do
        echo s >"$tree/Reports/report-storm-$i.txt"
        sleep 0.1
    done
    sleep 2  # the last debounce runs out
    read -r answers during span < <(storm_searches "$lines")
    echo "list follows the disk: a storm of 40 creations posted over $span ms, $answers answers" \
        "($during while it went on)"
    # One at its start, then at most one per half-second debounce, and the one the last change
    # armed.
    [ "$answers" -le $((span / 500 + 2)) ] || fail "the storm searched $answers times in $span ms"
    # The list moves while the storm lasts, not only once it is over.
    [ "$span" -lt 4000 ] || [ "$during" -ge 1 ] || fail "no answer while the storm went on"
    ;;
copy-files)
    start_shown
    type_query report
    first=$(rows_for report | sed -n 1p)
    ui_key "$window" ctrl+shift+c
    wait_for 10 traced_text toast "Copied. Paste it into a folder or a message" ||
        fail "Ctrl+Shift+C showed no toast"
    # Another process reads the files back from the clipboard, as the file manager would.
    [ "$(peer print-files | tr -d '\r')" = "$first" ] || fail "the clipboard holds no CF_HDROP of $first"
    ;;
delete)
    start_shown
    type_query report
    first=$(rows_for report | sed -n 1p)
    [ "$first" = 'D:\보고서 2024\report, final.hwp' ] || fail "the newest match is not first: $first"
    ui_key "$window" Delete
    wait_for 10 traced_text recycle "$first" || fail "Del did not hand $first to the shell"
    # Wine asks before it moves a file to its trash (Windows does as the Recycle Bin is set).
    if question=$(ui_find_window '^Confirm' 10); then
        save_screen "$state/delete-question.png"
        ui_key "$question" Return
    fi
    wait_for 20 test ! -e "$tree/보고서 2024/report, final.hwp" || fail "the file is still there"
    ls "$XDG_DATA_HOME/Trash/files/report, final.hwp" >/dev/null 2>&1 ||
        fail "the file did not reach the trash ($XDG_DATA_HOME/Trash/files)"
    gone() { [ "$(rows_for report | grep -cxF "$first")" = 0 ] && has_results_for report; }
    wait_for 20 gone || fail "the row of $first stayed in the list"
    ;;
export)
    rm -f "$WINEPREFIX/drive_c/export.csv"  # the prefix outlives a run: no replace question
    start_shown
    type_query report
    ui_key "$window" ctrl+s
    dialog=$(ui_find_window '^Save' 20) || fail "Ctrl+S showed no save dialog"
    save_screen "$state/export-dialog.png"
    ui_key "$dialog" ctrl+a
    xdotool type --delay 30 'C:\export.csv'
    xdotool key Return
    wait_for 30 traced_text toast "Exported 3 results" || fail "the export did not report 3 results"
    /usr/bin/python3 - "$WINEPREFIX/drive_c/export.csv" <<'PY' || fail "the CSV does not read back"
import csv, sys
raw = open(sys.argv[1], "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), "no BOM"
rows = list(csv.reader(raw[3:].decode("utf-8").splitlines()))
assert rows[0] == ["Name", "Folder", "Size (bytes)", "Date modified", "Kind"], rows[0]
names = sorted((r[0], r[1], r[4]) for r in rows[1:])
assert names == [("Reports", "D:\\", "Folder"), ("report, final.hwp", "D:\\보고서 2024", "Document"),
                 ("report-q1.pdf", "D:\\Reports", "Document")], names
assert all(r[3].endswith("Z") for r in rows[1:]), rows
PY
    ;;
drag)
    start_shown
    type_query report
    first=$(rows_for report | sed -n 1p)
    dropped=$state/dropped.txt
    rm -f "$dropped"
    peer drop-target 60 >"$dropped" &
    wait_for 20 grep -q ready "$dropped" || fail "the drop target did not start"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # A press on the first row, a move past the drag distance, then over the drop target.
    xdotool mousemove $((X + 300)) $((Y + 156)) mousedown 1
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((X + 300 + step * 3)) $((Y + 156)) && sleep 0.1
    done
    wait_for 10 traced drag-start || fail "the row did not start a drag"
    for step in 1 2 3 4 5; do
        xdotool mousemove $((1150 + step * 10)) 400 && sleep 0.2
    done
    xdotool mouseup 1
    # The drag's own loop ends with the button: Norvik takes keys and clicks again.
    wait_for 10 traced drag-end || fail "the drag did not end when the button came up"
    # Wine 8 ends a drag over another process's window as cancelled (DRAGDROP_S_CANCEL, 0x40101,
    # measured), so the drop itself is checked only where the system delivers it.
    if wait_for 5 grep -qxF "$first" <(tr -d '\r' <"$dropped"); then
        echo "the drop target received CF_HDROP of $first"
    else
        echo "the drop target received nothing (Wine: $(grep ' drag-end ' "$trace" | tail -n 1))"
    fi
    ui_key "$window" ctrl+c
    wait_for 10 traced_text toast "Path copied" || fail "the window took no keys after the drag"
    ;;
system-menu)
    start_shown
    type_query report
    eval "$(xdotool getwindowgeometry --shell "$window")"
    ui_focus "$window"
    xdotool mousemove $((X + 300)) $((Y + 156)) keydown shift click 3 keyup shift
    wait_for 10 more_menus_than system 0 || fail "Shift+right-click showed no system menu"
    sleep 1
    save_screen "$state/system-menu.png"
    echo "the system's menu under Wine:"
    last_menu system
    xdotool key Escape
    ;;
*)
    fail "unknown case"
    ;;
esac
echo "passed: $case_name"
