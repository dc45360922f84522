#!/usr/bin/env bash
# What a storm of 10,000 date changes costs the change watcher under Wine, beside 10,000 writes
# (bench/attribute_storm_win.cpp). Usage: bench/attribute_storm.sh [BUILD_DIR]
BENCH=attribute_storm_bench exec "$(dirname "$0")/watch_latency.sh" "$@"
