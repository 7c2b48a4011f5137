#include <gtest/gtest.h>

#include "rules/optimize_options.h"
#include "rules/rule_file_edit.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

using test::CTempDir;
using test::WriteFile;

// Renders a rule as name, replacement and the seven flags, so one comparison shows all of it.
std::string Describe(const CTagRule& r) { return r.name + "|" + r.replacement + "|" + FormatRuleFlags(r); }

TEST(Profiles, LoadsRulesAndSkipsMalformedEntries) {
  CTempDir dir;
  WriteFile(dir / "profile.txt",
            "[#profile]\r\n1=Bereinigt\r\n3=Leer\r\n2=Zweiter\r\n"
            "[Bereinigt]\r\n"
            "0=b\\#\\#1100000\r\n"
            "1=B\\#strong\\#0000010\r\n"
            "2=p\\#p\\#0010000\r\n"  // replacement equal to the name: none
            "3=P\\#p\\#0000010\r\n"  // compared with letter case: "p" stays
            "4=i\\#em\\#000001\r\n"  // six flags: skipped
            "6=\r\n"                 // empty: skipped, not a rule named "---"
            "7=x\\#\\#1a1Y1 1\r\n"   // anything but '1' is false
            "[Leer]\r\n; nothing\r\n");
  CSectionFile file((dir / "profile.txt").string());
  CTagRuleList rules(1);
  LoadProfileRules(rules, file, "bereinigt");
  std::vector<std::string> got;
  for (const auto& r : rules) got.push_back(Describe(r));
  EXPECT_EQ(got,
            (std::vector<std::string>{"b||1100000", "B|strong|0000010", "p||0010000", "P|p|0000010", "x||1010101"}));
  // The first rule of a name is the one that applies.
  ASSERT_NE(FindTagRule(rules, "B"), nullptr);
  EXPECT_TRUE(FindTagRule(rules, "B")->deleteTag);

  EXPECT_EQ(ListProfiles(file), (std::vector<std::string>{"Bereinigt", "Leer", "Zweiter"}));
}

TEST(Profiles, LoadsLayoutRecords) {
  CTempDir dir;
  WriteFile(dir / "tageinst.txt",
            "[vorlagen]\n1=standard\n"
            "[standard]\n"
            "0=P\\#2\\#10000101\n"
            "1=br\\#0\\#0010\n"       // short layout string: no bits
            "2=td\\#x\\#11111111\n"   // end-tag kind not a number: 0
            "3=ul\n"                  // one field: kind from the name, no bits
            "4=a\\#258\\#2x1y0001\n"  // kept in eight bits; other characters are 0
            "6=\n"                    // empty: no record
            "7=!--[if\\#1\\#10100100\n");
  CSectionFile file((dir / "tageinst.txt").string());
  CTagLayoutTable table;
  table.Append(CTagLayout{"stale", 0, 0, 0, TagKind::Other});
  ASSERT_TRUE(LoadLayoutProfile(table, file, "Standard"));
  struct Row {
    const char* name;
    std::uint8_t endTagKind;
    std::uint8_t bits;
    std::int32_t key;
    TagKind kind;
  } expected[] = {
      {"P", 2, 0x85, 0, TagKind::P}, {"br", 0, 0, 1, TagKind::Other},    {"td", 0, 0xFF, 2, TagKind::Td},
      {"ul", 0, 0, 3, TagKind::Ul},  {"a", 2, 0x21, 4, TagKind::Anchor}, {"!--[if", 1, 0xA4, 7, TagKind::CommentIf},
  };
  ASSERT_EQ(table.Records().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const CTagLayout& r = table.Records()[i];
    EXPECT_EQ(r.name, expected[i].name);
    EXPECT_EQ(r.endTagKind, expected[i].endTagKind) << r.name;
    EXPECT_EQ(r.layoutBits, expected[i].bits) << r.name;
    EXPECT_EQ(r.key, expected[i].key) << r.name;
    EXPECT_EQ(r.kind, expected[i].kind) << r.name;
  }
  EXPECT_NE(table.Find("p"), nullptr);

  EXPECT_FALSE(LoadLayoutProfile(table, file, "gibt es nicht"));
  EXPECT_TRUE(table.Records().empty());
  EXPECT_EQ(table.Find("p"), nullptr);
}

}  // namespace
}  // namespace trimvale
