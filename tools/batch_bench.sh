#!/usr/bin/env bash
# Times `trimvale-cli dir` over 2,000 corpus-like pages with one and with two workers, using the
# release build, and prints both wall times and their ratio.
#
#   tools/batch_bench.sh [PAGES]      (default 2000; TRIMVALE_CORPUS overrides the corpus folder)
#
# The pages are the shared corpus's pages repeated, or the bundled sample page when there is no
# corpus. Results go to an output folder, so both runs optimize the same untouched sources.
set -euo pipefail
pages=${1:-2000}
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${TRIMVALE_CORPUS:-$root/../shared/corpus}

(cd "$root" && cmake --preset release >/dev/null && cmake --build build/release -j2 --target trimvale-cli >/dev/null)
cli="$root/build/release/trimvale-cli"

work=$(mktemp -d "${TMPDIR:-/tmp}/trimvale-batch-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/web" "$work/aus1" "$work/aus2"

sources=()
if [ -d "$corpus" ]; then
  while IFS= read -r -d '' page; do sources+=("$page"); done \
    < <(find "$corpus" -maxdepth 1 -type f \( -name '*.htm' -o -name '*.html' \) -print0 | sort -z)
fi
if [ "${#sources[@]}" -eq 0 ]; then
  sources=("$root/resources/samples/rundschreiben.htm")
  echo "== Kein Korpus gefunden, verwende ${sources[0]}"
fi
for ((i = 0; i < pages; i++)); do
  cp "${sources[i % ${#sources[@]}]}" "$work/web/seite$i.htm"
done
bytes=$(du -sb "$work/web" | cut -f1)
echo "== $pages Seiten ($((bytes / 1024)) KiB) aus ${#sources[@]} Vorlagen"

# Every setting spelled out, so the user's own store plays no part.
run() {
  local jobs=$1 out=$2 start end
  start=$(date +%s.%N)
  "$cli" dir --settings "$work/settings.ini" --rules-dir "$root/build/release" -j "$jobs" --no-subfolders \
    --extensions ".htm;" --backup 1 --backup-mode 2 --folder "$out" --allowed-level 2 "$work/web" \
    2>"$work/log$jobs.txt"
  end=$(date +%s.%N)
  tail -n 2 "$work/log$jobs.txt" | head -n 1 >&2
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

t1=$(run 1 "$work/aus1")
t2=$(run 2 "$work/aus2")
if ! diff -rq "$work/aus1" "$work/aus2" >/dev/null; then
  echo "== FEHLER: -j 1 und -j 2 schreiben verschiedene Dateien" >&2
  exit 1
fi
awk -v a="$t1" -v b="$t2" 'BEGIN { printf "== -j 1: %.3f s\n== -j 2: %.3f s\n== Verhältnis (-j 1 / -j 2): %.2f\n", a, b, a / b }'
