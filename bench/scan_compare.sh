#!/usr/bin/env bash
# Times `norvik-cli index` against find and fd on the same folders, warm cache, median of runs:
#   /usr, and a generated tree of 1,000,000 files and folders (made once with the benchmark
#   generator's write_tree and kept under the build folder).
# Goals: norvik-cli index at most 0.6x the time of `find ROOT -printf '%s %T@\n'` (which, like
# the index, reads each item's size and time), and faster than `fdfind -u . ROOT`.
# Usage: bench/scan_compare.sh [BUILD_DIR] [RUNS]   (default build/native, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
runs=${2:-5}
items=${NORVIK_BENCH_TREE_ITEMS:-1000000}

cmake --build "$build" --target norvik-cli bench_tree_writer -j "${NORVIK_JOBS:-2}" >/dev/null
cli=$build/src/cli/norvik-cli
tree=$build/bench-tree
if [ ! -f "$tree/complete-$items" ]; then
    echo "generating a tree of $items items under $tree (once) ..." >&2
    rm -rf "$tree"
    mkdir -p "$tree"
    "$build/bench/bench_tree_writer" "$tree/root" "$items"
    touch "$tree/complete-$items"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Milliseconds of one run of the command.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median_ms() {
    local times=()
    for _ in $(seq "$runs"); do times+=("$(time_ms "$@")"); done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

norvik_index() { "$cli" index --output "$scratch/index.bin" "$1"; }
find_stat() { find "$1" -printf '%s %T@\n'; }
fd_all() { fdfind -u . "$1"; }

printf '%-28s %10s %10s %10s %10s %12s %10s\n' root items norvik_ms find_ms fd_ms norvik/find norvik/fd
for root in /usr "$tree/root"; do
    count=$(find "$root" | wc -l)
    find "$root" >/dev/null 2>&1 || true  # warm the cache
    norvik=$(median_ms norvik_index "$root")
    find_time=$(median_ms find_stat "$root")
    fd_time=$(median_ms fd_all "$root")
    label=$root
    [ "$root" = "$tree/root" ] && label="generated ($items)"
    printf '%-28s %10s %10s %10s %10s %12s %10s\n' "$label" "$count" "$norvik" "$find_time" \
        "$fd_time" "$(awk -v a="$norvik" -v b="$find_time" 'BEGIN{printf "%.2f", a/b}')" \
        "$(awk -v a="$norvik" -v b="$fd_time" 'BEGIN{printf "%.2f", a/b}')"
done
echo "processors: $(nproc); norvik-cli workers: the default (worker_count of one root)"
