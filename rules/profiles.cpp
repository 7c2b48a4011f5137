// Loading of the two kinds of profiles from the rule files: layout profiles (tageinst.txt) into
// the tag layout table, optimization profiles (profile.txt) into a rule list.
#include "rules/optimize_options.h"
#include "rules/rule_file_edit.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {
constexpr std::size_t kRuleFlagCount = 7;
}  // namespace

bool LoadLayoutProfile(CTagLayoutTable& table, CSectionFile& file, std::string_view section) {
  table.Clear();
  // An empty name would address the default section; a profile without a name has no entries.
  // Empty entries are not visited: they yield placeholder fields and the third field of the entry
  // before them, so a record made from one would carry another tag's layout.
  if (section.empty()) return false;
  return file.ReadSection(
      section, [&](std::int32_t key, const std::string& name, const std::string& endTag, const std::string& layout) {
        CTagLayout record;
        record.name = name;
        record.endTagKind = static_cast<std::uint8_t>(ParseLeadingInt(endTag));
        record.layoutBits = ParseLayoutString(layout);
        record.key = key;
        record.kind = ClassifyTagName(record.name);
        table.Append(std::move(record));
      });
}

void LoadProfileRules(CTagRuleList& rules, CSectionFile& file, std::string_view profileName) {
  rules.clear();
  if (profileName.empty()) return;
  // Empty entries are not visited, for the same reason as above: their third field is stale.
  file.ReadSection(profileName, [&](std::int32_t, const std::string& name, const std::string& replacement,
                                    const std::string& flags) {
    if (flags.size() != kRuleFlagCount) return;
    CTagRule rule;
    rule.name = name;
    if (replacement != rule.name) rule.replacement = replacement;
    rule.deleteTag = flags[0] == '1';
    rule.moveSubtags = flags[1] == '1';
    rule.deleteClass = flags[2] == '1';
    rule.deleteStyle = flags[3] == '1';
    rule.deleteRest = flags[4] == '1';
    rule.replace = flags[5] == '1';
    rule.deleteSubtags = flags[6] == '1';
    rules.push_back(std::move(rule));
  });
}

std::vector<std::string> ListProfiles(CSectionFile& file) { return ListProfileNames(file, kProfileList); }

CLayoutProfileRead ReadLayoutProfile(const std::string& path, std::string_view section) {
  CLayoutProfileRead read;
  CSectionFile file(path);
  read.found = LoadLayoutProfile(read.table, file, section);
  read.file = file.State();
  read.readError = file.ReadError();
  return read;
}

CProfileRulesRead ReadProfileRules(const std::string& path, std::string_view profileName) {
  CProfileRulesRead read;
  CSectionFile file(path);
  read.profiles = ListProfiles(file);
  read.file = file.State();
  read.readError = file.ReadError();
  for (const std::string& name : read.profiles) read.listed = read.listed || EqualsNoCase(name, profileName);
  LoadProfileRules(read.rules, file, profileName);
  return read;
}

}  // namespace trimvale
