#pragma once
// The changes the profile editors (and the command line) make to the rule files: the entries of
// a layout profile in tageinst.txt, the rules of an optimization profile in profile.txt, and
// the lists of profiles ("vorlagen", "#profile") with their sections. Each change reads the file
// as it is now and replaces it in one atomic write, so a change that touches several entries
// (save, then renumber) is never seen half done, and a failed write leaves the old file whole.
//
// Every function returns an empty string on success, else the reason in German, ready to show.

#include <string>
#include <string_view>
#include <vector>

#include "rules/optimize_options.h"
#include "rules/section_file.h"

namespace trimvale {

inline constexpr std::string_view kLayoutProfileList = "vorlagen";
inline constexpr std::string_view kProfileList = "#profile";
// The first entries of "vorlagen" are the built-in layouts; they are never changed or deleted.
inline constexpr int kStandardLayoutProfiles = 3;

// Whether `name` can name a profile of the file whose list section is `listSection`: not empty
// (the callers say that in their own words), no field separator, '=', '[', ']' or line break
// (each would break the list entry or the section line apart), no blank at either end (it would
// not be read back), and not the list section's own name. Empty when it can, else the reason.
std::string CheckProfileName(std::string_view name, std::string_view listSection);
// The same for a tag name, which becomes the first field of an entry. Names the shipped files
// already hold (`![if`, `!--[if`) pass, so that their profiles can still be saved.
std::string CheckTagName(std::string_view name);
// A tag name the user types in: also no '=', '[' or ']', which would let the entry be taken for
// a key or a section line by another reader of the file.
std::string CheckNewTagName(std::string_view name);

// The profile names of a list section, in file order.
std::vector<std::string> ListProfileNames(CSectionFile& file, std::string_view listSection);

// One entry of a layout profile as written: tag name, end-tag kind, eight-character layout.
struct CLayoutEntryText {
  std::string name;
  std::string endTag;
  std::string layout;
};

// Writes `entries` as entries 0, 1, ... of `profile` (an existing entry is replaced where it
// stands) and removes the entries numbered entries.size() up to entries.size() + staleCount - 1,
// the places of entries deleted since the profile was read.
std::string WriteLayoutProfile(CSectionFile& file, std::string_view profile,
                               const std::vector<CLayoutEntryText>& entries, int staleCount);
// The same for the rules of an optimization profile (flags as FormatRuleFlags writes them).
std::string WriteProfileRules(CSectionFile& file, std::string_view profile, const CTagRuleList& rules, int staleCount);
// The seven flags of a rule as the file holds them, "1" or "0" each.
std::string FormatRuleFlags(const CTagRule& rule);

// Adds `name` to the list section with the key one above the highest key there (1 for an empty
// list). With a template, the new profile's section gets a copy of every entry of the template's
// section, keys and text unchanged; without one it gets no section until its first save. Names
// compare without regard to case, as the sections they name do: a name the list holds in any
// spelling is refused. A section left over under the new name is replaced.
std::string AddProfileToList(CSectionFile& file, std::string_view listSection, std::string_view name,
                             std::string_view templateProfile = {});
// Deletes a profile: its section, and its entry of the list section, which is rewritten as
// 1, 2, ... in list order. In "vorlagen" the standard profiles are refused.
std::string DeleteProfileFromList(CSectionFile& file, std::string_view listSection, std::string_view name);

}  // namespace trimvale
