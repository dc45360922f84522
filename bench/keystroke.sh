#!/usr/bin/env bash
# The delay a person feels while typing: Norvik.exe under Wine, on the UI tests' display, indexes
# a generated tree of ITEMS files and folders (its D: drive), then six queries are typed into it
# one key at a time, at a typist's pace, while the program traces each step. Prints the
# medians (and the 90th percentile of the first) of:
#   keystroke-to-paint  WM_CHAR arrives -> the paint that first shows its search's answer begins
#   search              the search is handed to the worker -> the worker posts its answer
#   wait                the answer posted -> the window takes it
#   frame               that paint's begin -> end (Present included)
# Usage: [NORVIK_EXE=path] [AFTER_RESCAN=1] [RESCAN=1] keystroke.sh WINDOWS_BUILD NATIVE_BUILD [ITEMS (1000000)]
# The tree, the prefix and the index are kept and reused (bench/norvik_under_wine.sh).
set -euo pipefail
win_build=$(cd "$1" && pwd) native_build=$(cd "$2" && pwd) items=${3:-1000000}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/norvik_under_wine.sh"

wine 'C:\norvik\Norvik.exe' </dev/null >/dev/null 2>&1 &
norvik_pid=$!
window=$(ui_find_window '^Norvik$' 120)
# The first run of a size builds the index (typing starts once it is complete); later ones load
# it and type while the refresh that follows a start rescans the drives, as a user who opens
# the window at once would. With AFTER_RESCAN=1 typing waits until that refresh is over (the
# index changes again), to compare a search during a rescan with one without.
wait_for 3600 traced index-complete || { echo "the index was not built" >&2; exit 1; }
if [ "${AFTER_RESCAN:-0}" = 1 ]; then
    rescanned() { [ "$(grep -c ' index-posted ' "$trace")" -ge 2 ]; }
    wait_for 1800 rescanned || { echo "the rescan did not end" >&2; exit 1; }
fi
sleep 2

queries=("report" "2026 report" "qhrhtj" "보고서" "*.hwp" "ext:pdf,hwp")
for query in "${queries[@]}"; do
    # RESCAN=1: each query is typed while a rescan of every drive runs (F5, in the background
    # mode as a refresh is), to compare a search during a rescan with one without.
    if [ "${RESCAN:-0}" = 1 ]; then
        ui_key "$window" F5
        sleep 0.3
    fi
    for ((i = 0; i < ${#query}; i++)); do
        ui_type "$window" "${query:i:1}"
        sleep 0.2  # a typist's pace: each key's answer has time to be drawn
    done
    wait_for 30 has_results_for "$query" || echo "no results traced for \"$query\"" >&2
    ui_key "$window" ctrl+a BackSpace
    sleep 0.5
done
sleep 1

# Microseconds in the trace; each figure is printed in milliseconds.
awk '
    function median(list, n,    sorted) { return pick(list, n, 0.5) }
    function pick(list, n, q,    i, j, t, a) {
        if (n == 0) return -1
        for (i = 1; i <= n; i++) a[i] = list[i]
        for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
        return a[int(q * (n - 1)) + 1]
    }
    $2 == "char" { char_at = $1; next }
    # A control key (Ctrl+A, Backspace) also arrives as WM_CHAR but starts no search: its
    # generation is the one before, already answered.
    $2 == "query" && !($3 in queried) { keyed[$3] = char_at; queried[$3] = $1; open[$3] = 1; next }
    $2 == "search-done" { done_at = $1; next }
    $2 == "results" && ($3 in queried) && !($3 in taken) {
        taken[$3] = 1
        searches[++ns] = done_at - queried[$3]
        waits[++nw] = $1 - done_at
        next
    }
    $2 == "paint-begin" {
        begun = $1; shown = 0
        for (g in open) if (g + 0 <= $3 + 0) { paints[++np] = $1 - keyed[g]; delete open[g]; shown = 1 }
        next
    }
    $2 == "paint-end" && shown { frames[++nf] = $1 - begun; shown = 0 }
    END {
        printf "keystrokes %d\n", np
        printf "keystroke-to-paint median %.1f ms p90 %.1f ms\n", median(paints, np) / 1000, pick(paints, np, 0.9) / 1000
        printf "search median %.1f ms\n", median(searches, ns) / 1000
        printf "wait median %.1f ms\n", median(waits, nw) / 1000
        printf "frame median %.1f ms\n", median(frames, nf) / 1000
    }' "$trace"
