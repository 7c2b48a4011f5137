// Parsing cost per byte for pages of 1, 10 and 50 MB: a clean page (the corpus pages repeated,
// or a Word-like snippet without a corpus) and a page made of wrong end tags, each of which has
// to look ahead. Bytes per second must stay flat as the page grows.
#include <benchmark/benchmark.h>

#include <atomic>
#include <map>
#include <string>

#include "bench/bench_pages.h"
#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/parser.h"
#include "engine/run_context.h"
#include "rules/tag_layout.h"

namespace {

using namespace trimvale;

// All corpus pages one after the other: the markup mix of real pages, repeated.
std::string CorpusText() {
  std::string all;
  for (const std::string& page : bench::CorpusPages()) all += page;
  return all;
}

std::string Fill(const std::string& head, const std::string& unit, std::size_t bytes) {
  std::string page = head;
  page.reserve(bytes + unit.size());
  while (page.size() < bytes) page += unit;
  return page;
}

const std::string& CleanPage(std::size_t megabytes) {
  static std::map<std::size_t, std::string> pages;
  auto& page = pages[megabytes];
  if (page.empty()) {
    std::string unit = CorpusText();
    if (unit.empty()) {
      unit =
          "<p class=MsoNormal style='margin-bottom:0cm;line-height:normal'><span lang=DE "
          "style='font-size:12.0pt;font-family:\"Times New Roman\",serif;mso-fareast-language:DE'>Ein Absatz mit\r\n"
          "<b>fettem</b> und <i>kursivem</i> Text<o:p></o:p></span></p>\r\n"
          "<!--[if gte vml 1]><v:shape id=\"_x0000_i1025\"></v:shape><![endif]-->\r\n"
          "<table class=MsoTableGrid border=1><tr><td width=307 valign=top>Zelle</td></tr></table>\r\n";
    }
    page = Fill("", unit, megabytes << 20);
  }
  return page;
}

const std::string& MismatchedPage(std::size_t megabytes) {
  static std::map<std::size_t, std::string> pages;
  auto& page = pages[megabytes];
  if (page.empty()) {
    // Each "</div>" closes nothing directly: the look-ahead runs over the rest of the page,
    // which only ever opens more elements, before the tag stack is unwound.
    const std::string open =
        "<div class=MsoNormal style='margin:0cm;margin-bottom:.0001pt;mso-pagination:widow-orphan'>"
        "<span lang=DE style='font-size:10.0pt;mso-bidi-font-family:Arial'><b style='mso-bidi-font-weight:normal'>";
    page = Fill(open, "</div>" + open, megabytes << 20);
  }
  return page;
}

void Parse(benchmark::State& state, const std::string& page) {
  CRunConfig config;
  config.layoutTable = bench::StandardTable();
  CNullSink sink;
  std::atomic<bool> cancel{false};
  for (auto _ : state) {
    CRunContext ctx(config, sink, cancel);
    auto root = MakeNode(nullptr);
    ParseDocument(ctx, *root, page);
    benchmark::DoNotOptimize(root->children.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
}

void BM_ParseClean(benchmark::State& state) { Parse(state, CleanPage(static_cast<std::size_t>(state.range(0)))); }
void BM_ParseMismatchedEndTags(benchmark::State& state) {
  Parse(state, MismatchedPage(static_cast<std::size_t>(state.range(0))));
}

BENCHMARK(BM_ParseClean)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMismatchedEndTags)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
