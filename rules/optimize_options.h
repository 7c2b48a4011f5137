#pragma once
// The switches of an optimization and the per-tag rules of an optimization profile.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/section_file.h"

namespace trimvale {

// Default of the persisted vector: automatic and the "Rest" comment kind.
inline constexpr std::uint32_t kDefaultOptionsVector = 1040;

struct OptimizeOptions {
  // The sixteen persisted switches, in the order of their bits (bit 0 first).
  bool spanDelete = false;        // bit 0  "<span> löschen"
  bool deleteAllStyles = false;   // bit 1  "Alle Stilvorlagen löschen"
  bool strongToB = false;         // bit 2  "<strong> durch <b> ersetzen"
  bool deleteXml = false;         // bit 3  "xml löschen"
  bool automatic = false;         // bit 4  "Automatisch"
  bool deleteEmptyTags = false;   // bit 5  "Leere Tags löschen"
  bool emptyTagsAll = false;      // bit 6  radio "alle" under empty tags
  bool spanAll = false;           // bit 7  radio "alle" under spans
  bool blankLineFormats = false;  // bit 8  "Formate von Zeilen mit nur Leerzeichen löschen"
  bool removeWordIf = false;      // bit 9  "Word spezifische [if Befehle entfernen"
  bool commentsRest = false;      // bit 10 comment kind "Rest"
  bool commentsScript = false;    // bit 11 comment kind "script"
  bool commentsStyle = false;     // bit 12 comment kind "style"
  bool unneededFormats = false;   // bit 13 "Unnötige Formatierungen entfernen"
  bool commentsWebbot = false;    // bit 14 comment kind "webbot"
  bool specialChars = false;      // bit 15 "Sonderzeichen durch gültige Syntax ersetzen"
  // Per optimization only, never persisted.
  bool deleteComments = false;    // "Kommentare löschen"
  bool useProfile = false;        // a profile was chosen; its rules are attached while parsing
  // Stored on its own ("Darstellung bewahren"), not in the vector.
  bool keepLook = false;          // leave out every rule that may still change the rendering

  // Bits 16 and above are ignored; deleteComments, useProfile and keepLook are left false.
  static OptimizeOptions FromVector(std::uint32_t vector);
  std::uint32_t ToVector() const;
};

struct CTagRule {
  std::string name;         // tag name, matched without regard to ASCII case
  bool deleteTag = false;
  bool moveSubtags = false;  // with deleteTag: the content moves up into the tag's place
  bool deleteClass = false;
  bool deleteStyle = false;
  bool deleteRest = false;
  bool replace = false;
  std::string replacement;  // empty: none
  bool deleteSubtags = false;
};

// The rules of one profile, in file order. The first rule of a name is the one that applies.
using CTagRuleList = std::vector<CTagRule>;

// First rule whose name equals `name` without regard to case, or nullptr.
const CTagRule* FindTagRule(const CTagRuleList& rules, std::string_view name);

// Fills `rules` from the section named like the profile in `file` (normally profile.txt).
// Entries whose flag field is not exactly seven characters are skipped; a replacement equal to
// the name (case-sensitive) means none. A missing or empty section yields an empty list.
void LoadProfileRules(CTagRuleList& rules, CSectionFile& file, std::string_view profileName);

// The profile names of section "#profile" in file order.
std::vector<std::string> ListProfiles(CSectionFile& file);

// An optimization profile read from the rule file at `path`, with the profiles the file lists.
struct CProfileRulesRead {
  CTagRuleList rules;
  std::vector<std::string> profiles;  // section "#profile", file order
  FileState file = FileState::Missing;
  std::string readError;  // why a present file could not be read
  bool listed = false;    // the profile is among `profiles` (names compare without regard to case)
};
CProfileRulesRead ReadProfileRules(const std::string& path, std::string_view profileName);

}  // namespace trimvale
