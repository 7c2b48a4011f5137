// Loading of the two kinds of profiles from the rule files: layout profiles (tageinst.txt) into
// the tag layout table, optimization profiles (profile.txt) into a rule list.
#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {
constexpr std::string_view kProfileListSection = "#profile";
constexpr std::size_t kRuleFlagCount = 7;
}  // namespace

bool LoadLayoutProfile(CTagLayoutTable& table, CSectionFile& file, std::string_view section) {
  table.Clear();
  // An empty name would address the default section; a profile without a name has no entries.
  if (section.empty() || !file.ReadKeys(section)) return false;
  for (std::int32_t key : file.Keys()) {
    // An empty entry yields placeholder fields and the third field of the entry before it; a
    // record made from that would carry another tag's layout, so it is left out.
    if (file.ReadEntry(key, section) == 0) continue;
    CTagLayout record;
    record.name = file.GetField1();
    record.endTagKind = static_cast<std::uint8_t>(ParseLeadingInt(file.GetField2()));
    record.layoutBits = ParseLayoutString(file.GetField3());
    record.key = key;
    record.kind = ClassifyTagName(record.name);
    table.Append(std::move(record));
  }
  return true;
}

void LoadProfileRules(CTagRuleList& rules, CSectionFile& file, std::string_view profileName) {
  rules.clear();
  if (profileName.empty() || !file.ReadKeys(profileName)) return;
  for (std::int32_t key : file.Keys()) {
    // Empty entries are skipped for the same reason as above: their third field is stale.
    if (file.ReadEntry(key, profileName) == 0) continue;
    const std::string flags = file.GetField3();
    if (flags.size() != kRuleFlagCount) continue;
    CTagRule rule;
    rule.name = file.GetField1();
    std::string replacement = file.GetField2();
    if (replacement != rule.name) rule.replacement = std::move(replacement);
    rule.deleteTag = flags[0] == '1';
    rule.moveSubtags = flags[1] == '1';
    rule.deleteClass = flags[2] == '1';
    rule.deleteStyle = flags[3] == '1';
    rule.deleteRest = flags[4] == '1';
    rule.replace = flags[5] == '1';
    rule.deleteSubtags = flags[6] == '1';
    rules.push_back(std::move(rule));
  }
}

std::vector<std::string> ListProfiles(CSectionFile& file) {
  std::vector<std::string> names;
  if (!file.ReadKeys(kProfileListSection)) return names;
  for (std::int32_t key : file.Keys()) {
    if (file.ReadEntry(key, kProfileListSection) == 0) continue;
    names.push_back(file.GetField1());
  }
  return names;
}

}  // namespace trimvale
