# Sourced by the benchmarks that time Norvik.exe under Wine (keystroke.sh, startup.sh), with
# win_build, native_build and items set: the UI tests' display, a generated tree of ITEMS files
# and folders as the prefix's D: drive, the program copied into the prefix (NORVIK_EXE measures
# another build), its trace file, and the helpers that wait on what it traces.
# The tree, the prefix and the index the program saved live in WINDOWS_BUILD/keystroke-ITEMS and
# are reused by later runs, so only the first run of a size waits for the index to be built.
source "$root/tests/ui_support/wine-ui-env.sh" "$win_build"  # the display; the prefix is ours
source "$root/tests/ui_support/ui.sh"

state=$win_build/keystroke-$items
tree=$state/tree
export WINEPREFIX=$state/prefix
mkdir -p "$state"
if [ ! -e "$state/tree.done" ]; then
    echo "writing a tree of $items items" >&2
    rm -rf "$tree"
    "$native_build/bench/bench_tree_writer" "$tree" "$items"
    touch "$state/tree.done"
fi
if [ ! -e "$state/prefix.done" ]; then
    "$root/scripts/wine-prefix.sh" "$WINEPREFIX" --drive-d "$tree" --without-z \
        </dev/null >/dev/null
    touch "$state/prefix.done"
fi
mkdir -p "$WINEPREFIX/drive_c/norvik"
# NORVIK_EXE measures another build of the program (an older one, to compare) on the same tree.
cp "${NORVIK_EXE:-$win_build/src/app/program/Norvik.exe}" "$WINEPREFIX/drive_c/norvik/Norvik.exe"

# The trace lives outside C: and D:, or each of its lines would be a change to index.
trace=$state/trace.txt
export NORVIK_TRACE="\\\\?\\unix${trace//\//\\}"
rm -f "$trace"
cleanup() {
    [ -z "${norvik_pid:-}" ] || kill "$norvik_pid" 2>/dev/null || true
    wineserver -k </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT
setsid wineserver -p </dev/null >/dev/null 2>&1 || true
# The program's autostart value would start a Norvik of its own (in the tray) when Wine boots.
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Norvik /f \
    </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true

traced() { grep -q " $1 " "$trace" 2>/dev/null; }
has_results_for() { cut -d' ' -f2- "$trace" 2>/dev/null | grep -qxF -- "results-for $1"; }
wait_for() {  # wait_for SECONDS COMMAND...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

