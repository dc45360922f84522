#!/usr/bin/env bash
# Fuzzes the index file reader, then the change watcher's buffer reading, each for a bounded
# time: builds the clang fuzz preset, seeds the corpus with valid index files, and runs libFuzzer.
# Exits non-zero when a fuzzer finds a crash.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${NORVIK_JOBS:-$(nproc)}
build=build/fuzz

cmake --preset fuzz >/dev/null
cmake --build "$build" --target load_index_fuzz index_seed_writer watch_records_fuzz -j "$jobs" >/dev/null

corpus=$build/corpus/load_index
mkdir -p "$corpus" "$build/crashes"
"$build/tests/fuzz/index_seed_writer" "$corpus"

# The library sanitizers are compiled into the library too, so ASan and UBSan cover the reader.
"$build/tests/fuzz/load_index_fuzz" "$corpus" \
    -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$build/crashes/" -print_final_stats=1 2>&1 | tail -n 15
status=${PIPESTATUS[0]}

# The change watcher's notification buffers, batches and their application (no seeds needed:
# the target can take its events as text).
mkdir -p "$build/corpus/watch_records"
"$build/tests/fuzz/watch_records_fuzz" "$build/corpus/watch_records" \
    -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$build/crashes/" -print_final_stats=1 2>&1 | tail -n 5
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
if [ "$status" -ne 0 ]; then
    echo "fuzzing found a failure; inputs are in $build/crashes" >&2
fi
exit "$status"
