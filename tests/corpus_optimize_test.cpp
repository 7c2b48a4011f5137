// Whole runs over the real pages of the corpus with the installed rule file: every page is
// optimized, no vendor declaration survives in a style attribute, word-processor pages get
// smaller, and the result is a page the parser reads without a single repair.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "engine/optimize_job.h"
#include "engine/parser.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

CRunConfig Config(int mode) {
  CRunConfig config;
  config.layoutTable = test::InstalledStandardTable();
  config.options = OptimizeOptions::FromVector(kDefaultOptionsVector);
  config.layout.mode = mode;
  return config;
}

// The generator column of the corpus manifest, by file name.
std::map<std::string, std::string> Generators() {
  std::map<std::string, std::string> out;
  std::istringstream in(test::ReadFile(*test::CorpusDir() / "MANIFEST.tsv"));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream row(line);
    std::vector<std::string> cells;
    for (std::string cell; std::getline(row, cell, '\t');) cells.push_back(cell);
    if (cells.size() > 5) out[cells[0]] = cells[5];
  }
  return out;
}

std::string Optimize(const std::string& page, const CRunConfig& config, int* result = nullptr) {
  std::atomic<bool> cancel{false};
  CNullSink sink;
  COptimizeJob job;
  job.text = page;
  const int r = job.Run(config, sink, cancel);
  if (result) *result = r;
  return job.text;
}

// A style attribute (as the serializer writes it, in double quotes) with an "mso-" declaration.
bool HasVendorStyle(const std::string& page) {
  for (std::size_t at = page.find("style=\""); at != std::string::npos; at = page.find("style=\"", at + 1)) {
    const std::size_t end = page.find('"', at + 7);
    if (page.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7).find("mso-") !=
        std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST(CorpusOptimize, DefaultOptionsCleanEveryPage) {
  TRIMVALE_REQUIRE_CORPUS();
  const auto generators = Generators();
  for (const auto& path : test::CorpusPages()) {
    const std::string name = path.filename().string();
    const std::string page = test::ReadFile(path);
    int result = 0;
    const std::string out = Optimize(page, Config(kLayoutStandard), &result);
    ASSERT_EQ(result, 1) << name;
    // UTF-16 pages come back in their own form; look at them as the engine did.
    if (out.rfind("\xFF\xFE", 0) != 0) {
      EXPECT_FALSE(HasVendorStyle(out)) << name;
    }
    const auto generator = generators.find(name);
    const bool modernWord = generator != generators.end() && generator->second.find("Microsoft Word") == 0 &&
                            generator->second != "Microsoft Word 97";
    if (modernWord) {
      EXPECT_LT(out.size(), page.size()) << name;
    }
  }
}

// What the program writes is a page it reads back without repairing anything, in both the
// standard layout and the tree layout.
TEST(CorpusOptimize, ResultsParseWithoutRepairs) {
  TRIMVALE_REQUIRE_CORPUS();
  for (int mode : {kLayoutStandard, kLayoutTree}) {
    for (const auto& path : test::CorpusPages()) {
      const std::string name = path.filename().string();
      std::string out = Optimize(test::ReadFile(path), Config(mode));
      if (out.rfind("\xFF\xFE", 0) == 0) continue;  // checked through their UTF-8 form elsewhere
      const CRunConfig config = Config(mode);
      CStringSink sink;
      std::atomic<bool> cancel{false};
      CRunContext ctx(config, sink, cancel);
      CHtmlNode root;
      ParseDocument(ctx, root, out);
      EXPECT_EQ(ctx.errorLevel, 0) << name << " mode " << mode << "\n" << sink.Text().substr(0, 400);
    }
  }
}

}  // namespace
}  // namespace trimvale
