#!/usr/bin/env bash
# The end-to-end delay of the change watcher under Wine: builds watch_latency_bench in a Windows
# build tree and runs it (median of 20 creations). Usage: bench/watch_latency.sh [BUILD_DIR]
# (default build/windows, configured with the windows preset when missing). With BENCH set, runs
# that Wine benchmark of tests/watch instead (bench/attribute_storm.sh).
set -euo pipefail
bench=${BENCH:-watch_latency_bench}
cd "$(dirname "$0")/.."
build=${1:-build/windows}
if [ ! -f "$build/CMakeCache.txt" ]; then cmake --preset windows >/dev/null; fi
cmake --build "$build" --target "$bench" -j "${JOBS:-2}" >/dev/null
export WINEPREFIX=${WINEPREFIX:-$(cd "$build" && pwd)/wineprefix} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then wineboot -i </dev/null >/dev/null 2>&1 || true; fi
# A server started here, detached from our pipes, and ended when the run is over.
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
wine "$build/tests/watch/$bench.exe"
