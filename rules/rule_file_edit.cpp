#include "rules/rule_file_edit.h"

#include <algorithm>

#include "rules/ini_text.h"
#include "rules/rule_texts.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

constexpr std::string_view kSeparator = "\\#";

std::string Failure(const CSectionFile& file) { return file_text::RuleFileUnwritable(file.Path(), file.WriteError()); }

// A separator or a line break would move the rest of a field into another field or line.
bool BreaksAField(std::string_view field) {
  return Contains(field, kSeparator) || FindLineBreak(field) != std::string_view::npos;
}

std::string JoinFields(std::string_view a, std::string_view b, std::string_view c) {
  std::string value(a);
  value.append(kSeparator).append(b).append(kSeparator).append(c);
  return value;
}

// Values for keys 0, 1, ... and the removal of the `staleCount` keys after them, as one change.
// The callers have checked every field.
std::string WriteNumbered(CSectionFile& file, std::string_view section, const std::vector<std::string>& values,
                          int staleCount) {
  std::vector<std::pair<std::string, std::string>> entries;
  entries.reserve(values.size());
  for (const std::string& value : values) entries.emplace_back(std::to_string(entries.size()), value);
  std::vector<std::string> stale;
  for (int i = 0; i < staleCount; ++i) stale.push_back(std::to_string(values.size() + static_cast<std::size_t>(i)));
  bool refused = false;
  const bool ok = file.Edit([&](CIniText& text) {
    const std::string before = text.Text();
    refused = !text.Update(section, entries, stale);
    return text.Text() != before;
  });
  if (refused) return std::string(file_text::kNameForbiddenCharacters);
  return ok ? std::string() : Failure(file);
}

struct CListEntry {
  std::string key;
  std::string value;  // as written
  std::string name;   // first field
};

std::vector<CListEntry> ListEntries(const CIniText& text, std::string_view listSection) {
  std::vector<CListEntry> list;
  for (const CIniText::CEntry& entry : text.Entries(listSection)) {
    if (entry.value.empty()) continue;
    std::string f1, f2, f3;
    CSectionFile::SplitValue(entry.value, f1, f2, f3);
    list.push_back({std::string(entry.key), std::string(entry.value), f1});
  }
  return list;
}

}  // namespace

std::string CheckProfileName(std::string_view name, std::string_view listSection) {
  if (std::string problem = CheckTagName(name); !problem.empty()) return problem;
  if (Contains(name, "=") || Contains(name, "[") || Contains(name, "]")) {
    return std::string(file_text::kNameForbiddenCharacters);
  }
  if (EqualsNoCase(name, listSection)) return file_text::NameReserved(name);
  return {};
}

std::string CheckTagName(std::string_view name) {
  if (BreaksAField(name)) return std::string(file_text::kNameForbiddenCharacters);
  if (!name.empty() && (name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t')) {
    return std::string(file_text::kNameBlankAtEnds);
  }
  return {};
}

std::string CheckNewTagName(std::string_view name) {
  if (std::string problem = CheckTagName(name); !problem.empty()) return problem;
  if (Contains(name, "=") || Contains(name, "[") || Contains(name, "]")) {
    return std::string(file_text::kNameForbiddenCharacters);
  }
  return {};
}

std::vector<std::string> ListProfileNames(CSectionFile& file, std::string_view listSection) {
  std::vector<std::string> names;
  file.ReadSection(listSection, [&](std::int32_t, const std::string& name, const std::string&, const std::string&) {
    names.push_back(name);
  });
  return names;
}

std::string WriteLayoutProfile(CSectionFile& file, std::string_view profile,
                               const std::vector<CLayoutEntryText>& entries, int staleCount) {
  std::vector<std::string> values;
  values.reserve(entries.size());
  for (const CLayoutEntryText& e : entries) {
    if (std::string problem = CheckTagName(e.name); !problem.empty()) return problem;
    if (BreaksAField(e.endTag) || BreaksAField(e.layout)) return std::string(file_text::kNameForbiddenCharacters);
    values.push_back(JoinFields(e.name, e.endTag, e.layout));
  }
  return WriteNumbered(file, profile, values, staleCount);
}

std::string FormatRuleFlags(const CTagRule& r) {
  std::string flags;
  for (bool f : {r.deleteTag, r.moveSubtags, r.deleteClass, r.deleteStyle, r.deleteRest, r.replace, r.deleteSubtags}) {
    flags += f ? '1' : '0';
  }
  return flags;
}

std::string WriteProfileRules(CSectionFile& file, std::string_view profile, const CTagRuleList& rules, int staleCount) {
  std::vector<std::string> values;
  values.reserve(rules.size());
  for (const CTagRule& r : rules) {
    if (std::string problem = CheckTagName(r.name); !problem.empty()) return problem;
    if (BreaksAField(r.replacement)) return std::string(file_text::kNameForbiddenCharacters);
    values.push_back(JoinFields(r.name, r.replacement, FormatRuleFlags(r)));
  }
  return WriteNumbered(file, profile, values, staleCount);
}

std::string AddProfileToList(CSectionFile& file, std::string_view listSection, std::string_view name,
                             std::string_view templateProfile) {
  if (std::string problem = CheckProfileName(name, listSection); !problem.empty()) return problem;
  bool duplicate = false;
  const bool ok = file.Edit([&](CIniText& text) {
    long long highest = 0;
    for (const CListEntry& entry : ListEntries(text, listSection)) {
      if (EqualsNoCase(entry.name, name)) duplicate = true;
      highest = std::max<long long>(highest, ParseLeadingInt(entry.key));
    }
    if (duplicate) return false;
    // Copied before anything changes: the template may be a section the new name replaces.
    std::vector<std::pair<std::string, std::string>> copied;
    if (!templateProfile.empty()) {
      for (const CIniText::CEntry& entry : text.Entries(templateProfile)) copied.emplace_back(entry.key, entry.value);
    }
    text.RemoveSection(name);
    text.Set(listSection, std::to_string(highest + 1), name);
    for (const auto& [key, value] : copied) text.Set(name, key, value);
    return true;
  });
  if (duplicate) return std::string(file_text::kNameExists);
  return ok ? std::string() : Failure(file);
}

std::string DeleteProfileFromList(CSectionFile& file, std::string_view listSection, std::string_view name) {
  std::string refusal;
  const bool ok = file.Edit([&](CIniText& text) {
    std::vector<CListEntry> list = ListEntries(text, listSection);
    const auto it = std::find_if(list.begin(), list.end(), [&](const CListEntry& e) { return e.name == name; });
    if (it == list.end()) {
      refusal = file_text::ProfileNotListed(name);
      return false;
    }
    if (listSection == kLayoutProfileList && it - list.begin() < kStandardLayoutProfiles) {
      refusal = file_text::kStandardProfileProtected;
      return false;
    }
    list.erase(it);
    text.RemoveSection(name);
    // Every old entry goes, empty ones and odd keys included, so the list reads 1, 2, ... in
    // its own order afterwards whatever it held before.
    std::vector<std::string> oldKeys;
    for (const CIniText::CEntry& entry : text.Entries(listSection)) oldKeys.emplace_back(entry.key);
    std::vector<std::pair<std::string, std::string>> renumbered;
    for (std::size_t i = 0; i < list.size(); ++i) renumbered.emplace_back(std::to_string(i + 1), list[i].value);
    text.Update(listSection, {}, oldKeys);
    text.Update(listSection, renumbered, {});
    return true;
  });
  if (!refusal.empty()) return refusal;
  return ok ? std::string() : Failure(file);
}

}  // namespace trimvale
