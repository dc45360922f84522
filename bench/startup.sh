#!/usr/bin/env bash
# How soon Norvik.exe is of use after it starts, under Wine on the UI tests' display, with a saved
# index of ITEMS entries (bench/norvik_under_wine.sh; the first run of a size builds it). The
# program is started RUNS times (5); each run's trace gives, from the program's entry:
#   index-ready   the saved index is loaded and can be searched
#   first-frame   the first paint has ended (Present included)
#   device        the drawing device's creation, begin -> end
# and the medians are printed.
# Usage: [NORVIK_EXE=path] [RUNS=5] startup.sh WINDOWS_BUILD NATIVE_BUILD [ITEMS (1000000)]
set -euo pipefail
win_build=$(cd "$1" && pwd) native_build=$(cd "$2" && pwd) items=${3:-1000000}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/norvik_under_wine.sh"

index_file=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Norvik/index.bin
start_norvik() {
    rm -f "$trace"
    wine 'C:\norvik\Norvik.exe' </dev/null >/dev/null 2>&1 &
    norvik_pid=$!
}
stop_norvik() {
    kill "$norvik_pid" 2>/dev/null || true
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wait "$norvik_pid" 2>/dev/null || true
    norvik_pid=
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
}

if [ ! -s "$index_file" ]; then
    echo "building the index of $items items" >&2
    start_norvik
    wait_for 3600 traced index-complete || { echo "the index was not built" >&2; exit 1; }
    wait_for 120 test -s "$index_file" || { echo "the index was not saved" >&2; exit 1; }
    sleep 2
    stop_norvik
fi

results=()
for ((run = 0; run < ${RUNS:-5}; run++)); do
    start_norvik
    wait_for 120 traced index-ready || { echo "run $run: the index never became ready" >&2; exit 1; }
    wait_for 60 traced paint-end || { echo "run $run: no frame was drawn" >&2; exit 1; }
    results+=("$(awk '
        $2 == "entry" { entry = $1 }
        $2 == "index-ready" && !ready { ready = $1 - entry }
        $2 == "paint-end" && !frame { frame = $1 - entry }
        $2 == "device-begin" && !began { began = $1 }
        $2 == "device-end" && !device { device = $1 - began }
        END { printf "%d %d %d\n", ready, frame, device }' "$trace")")
    stop_norvik
done

# Microseconds in the trace; each figure is printed in milliseconds.
printf '%s\n' "${results[@]}" | awk '
    function median(list, n,    i, j, t) {
        for (i = 2; i <= n; i++) { t = list[i]; for (j = i - 1; j >= 1 && list[j] > t; j--) list[j + 1] = list[j]; list[j + 1] = t }
        return list[int((n - 1) / 2) + 1]
    }
    { ready[NR] = $1; frame[NR] = $2; device[NR] = $3 }
    END {
        printf "runs %d\n", NR
        printf "start-to-index-ready median %.1f ms\n", median(ready, NR) / 1000
        printf "start-to-first-frame median %.1f ms\n", median(frame, NR) / 1000
        printf "device-creation median %.1f ms\n", median(device, NR) / 1000
    }'
