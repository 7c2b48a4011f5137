// Golden tests: whole optimization runs whose results are pinned, so that any change of output is
// noticed and accepted on purpose (tools/golden-regen.sh). Our own sample pages keep their full
// output and messages in tests/golden/samples/; the real-page corpus may not be copied, nor
// anything made from it, so only the SHA-256 of its results is kept, in tests/golden/corpus.sha256.
// With TRIMVALE_GOLDEN_UPDATE=1 the tests write what they find instead of comparing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/optimize_job.h"
#include "rules/file_io.h"
#include "tests/sha256.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;

// The settings a user starts with, under the layout modes whose results differ most.
struct COptionSet {
  const char* name;
  int layoutMode;
};
constexpr COptionSet kOptionSets[] = {{"default", kLayoutStandard}, {"layout-mode-2", kLayoutTree}};

const fs::path kGoldenDir = fs::path(TRIMVALE_SOURCE_DIR) / "tests" / "golden";
const fs::path kActualDir = fs::path(TRIMVALE_BINARY_DIR) / "golden-actual";
const bool kUpdate = [] {
  const char* value = std::getenv("TRIMVALE_GOLDEN_UPDATE");
  return value && std::string(value) == "1";
}();

struct CGoldenRun {
  std::string output;
  std::string messages;
};

// Options vector 1040, wrapping at 70 columns, two blanks of indentation, no profile, every
// error level allowed: what the editor does with a fresh installation.
CGoldenRun Optimize(const std::string& page, const COptionSet& set) {
  CRunConfig config;
  config.layoutTable = test::InstalledStandardTable();
  config.options = OptimizeOptions::FromVector(kDefaultOptionsVector);
  config.layout.mode = set.layoutMode;
  config.layout.wrap = true;
  config.layout.width = 70;
  config.layout.indentUnit = MakeIndentUnit(1, 2);
  CStringSink sink;
  std::atomic<bool> cancel{false};
  COptimizeJob job;
  job.allowedLevel = 2;
  job.text = page;
  job.Run(config, sink, cancel);
  return {std::move(job.text), sink.Text()};
}

void Write(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path.string(), bytes, &error)) << path << ": " << error;
}

TEST(GoldenSamples, OutputAndMessagesMatchByteForByte) {
  std::vector<fs::path> pages;
  for (const auto& entry : fs::directory_iterator(fs::path(TRIMVALE_SOURCE_DIR) / "resources" / "samples")) {
    if (entry.path().extension() == ".htm") pages.push_back(entry.path());
  }
  ASSERT_FALSE(pages.empty()) << "resources/samples holds no page";
  std::error_code ec;
  fs::remove_all(kActualDir / "samples", ec);
  for (const fs::path& page : pages) {
    for (const COptionSet& set : kOptionSets) {
      const CGoldenRun got = Optimize(test::ReadFile(page), set);
      const std::string stem = page.stem().string() + "." + set.name;
      for (const auto& [file, actual] :
           {std::pair{stem + ".htm", &got.output}, {stem + ".messages.txt", &got.messages}}) {
        const fs::path expected = kGoldenDir / "samples" / file;
        if (kUpdate) {
          Write(expected, *actual);
        } else if (!fs::exists(expected)) {
          ADD_FAILURE() << "no expected file " << expected << "; run tools/golden-regen.sh";
        } else if (test::ReadFile(expected) != *actual) {
          const fs::path written = kActualDir / "samples" / file;
          Write(written, *actual);
          ADD_FAILURE() << page.filename() << " under option set " << set.name << " differs from " << expected
                        << "\ncompare: diff -u " << expected << " " << written;
        }
      }
    }
  }
}

constexpr const char* kChecksumHeader =
    "# SHA-256 of the optimized output and of the messages of each corpus page under each option set.\n"
    "# Written by tools/golden-regen.sh; do not edit by hand.\n"
    "# page\toption set\toutput\tmessages\n";

TEST(GoldenCorpus, ChecksumsOfOutputAndMessagesMatch) {
  TRIMVALE_REQUIRE_CORPUS();
  const auto pages = test::CorpusPages();
  ASSERT_FALSE(pages.empty()) << "the corpus folder holds no page";
  const fs::path checksumFile = kGoldenDir / "corpus.sha256";
  // "page<TAB>option set" -> "output sum<TAB>messages sum", as recorded.
  std::map<std::string, std::string> recorded;
  std::istringstream in(test::ReadFile(checksumFile));
  for (std::string line; std::getline(in, line);) {
    const auto tab = line.find('\t', line.find('\t') + 1);
    if (!line.starts_with("#") && tab != std::string::npos) recorded[line.substr(0, tab)] = line.substr(tab + 1);
  }
  std::error_code ec;
  fs::remove_all(kActualDir / "corpus", ec);
  std::string text = kChecksumHeader;
  for (const fs::path& page : pages) {
    const std::string input = test::ReadFile(page);
    for (const COptionSet& set : kOptionSets) {
      const CGoldenRun run = Optimize(input, set);
      const std::string key = page.filename().string() + "\t" + set.name;
      const std::string output = test::Sha256Hex(run.output), sums = output + "\t" + test::Sha256Hex(run.messages);
      text += key + "\t" + sums + "\n";
      const auto found = recorded.find(key);
      const bool known = found != recorded.end(), same = known && found->second == sums;
      const bool outputSame = known && found->second.starts_with(output);
      if (known) recorded.erase(found);
      if (kUpdate || same) continue;
      // Kept in the build folder only: the pages carry no license to copy.
      const fs::path actual = kActualDir / "corpus" / set.name / page.filename();
      Write(actual, run.output);
      Write(actual.string() + ".messages.txt", run.messages);
      ADD_FAILURE() << page.filename() << " under option set " << set.name << ": "
                    << (!known       ? "no checksum recorded"
                        : outputSame ? "messages differ from the recorded checksum"
                                     : "output differs from the recorded checksum")
                    << "\nactual output written to " << actual
                    << "\nsee the change with tools/golden-diff.sh, accept it with tools/golden-regen.sh";
    }
  }
  if (kUpdate) return Write(checksumFile, text);
  for (const auto& [key, sums] : recorded) {
    ADD_FAILURE() << key << ": checksum recorded but the page or option set is gone; run tools/golden-regen.sh";
  }
}

}  // namespace
}  // namespace trimvale
