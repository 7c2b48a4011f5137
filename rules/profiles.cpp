// Placeholder until loading of layout and optimization profiles lands.
#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"

namespace trimvale {

bool LoadLayoutProfile(CTagLayoutTable& table, CSectionFile&, std::string_view) {
  table.Clear();
  return false;
}
void LoadProfileRules(CTagRuleList& rules, CSectionFile&, std::string_view) { rules.clear(); }
std::vector<std::string> ListProfiles(CSectionFile&) { return {}; }

}  // namespace trimvale
