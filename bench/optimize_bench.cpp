// Whole optimization runs: throughput on the corpus and on large generated pages. The time per
// MB must stay flat from 1 MB to 50 MB; compare the bytes_per_second columns.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <string_view>

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

// Pages nested `depth` levels deep: tables (a table, a row and a cell per level) or lists (a list
// and an item per level). Indentation stops growing at 64 levels, so the output's bytes per
// input byte (out_per_in) must stay the same from 1,000 to 100,000 levels.
std::string NestedPage(bool tables, std::int64_t depth) {
  const std::string_view open = tables ? "<table><tr><td>x" : "<ul><li>x";
  const std::string_view close = tables ? "</td></tr></table>" : "</li></ul>";
  std::string page;
  page.reserve(static_cast<std::size_t>(depth) * (open.size() + close.size()));
  for (std::int64_t i = 0; i < depth; ++i) page += open;
  for (std::int64_t i = 0; i < depth; ++i) page += close;
  return page;
}

void BM_OptimizeNested(benchmark::State& state) {
  const bool tables = state.range(0) != 0;
  const std::string page = NestedPage(tables, state.range(1));
  const CRunConfig config = DefaultConfig();
  std::size_t outputBytes = 0;
  for (auto _ : state) {
    std::atomic<bool> cancel{false};
    CNullSink sink;
    COptimizeJob job;
    job.text = page;
    job.Run(config, sink, cancel);
    outputBytes = job.text.size();
  }
  state.SetLabel(tables ? "tables" : "lists");
  state.counters["in_bytes"] = static_cast<double>(page.size());
  state.counters["out_bytes"] = static_cast<double>(outputBytes);
  state.counters["out_per_in"] = static_cast<double>(outputBytes) / static_cast<double>(page.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_OptimizeNested)
    ->ArgsProduct({{1, 0}, {1'000, 10'000, 100'000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace trimvale
