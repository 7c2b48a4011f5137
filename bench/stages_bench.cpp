// The three stages of an optimization run, each timed alone on the corpus: parsing, the clean-up
// passes and writing the tree back. The other stages of each iteration run with the timer
// paused, so the three bytes_per_second figures add up (as times) to a whole run.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/bench_pages.h"
#include "engine/charset.h"
#include "engine/cleanup_passes.h"
#include "engine/optimize_job.h"
#include "engine/page_codec.h"
#include "engine/parser.h"
#include "engine/serializer.h"

namespace trimvale {
namespace {

// The corpus as a run sees it: UTF-16 pages in their UTF-8 form, each with its encoding.
struct CPreparedPage {
  std::string text;
  CPageCharset charset;
};

const std::vector<CPreparedPage>& PreparedCorpus() {
  static const std::vector<CPreparedPage> pages = [] {
    std::vector<CPreparedPage> prepared;
    for (const std::string& page : bench::CorpusPages()) {
      CPreparedPage p;
      const Utf16Form form = DetectUtf16(page);
      if (form == Utf16Form::None) {
        p.text = page;
        p.charset = DetectPageCharset(p.text);
      } else {
        if (!Utf16ToUtf8(page, form, p.text)) continue;
        p.charset.encoding = PageEncoding::Utf8;
      }
      prepared.push_back(std::move(p));
    }
    return prepared;
  }();
  return pages;
}

std::size_t CorpusBytes() {
  std::size_t bytes = 0;
  for (const CPreparedPage& p : PreparedCorpus()) bytes += p.text.size();
  return bytes;
}

enum class Stage { kParse, kPasses, kSerialize };

// One run context per page, as in a real run; the config is shared.
struct CPageRun {
  std::atomic<bool> cancel{false};
  CNullSink sink;
  std::unique_ptr<CRunContext> ctx;
  std::unique_ptr<CHtmlNode> root;
};

void Stages(benchmark::State& state, Stage timed) {
  const auto& pages = PreparedCorpus();
  if (pages.empty()) {
    state.SkipWithError("corpus folder not present");
    return;
  }
  CRunConfig config;
  config.layoutTable = bench::StandardTable();
  config.options = OptimizeOptions::FromVector(kDefaultOptionsVector);

  for (auto _ : state) {
    state.PauseTiming();
    std::vector<CPageRun> runs(pages.size());
    state.ResumeTiming();

    if (timed != Stage::kParse) state.PauseTiming();
    for (std::size_t i = 0; i < pages.size(); ++i) {
      runs[i].ctx = std::make_unique<CRunContext>(config, runs[i].sink, runs[i].cancel);
      runs[i].ctx->pageEncoding = pages[i].charset.encoding;
      runs[i].root = MakeNode(nullptr);
      ParseDocument(*runs[i].ctx, *runs[i].root, pages[i].text);
    }
    if (timed != Stage::kParse) state.ResumeTiming();

    if (timed != Stage::kPasses) state.PauseTiming();
    for (CPageRun& run : runs) RunCleanupPasses(*run.ctx, *run.root);
    if (timed != Stage::kPasses) state.ResumeTiming();

    if (timed != Stage::kSerialize) state.PauseTiming();
    for (CPageRun& run : runs) {
      std::string output;
      run.ctx->lineStart = 0;
      for (CHtmlNode* top = run.root->children.front(); top; top = top->NextSibling()) {
        if (!SerializeNode(*run.ctx, *top, output, 0)) break;
      }
      benchmark::DoNotOptimize(output.data());
    }
    if (timed != Stage::kSerialize) state.ResumeTiming();

    state.PauseTiming();
    runs.clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CorpusBytes()));
}

void BM_StageParse(benchmark::State& state) { Stages(state, Stage::kParse); }
void BM_StagePasses(benchmark::State& state) { Stages(state, Stage::kPasses); }
void BM_StageSerialize(benchmark::State& state) { Stages(state, Stage::kSerialize); }

BENCHMARK(BM_StageParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StagePasses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageSerialize)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trimvale
