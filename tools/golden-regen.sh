#!/usr/bin/env bash
# Accepts the current outputs as the golden ones: rewrites tests/golden/corpus.sha256 (the
# checksums of every corpus page's output and messages) and the full expected outputs of our
# sample pages in tests/golden/samples/. Run it when a change of output is wanted, look at
# `git diff tests/golden` and commit the result with the change that caused it.
#
#   tools/golden-regen.sh [BUILD_DIR]     (default build/asan; built with the asan preset)
#
# The checksums come from the very test that compares them later, so the two cannot disagree.
# Without the corpus (../shared/corpus or TRIMVALE_CORPUS) only the samples are rewritten and
# corpus.sha256 is left as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build/asan}

if [ "$build" = build/asan ]; then
  cmake --preset asan >/dev/null
fi
cmake --build "$build" -j2 --target trimvale_tests

corpus=${TRIMVALE_CORPUS:-$root/../shared/corpus}
filter='GoldenSamples.*'
if [ -f "$corpus/MANIFEST.tsv" ]; then
  filter='GoldenSamples.*:GoldenCorpus.*'
else
  echo "golden-regen: no corpus at $corpus; only the sample pages' outputs are rewritten" >&2
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && TRIMVALE_GOLDEN_UPDATE=1 ./tests/trimvale_tests --gtest_filter="$filter" --gtest_brief=1)
# The written files must now pass as they stand.
(cd "$build" && ./tests/trimvale_tests --gtest_filter="$filter" --gtest_brief=1)

echo
echo "golden-regen: changed golden files:"
git status --short -- tests/golden
git --no-pager diff --stat -- tests/golden
