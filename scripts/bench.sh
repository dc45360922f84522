#!/usr/bin/env bash
# Builds the native preset's benchmark programs (every target named *_bench) and runs each one
# found in build/native/bench/, printing its results. Arguments go to every benchmark program,
# e.g. scripts/bench.sh --benchmark_filter=BM_AddEntry. JOBS sets the build's parallel jobs (2).
# With --all (first argument) it then also times the scan against find and fd
# (bench/scan_compare.sh) and the watcher's end-to-end delay under Wine (bench/watch_latency.sh).
# With --keystroke [ITEMS] it only measures typing into Norvik.exe under Wine and Xvfb over a
# generated tree of ITEMS entries (1,000,000; the index is built once and reused), building the
# Windows preset's program and the native tree writer first (bench/keystroke.sh). With --startup
# [ITEMS] it times the start-up over that tree's saved index instead (bench/startup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
all=0
if [ "${1:-}" = --all ]; then all=1; shift; fi
if [ "${1:-}" = --keystroke ] || [ "${1:-}" = --startup ]; then
  cmake --preset native >/dev/null
  cmake --preset windows >/dev/null
  cmake --build --preset native --target bench_tree_writer -j "${JOBS:-2}"
  cmake --build --preset windows --target Norvik -j "${JOBS:-2}"
  exec "bench/${1#--}.sh" build/windows build/native "${2:-1000000}"
fi

cmake --preset native >/dev/null
build=build/native
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\([A-Za-z0-9_]*_bench\): phony$/\1/p' | sort -u)
if [ -z "$targets" ]; then
  echo "no benchmark targets (*_bench) in $build" >&2
  exit 1
fi
# shellcheck disable=SC2086
cmake --build --preset native --target $targets -j "${JOBS:-2}"

status=0
found=0
while IFS= read -r -d '' program; do
  found=1
  echo "=== $(basename "$program")"
  "$program" "$@" || { echo "$(basename "$program") failed" >&2; status=1; }
  echo
done < <(find "$build/bench" -type f -name '*_bench' -perm -u+x -print0 | sort -z)
[ "$found" = 1 ] || { echo "no benchmark programs in $build/bench" >&2; exit 1; }
if [ "$all" = 1 ]; then
  echo "=== scan: norvik-cli index against find and fd"
  bench/scan_compare.sh "$build" || status=1
  echo "=== change watcher: file created to entry searchable, under Wine"
  bench/watch_latency.sh || status=1
fi
exit $status
