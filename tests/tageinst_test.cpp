// Checks of the rule files installed with the program: tageinst.txt decides how every optimized
// page is laid out, profile.txt holds the example optimization profiles.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"
#include "rules/text_util.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

const std::string kTagLayoutFile = std::string(TRIMVALE_SOURCE_DIR) + "/resources/tageinst.txt";
const std::string kProfileFile = std::string(TRIMVALE_SOURCE_DIR) + "/resources/profile.txt";

std::vector<std::string> Words(const char* list) {
  std::istringstream in(list);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

TEST(InstalledTagLayout, ListsThreeStandardProfilesWithTheSameTags) {
  CSectionFile file(kTagLayoutFile);
  ASSERT_TRUE(file.ReadKeys("vorlagen"));
  ASSERT_EQ(file.Keys(), (std::vector<std::int32_t>{1, 2, 3}));
  std::vector<std::string> names;
  for (std::int32_t key : file.Keys()) {
    ASSERT_GT(file.ReadEntry(key, "vorlagen"), 0);
    names.push_back(file.GetField1());
  }
  ASSERT_EQ(names.front(), "standard");

  std::vector<CTagLayoutTable> tables(3);
  for (std::size_t i = 0; i < 3; ++i) ASSERT_TRUE(LoadLayoutProfile(tables[i], file, names[i])) << names[i];
  const auto& standard = tables[0].Records();
  // The mode-1 profile writes everything on one line, the mode-2 profile everything as a tree;
  // both keep the standard profile's tags and end-tag kinds, in the same order.
  const std::uint8_t forced[] = {0, 0, kTreeLayoutBits};
  for (std::size_t t = 1; t < 3; ++t) {
    const auto& records = tables[t].Records();
    ASSERT_EQ(records.size(), standard.size()) << names[t];
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].name, standard[i].name) << names[t];
      EXPECT_EQ(records[i].endTagKind, standard[i].endTagKind) << names[t] << " " << records[i].name;
      EXPECT_EQ(records[i].layoutBits, forced[t]) << names[t] << " " << records[i].name;
    }
  }
}

TEST(InstalledTagLayout, RecordsAreWellFormed) {
  CSectionFile file(kTagLayoutFile);
  ASSERT_TRUE(file.ReadKeys("standard"));
  std::set<std::string> seen;
  std::int32_t expectedKey = 0;
  for (std::int32_t key : file.Keys()) {
    EXPECT_EQ(key, expectedKey++) << "keys run 0, 1, 2, ... as the layout editor writes them";
    ASSERT_GT(file.ReadEntry(key, "standard"), 0);
    const std::string name = file.GetField1(), kind = file.GetField2(), bits = file.GetField3();
    EXPECT_TRUE(seen.insert(ToLowerAscii(name)).second) << "a second record of " << name << " is never used";
    EXPECT_TRUE(kind == "0" || kind == "1" || kind == "2") << name;
    // Exactly eight characters that read back unchanged: '0'/'1' only, and every count of two
    // breaks written as "00", "01" or "11" ("10" would read as one break but mean nothing).
    EXPECT_EQ(FormatLayoutString(ParseLayoutString(bits)), bits) << name;
    const std::uint8_t b = ParseLayoutString(bits);
    EXPECT_FALSE((b & layout_bit::kBreakAfter2) && !(b & layout_bit::kBreakAfter1)) << name;
    EXPECT_FALSE((b & layout_bit::kBreakBeforeEnd2) && !(b & layout_bit::kBreakBeforeEnd1)) << name;
    EXPECT_FALSE((b & layout_bit::kBreakAfterEnd2) && !(b & layout_bit::kBreakAfterEnd1)) << name;
  }
  // An "o:" record would give every office tag its kind and hide them from the office clean-up.
  EXPECT_EQ(seen.count("o:"), 0u);
}

TEST(InstalledTagLayout, EveryHtmlElementHasARecord) {
  const CTagLayoutTable& table = test::InstalledStandardTable();
  const char* elements =
      // HTML 4.01, frameset and transitional included
      "a abbr acronym address applet area b base basefont bdo big blockquote body br button caption center "
      "cite code col colgroup dd del dfn dir div dl dt em fieldset font form frame frameset h1 h2 h3 h4 h5 h6 "
      "head hr html i iframe img input ins isindex kbd label legend li link map menu meta noframes noscript "
      "object ol optgroup option p param pre q s samp script select small span strike strong style sub sup "
      "table tbody td textarea tfoot th thead title tr tt u ul var "
      // HTML5
      "article aside audio bdi canvas data datalist details dialog embed figcaption figure footer header hgroup "
      "keygen main mark meter nav output picture progress rp rt ruby search section slot source summary "
      "template time track video wbr svg math "
      // names the engine relies on
      "!-- !--[if ![if !DOCTYPE ?xml h o:p xml xmp plaintext listing";
  for (const std::string& name : Words(elements)) EXPECT_NE(table.Find(name), nullptr) << name;
}

TEST(InstalledTagLayout, EndTagKinds) {
  const CTagLayoutTable& table = test::InstalledStandardTable();
  struct Row {
    std::uint8_t endTagKind;
    const char* names;
  } rows[] = {
      {kEndTagNone,
       "br img hr meta link input area base col param wbr embed source track basefont frame keygen isindex "
       "!DOCTYPE ?xml !-- plaintext"},
      {kEndTagOptional, "p li dt dd option optgroup tr td th thead tbody tfoot colgroup rt rp html head body"},
      // Conditional sections hold content up to their end marker; with kind 0 they would be plain
      // comments through the "!--" record.
      {kEndTagRequired,
       "!--[if ![if script style textarea pre title div span a b i u font table ul ol xml o:p xmp h h1 h6"},
  };
  for (const Row& row : rows) {
    for (const std::string& name : Words(row.names)) {
      ASSERT_NE(table.Find(name), nullptr) << name;
      EXPECT_EQ(table.Find(name)->endTagKind, row.endTagKind) << name;
    }
  }
}

TEST(InstalledTagLayout, LayoutKeepsHowThePageRenders) {
  const CTagLayoutTable& table = test::InstalledStandardTable();
  auto bits = [&](const std::string& name) { return FindTagLayout(table, name, kLayoutStandard).layoutBits; };
  constexpr std::uint8_t kInsideBreaks =
      layout_bit::kBreakAfter1 | layout_bit::kBreakAfter2 | layout_bit::kBreakBeforeEnd1 | layout_bit::kBreakBeforeEnd2;
  // Inline elements flow inside text: a break around them would add a visible space.
  for (const std::string& name :
       Words("a abbr b big cite code em font i kbd s small span strong sub sup u tt q label img input o:p ![if "
             "o:unknown v:shape textarea")) {
    EXPECT_EQ(bits(name), 0) << name;
  }
  // Content written as it stands, and text blocks whose text stays on the start tag's line.
  for (const std::string& name :
       Words("script style pre xmp listing title p li td th dt dd h1 h6 option caption legend")) {
    EXPECT_EQ(bits(name) & kInsideBreaks, 0) << name;
    EXPECT_NE(bits(name) & layout_bit::kBreakBefore, 0) << name << " starts on its own line";
  }
  // Blocks start on their own line; containers indent what they hold.
  for (const std::string& name : Words("table tr ul ol dl blockquote form head xml")) {
    EXPECT_EQ(bits(name), kTreeLayoutBits) << name;
  }
  // The page itself is not indented one level everywhere, nor is the div in which word
  // processors wrap the whole document.
  for (const std::string& name : Words("html body div")) {
    EXPECT_EQ(bits(name) & layout_bit::kIndentChildren, 0) << name;
    EXPECT_NE(bits(name) & layout_bit::kBreakBefore, 0) << name << " starts on its own line";
  }
  EXPECT_EQ(bits("br"), layout_bit::kBreakAfter1);
}

TEST(InstalledProfiles, EveryRuleLoads) {
  CSectionFile file(kProfileFile);
  const auto names = ListProfiles(file);
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    ASSERT_TRUE(file.ReadKeys(name)) << name;
    const std::size_t entries = file.Keys().size();
    CTagRuleList rules;
    LoadProfileRules(rules, file, name);
    EXPECT_EQ(rules.size(), entries) << name << ": a malformed rule would be skipped silently";
  }
  CTagRuleList rules;
  LoadProfileRules(rules, file, "Bereinigt");
  const CTagRule* font = FindTagRule(rules, "FONT");
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->deleteTag && font->moveSubtags);
  const CTagRule* italic = FindTagRule(rules, "i");
  ASSERT_NE(italic, nullptr);
  EXPECT_TRUE(italic->replace);
  EXPECT_EQ(italic->replacement, "em");
}

}  // namespace
}  // namespace trimvale
