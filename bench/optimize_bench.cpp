// Whole optimization runs: throughput on the corpus and on large generated pages. The time per
// MB must stay flat from 1 MB to 50 MB; compare the bytes_per_second columns.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/bench_pages.h"
#include "engine/optimize_job.h"

namespace trimvale {
namespace {

CRunConfig DefaultConfig() {
  CRunConfig config;
  config.layoutTable = bench::StandardTable();
  config.options = OptimizeOptions::FromVector(kDefaultOptionsVector);
  return config;
}

void RunOnce(const std::string& page, const CRunConfig& config) {
  std::atomic<bool> cancel{false};
  CNullSink sink;
  COptimizeJob job;
  job.text = page;
  job.Run(config, sink, cancel);
  benchmark::DoNotOptimize(job.text.data());
}

void BM_OptimizeCorpus(benchmark::State& state) {
  const auto& pages = bench::CorpusPages();
  if (pages.empty()) {
    state.SkipWithError("corpus folder not present");
    return;
  }
  const CRunConfig config = DefaultConfig();
  std::size_t bytes = 0;
  for (const auto& p : pages) bytes += p.size();
  for (auto _ : state) {
    for (const auto& p : pages) RunOnce(p, config);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_OptimizeCorpus)->Unit(benchmark::kMillisecond);

void BM_OptimizeRepeated(benchmark::State& state) {
  const std::string page = bench::RepeatedPage(static_cast<std::size_t>(state.range(0)) << 20);
  const CRunConfig config = DefaultConfig();
  for (auto _ : state) RunOnce(page, config);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_OptimizeRepeated)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace trimvale
