#!/usr/bin/env bash
# Runs the benchmark suite and the whole-process peak-memory measurement.
set -euo pipefail
build=${1:-build/release}
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/$build/trimvale_bench" --benchmark_counters_tabular=true ${BENCH_FILTER:+--benchmark_filter="$BENCH_FILTER"}
echo
python3 "$root/tools/peak_memory.py" "$root/$build/trimvale-cli"
