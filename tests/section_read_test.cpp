#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/section_file.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

// Reading a whole section at once must give what reading it entry by entry gives, including the
// odd cases: repeated keys (each yields its first entry), keys written with leading zeros or
// blanks (looked up by their number), empty entries (skipped) and a missing section.
TEST(SectionFile, ReadSectionMatchesReadingEntryByEntry) {
  struct CRow {
    const char* name;
    const char* text;
    const char* section;
  };
  const std::vector<CRow> rows = {
      {"repeated key", "[p]\n1=a\\#1\\#x\n1=b\\#2\\#y\n2=c\n", "p"},
      {"leading zero and blanks", "[p]\n01=a\n 2 = b\\#\\#z\n1=c\n", "p"},
      {"empty entries", "[p]\n1=\n2=b\n3=\n", "p"},
      {"missing section", "[q]\n1=a\n", "p"},
  };
  for (const CRow& row : rows) {
    test::CTempDir dir;
    const std::string path = (dir / "regeln.txt").string();
    test::WriteFile(path, row.text);

    struct CSeen {
      std::int32_t key;
      std::string f1, f2, f3;
      bool operator==(const CSeen&) const = default;
    };
    std::vector<CSeen> expected;
    CSectionFile oneByOne(path);
    const bool hadKeys = oneByOne.ReadKeys(row.section);
    if (hadKeys) {
      for (std::int32_t key : oneByOne.Keys()) {
        if (oneByOne.ReadEntry(key, row.section) == 0) continue;
        expected.push_back({key, oneByOne.GetField1(), oneByOne.GetField2(), oneByOne.GetField3()});
      }
    }

    std::vector<CSeen> seen;
    CSectionFile atOnce(path);
    const bool found = atOnce.ReadSection(
        row.section, [&](std::int32_t key, const std::string& f1, const std::string& f2, const std::string& f3) {
          seen.push_back({key, f1, f2, f3});
        });
    EXPECT_EQ(found, hadKeys) << row.name;
    EXPECT_EQ(seen, expected) << row.name;
    if (found) {
      EXPECT_EQ(atOnce.Keys(), oneByOne.Keys()) << row.name;
    }
  }
}

}  // namespace
}  // namespace trimvale
