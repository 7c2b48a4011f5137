#!/usr/bin/env bash
# Runs the benchmark suite and the whole-process peak-memory measurement.
set -euo pipefail
build=${1:-build/release}
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/$build/trimvale_bench" --benchmark_counters_tabular=true ${BENCH_FILTER:+--benchmark_filter="$BENCH_FILTER"}
echo
python3 "$root/tools/peak_memory.py" "$root/$build/trimvale-cli"

# The desktop program against the command line on the corpus's word-processor manual: from
# opening the page to the optimized text in the editor, against a whole `trimvale-cli optimize`
# of the same page (best of five each).
page="$root/../shared/corpus/018-fastpath-index.htm"
if [ -x "$root/$build/trimvale-shell-demo" ] && [ -f "$page" ]; then
  cli_ms=$(python3 - "$root/$build/trimvale-cli" "$page" <<'PY'
import subprocess, sys, time
best = None
for _ in range(5):
    start = time.perf_counter()
    subprocess.run([sys.argv[1], "optimize", "--settings", "/dev/null/none", sys.argv[2]],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    ms = (time.perf_counter() - start) * 1000
    best = ms if best is None or ms < best else best
print(round(best))
PY
)
  read -r gui_ms first_ms < <(QT_QPA_PLATFORM=offscreen "$root/$build/trimvale-shell-demo" time "$page" 5 2>/dev/null) || true
  echo "Desktop-Programm: $gui_ms ms vom Öffnen bis zum optimierten Text im Editor; trimvale-cli: $cli_ms ms" \
    "($(python3 -c "print(f'{$gui_ms / $cli_ms:.2f}')")-fach; erste Seite nach dem Start: $first_ms ms)"
fi
