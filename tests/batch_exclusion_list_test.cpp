#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/exclusion_list.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

TEST(ExclusionList, KnownBytes) {
  const auto bytes = SerializeExclusionList({"C:", "/web/alt"});
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, Bytes({2, 0, 0, 0, 2}) + "C:" + Bytes({8}) + "/web/alt");
  EXPECT_EQ(*SerializeExclusionList({}), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(ParseExclusionList(Bytes({0, 0, 0, 0})), std::vector<std::string>{});
  EXPECT_EQ(ParseExclusionList(Bytes({1, 0, 0, 0, 1}) + "a" + "rest"), std::vector<std::string>{"a"})
      << "bytes after the last entry are no fault";
}

TEST(ExclusionList, RoundTripAcrossEveryLengthPrefix) {
  const std::vector<std::string> entries = {"",
                                            std::string(254, 'b'),
                                            std::string(255, 'c'),
                                            std::string(0xFFFD, 'd'),
                                            std::string(0xFFFE, 'e'),
                                            std::string(70000, 'f')};
  // The prefixes: 1 byte below 255, 0xFF + 16 bits below 0xFFFE, 0xFF 0xFFFF + 32 bits beyond.
  const auto bytes = SerializeExclusionList(entries);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(4 + 1 + 255, 3), Bytes({0xFF, 0xFF, 0x00}));
  EXPECT_EQ(bytes->substr(4 + 1 + 255 + 3 + 255 + 3 + 0xFFFD, 7), Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}));
  EXPECT_EQ(ParseExclusionList(*bytes), entries);
}

// Lengths and counts beyond the file's end are refused before anything is allocated for them.
TEST(ExclusionList, DamagedFilesAreUnreadable) {
  const std::string cases[] = {
      "",
      Bytes({0xFF, 0xFF, 0xFF, 0xFF}),                                        // negative count
      Bytes({0xFF, 0xFF, 0xFF, 0x7F, 1}) + "a",                               // count beyond the file
      Bytes({1, 0, 0, 0, 200}) + "abc",                                       // length beyond the file
      Bytes({1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2}) + "ab",                        // the marker of a UTF-16 entry
      Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + "abc",  // 32-bit length beyond the file
  };
  test::CTempDir dir;
  for (const std::string& bytes : cases) {
    test::WriteFile(dir / "lst.dat", bytes);
    std::vector<std::string> entries = {"vorher"};
    EXPECT_FALSE(ReadExclusionList((dir / "lst.dat").string(), entries)) << bytes.size() << " bytes";
    EXPECT_TRUE(entries.empty());
  }
  std::vector<std::string> entries;
  EXPECT_FALSE(ReadExclusionList((dir / "fehlt.dat").string(), entries));
}

}  // namespace
}  // namespace trimvale
