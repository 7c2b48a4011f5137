// Checks of the rule files installed with the program: tageinst.txt decides how every optimized
// page is laid out, profile.txt holds the example optimization profiles.
#include <gtest/gtest.h>

#include <set>

#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"
#include "rules/text_util.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

const std::string kTagLayoutFile = std::string(TRIMVALE_SOURCE_DIR) + "/resources/tageinst.txt";
const std::string kProfileFile = std::string(TRIMVALE_SOURCE_DIR) + "/resources/profile.txt";

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
}

}  // namespace
}  // namespace trimvale
