#!/usr/bin/env bash
# Builds the benchmarks in an optimized build without sanitizers
# (build/bench) and runs them; arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target mirlow_bench mirlow_bench_playback
build/bench/mirlow_bench "$@"
build/bench/mirlow_bench_playback "$@"
