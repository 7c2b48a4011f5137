// Golden tests: whole optimization runs whose results are pinned, so that any change in any
// output is noticed and accepted on purpose (tools/golden-regen.sh).
//
// - Our own sample pages (resources/samples/*.htm) keep their full expected output and messages
//   in tests/golden/samples/<page>.<option set>.htm / .messages.txt.
// - The real-page corpus may not be copied, nor anything made from it, so only the SHA-256 of
//   each page's output and messages is kept, in tests/golden/corpus.sha256.
//
// With TRIMVALE_GOLDEN_UPDATE=1 the tests write what they find instead of comparing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/optimize_job.h"
#include "rules/file_io.h"
#include "rules/section_file.h"
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

bool UpdateMode() {
  const char* value = std::getenv("TRIMVALE_GOLDEN_UPDATE");
  return value && std::string(value) == "1";
}

const CTagLayoutTable& InstalledStandardTable() {
  static const CTagLayoutTable table = [] {
    CTagLayoutTable loaded;
    CSectionFile file((fs::path(TRIMVALE_SOURCE_DIR) / "resources" / "tageinst.txt").string());
    EXPECT_TRUE(LoadLayoutProfile(loaded, file, "standard")) << "resources/tageinst.txt has no \"standard\"";
    return loaded;
  }();
  return table;
}

struct CGoldenRun {
  std::string output;
  std::string messages;
};

// Options vector 1040, wrapping at 70 columns, two blanks of indentation, no profile, every
// error level allowed: what the editor does with a fresh installation.
CGoldenRun Optimize(const std::string& page, const COptionSet& set) {
  CRunConfig config;
  config.layoutTable = &InstalledStandardTable();
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

void WriteOrFail(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path.string(), bytes, &error)) << path << ": " << error;
}

std::vector<fs::path> SamplePages() {
  std::vector<fs::path> pages;
  for (const auto& entry : fs::directory_iterator(fs::path(TRIMVALE_SOURCE_DIR) / "resources" / "samples")) {
    if (entry.path().extension() == ".htm") pages.push_back(entry.path());
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

TEST(GoldenSamples, OutputAndMessagesMatchByteForByte) {
  const auto pages = SamplePages();
  ASSERT_FALSE(pages.empty()) << "resources/samples holds no page";
  std::error_code ec;
  fs::remove_all(kActualDir / "samples", ec);
  for (const fs::path& page : pages) {
    const std::string input = test::ReadFile(page);
    for (const COptionSet& set : kOptionSets) {
      const CGoldenRun got = Optimize(input, set);
      const std::string stem = page.stem().string() + "." + set.name;
      const fs::path expectedOutput = kGoldenDir / "samples" / (stem + ".htm");
      const fs::path expectedMessages = kGoldenDir / "samples" / (stem + ".messages.txt");
      if (UpdateMode()) {
        WriteOrFail(expectedOutput, got.output);
        WriteOrFail(expectedMessages, got.messages);
        continue;
      }
      const auto check = [&](const fs::path& expected, const std::string& actual, const char* what) {
        if (!fs::exists(expected)) {
          ADD_FAILURE() << page.filename() << " under option set " << set.name << ": no expected " << what << " "
                        << expected << "; run tools/golden-regen.sh";
          return;
        }
        if (test::ReadFile(expected) == actual) return;
        const fs::path written = kActualDir / "samples" / expected.filename();
        WriteOrFail(written, actual);
        ADD_FAILURE() << page.filename() << " under option set " << set.name << ": the " << what << " differs from "
                      << expected << "\nactual " << what << " written to " << written << "\ncompare: diff -u "
                      << expected << " " << written;
      };
      check(expectedOutput, got.output, "output");
      check(expectedMessages, got.messages, "messages");
    }
  }
}

// Recorded checksums: (page, option set) -> {output, messages}.
using CChecksums = std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>>;

const fs::path kChecksumFile = kGoldenDir / "corpus.sha256";
constexpr const char* kChecksumHeader =
    "# SHA-256 of the optimized output and of the messages of each corpus page under each option set.\n"
    "# Written by tools/golden-regen.sh; do not edit by hand.\n"
    "# page\toption set\toutput\tmessages\n";

CChecksums ReadChecksums(const fs::path& path) {
  CChecksums sums;
  std::istringstream in(test::ReadFile(path));
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string page, set, output, messages;
    if (!std::getline(fields, page, '\t') || !std::getline(fields, set, '\t') || !std::getline(fields, output, '\t') ||
        !std::getline(fields, messages) || output.size() != 64 || messages.size() != 64) {
      ADD_FAILURE() << path << " line " << number << " is not \"page<TAB>set<TAB>sha256<TAB>sha256\": " << line;
      continue;
    }
    sums[{page, set}] = {output, messages};
  }
  return sums;
}

TEST(GoldenCorpus, ChecksumsOfOutputAndMessagesMatch) {
  TRIMVALE_REQUIRE_CORPUS();
  const auto pages = test::CorpusPages();
  ASSERT_FALSE(pages.empty()) << "the corpus folder holds no page";

  CChecksums got;
  std::map<std::pair<std::string, std::string>, CGoldenRun> runs;
  for (const fs::path& page : pages) {
    const std::string input = test::ReadFile(page);
    for (const COptionSet& set : kOptionSets) {
      CGoldenRun run = Optimize(input, set);
      const std::pair<std::string, std::string> where{page.filename().string(), set.name};
      got[where] = {test::Sha256Hex(run.output), test::Sha256Hex(run.messages)};
      runs[where] = std::move(run);
    }
  }

  if (UpdateMode()) {
    std::string text = kChecksumHeader;
    for (const auto& [where, sums] : got) {
      text += where.first + "\t" + where.second + "\t" + sums.first + "\t" + sums.second + "\n";
    }
    WriteOrFail(kChecksumFile, text);
    return;
  }

  ASSERT_TRUE(fs::exists(kChecksumFile)) << kChecksumFile << " is missing; run tools/golden-regen.sh";
  const CChecksums expected = ReadChecksums(kChecksumFile);
  std::error_code ec;
  fs::remove_all(kActualDir / "corpus", ec);
  for (const auto& [where, sums] : got) {
    const auto& [page, set] = where;
    const auto found = expected.find(where);
    if (found == expected.end()) {
      ADD_FAILURE() << page << " under option set " << set << ": no checksum recorded; run tools/golden-regen.sh";
      continue;
    }
    const bool outputDiffers = found->second.first != sums.first;
    const bool messagesDiffer = found->second.second != sums.second;
    if (!outputDiffers && !messagesDiffer) continue;
    // Kept in the build folder only: the pages carry no license to copy.
    const fs::path actual = kActualDir / "corpus" / set / page;
    WriteOrFail(actual, runs[where].output);
    WriteOrFail(fs::path(actual.string() + ".messages.txt"), runs[where].messages);
    ADD_FAILURE() << page << " under option set " << set << ": "
                  << (outputDiffers && messagesDiffer ? "output and messages differ"
                      : outputDiffers                 ? "output differs"
                                                      : "messages differ")
                  << " from the recorded checksums\nactual output written to " << actual
                  << "\nsee the change with tools/golden-diff.sh, accept it with tools/golden-regen.sh";
  }
  for (const auto& [where, sums] : expected) {
    if (!got.count(where)) {
      ADD_FAILURE() << where.first << " under option set " << where.second
                    << ": checksum recorded but the page or option set is gone; run tools/golden-regen.sh";
    }
  }
}

}  // namespace
}  // namespace trimvale
