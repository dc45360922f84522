#!/usr/bin/env bash
# Fuzzes the index file reader, then the change watcher's buffer reading, each for a bounded
# time: builds the clang fuzz preset, seeds the corpus with valid index files, and runs libFuzzer.
# Every fuzzer runs whatever the ones before it found; exits non-zero when any found a crash,
# naming each one.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${NORVIK_JOBS:-$(nproc)}
build=build/fuzz

cmake --preset fuzz >/dev/null
cmake --build "$build" --target load_index_fuzz index_seed_writer watch_records_fuzz -j "$jobs" >/dev/null

mkdir -p "$build/crashes"
failed=()

# run_fuzzer NAME CORPUS LINES [libFuzzer options...]: runs one fuzzer, shows the last LINES lines
# of its report, and records it when it fails. The pipeline's status is the fuzzer's own, read
# from PIPESTATUS (set -e must not end the script on it).
run_fuzzer() {
    local name=$1 corpus=$2 lines=$3
    shift 3
    mkdir -p "$corpus"
    local status=0
    "$build/tests/fuzz/$name" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -artifact_prefix="$build/crashes/$name-" -print_final_stats=1 "$@" 2>&1 |
        tail -n "$lines" || true
    status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        echo "$name found a failure (exit $status); its inputs are in $build/crashes/$name-*" >&2
        failed+=("$name")
    fi
}

# The library sanitizers are compiled into the library too, so ASan and UBSan cover the reader.
"$build/tests/fuzz/index_seed_writer" "$build/corpus/load_index"
run_fuzzer load_index_fuzz "$build/corpus/load_index" 15 -max_len=65536

# The change watcher's notification buffers, batches and their application (no seeds needed:
# the target can take its events as text).
run_fuzzer watch_records_fuzz "$build/corpus/watch_records" 5 -max_len=4096

if [ "${#failed[@]}" -ne 0 ]; then
    echo "fuzzing found failures in: ${failed[*]}" >&2
    exit 1
fi
