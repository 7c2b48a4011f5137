// Parsing cost per byte for pages of 1, 10 and 50 MB: a clean page (the corpus pages repeated,
// or a Word-like snippet without a corpus) and a page made of wrong end tags, each of which has
// to look ahead. Bytes per second must stay flat as the page grows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/parser.h"
#include "engine/run_context.h"
#include "rules/tag_layout.h"

namespace {

using namespace trimvale;

const CTagLayoutTable& Table() {
  static const CTagLayoutTable table = [] {
    CTagLayoutTable t;
    const std::pair<const char*, std::uint8_t> records[] = {
        {"li", kEndTagOptional},     {"p", kEndTagOptional},      {"td", kEndTagOptional},  {"tr", kEndTagOptional},
        {"b", kEndTagRequired},      {"i", kEndTagRequired},      {"div", kEndTagRequired}, {"span", kEndTagRequired},
        {"table", kEndTagRequired},  {"ul", kEndTagRequired},     {"a", kEndTagRequired},   {"br", kEndTagNone},
        {"img", kEndTagNone},        {"meta", kEndTagNone},       {"link", kEndTagNone},    {"hr", kEndTagNone},
        {"script", kEndTagRequired}, {"style", kEndTagRequired},  {"pre", kEndTagRequired}, {"!--", kEndTagNone},
        {"![if", kEndTagRequired},   {"!--[if", kEndTagRequired}, {"h", kEndTagRequired},   {"o:p", kEndTagRequired},
    };
    std::int32_t key = 0;
    for (const auto& [name, endTagKind] : records) {
      CTagLayout record;
      record.name = name;
      record.endTagKind = endTagKind;
      record.layoutBits = 0x85;
      record.key = key++;
      record.kind = ClassifyTagName(name);
      t.Append(record);
    }
    return t;
  }();
  return table;
}

std::string CorpusText() {
  std::string all;
  const std::filesystem::path dir = TRIMVALE_CORPUS_DIR;
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return all;
  std::vector<std::filesystem::path> pages;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const auto ext = entry.path().extension().string();
    if (ext == ".htm" || ext == ".html") pages.push_back(entry.path());
  }
  std::sort(pages.begin(), pages.end());
  for (const auto& page : pages) {
    std::ifstream in(page, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    all += text.str();
  }
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
  config.layoutTable = &Table();
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
