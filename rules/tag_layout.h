#pragma once
// The tag layout table: per tag name, whether the tag has an end tag and how the serializer
// breaks and indents around it. Loaded from a section of tageinst.txt; handed to a run read-only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rules/section_file.h"

namespace trimvale {

// Classification of a node. The numbers are stable: they are what the engine tests and what the
// parse tree shows, and some values are never assigned by the table (Text is the engine's own).
enum class TagKind : std::int32_t {
  Text = 1,
  Html = 2,
  Link = 8,
  Anchor = 9,
  Div = 10,
  Heading = 12,
  P = 13,
  Span = 14,
  Td = 16,
  Tr = 17,
  B = 18,
  I = 19,
  DownlevelIf = 21,  // "![if": downlevel-revealed conditional section, closed by "<![endif]>"
  CommentIf = 22,    // "!--[if": downlevel-hidden conditional comment, closed by "<![endif]-->"
  Strong = 23,
  Xml = 24,
  Comment = 25,
  Ul = 27,
  Style = 28,
  Script = 29,
  Plaintext = 30,
  Xmp = 31,
  Textarea = 32,
  Office = 33,  // names beginning with "o:"
  Other = 34,
};

// The eight layout bits, most significant first as written in the rule file.
namespace layout_bit {
inline constexpr std::uint8_t kBreakBefore = 0x80;       // bit 7
inline constexpr std::uint8_t kBreakAfter2 = 0x40;       // bit 6: second break after the start tag
inline constexpr std::uint8_t kBreakAfter1 = 0x20;       // bit 5: first break after the start tag
inline constexpr std::uint8_t kIndentChildren = 0x10;    // bit 4
inline constexpr std::uint8_t kBreakBeforeEnd2 = 0x08;   // bit 3
inline constexpr std::uint8_t kBreakBeforeEnd1 = 0x04;   // bit 2
inline constexpr std::uint8_t kBreakAfterEnd2 = 0x02;    // bit 1
inline constexpr std::uint8_t kBreakAfterEnd1 = 0x01;    // bit 0
}  // namespace layout_bit

// Layout bits that "Komplett nach Baum" forces on every tag: 10110101.
inline constexpr std::uint8_t kTreeLayoutBits = 181;

// End-tag kinds as stored in the table and copied into nodes.
inline constexpr std::uint8_t kEndTagNone = 0;      // "Ohne": no end tag, never children
inline constexpr std::uint8_t kEndTagRequired = 1;  // "Immer"
inline constexpr std::uint8_t kEndTagOptional = 2;  // "Teilweise"

// Code layout modes ("Baumart").
inline constexpr int kLayoutStandard = 0;
inline constexpr int kLayoutOneLine = 1;
inline constexpr int kLayoutTree = 2;
inline constexpr int kLayoutUserProfile = 3;

struct CTagLayout {
  std::string name;             // as written in the file; matched without regard to case
  std::uint8_t layoutBits = 0;  // the eight layout flags
  std::uint8_t endTagKind = 0;  // kEndTagNone / kEndTagRequired / kEndTagOptional
  std::int32_t key = 0;         // entry key the record was read from
  TagKind kind = TagKind::Other;
};

// What a lookup yields for a tag the parser has just read.
struct CLayoutLookup {
  std::uint8_t endTagKind = kEndTagOptional;
  std::uint8_t layoutBits = 0;
  TagKind kind = TagKind::Other;
};

// Ordered records; the first record of a name wins. Lookups go through a case-folded index so
// that a page with many tags does not scan the whole table per tag.
class CTagLayoutTable {
 public:
  void Clear();
  void Append(CTagLayout record);
  const std::vector<CTagLayout>& Records() const { return records_; }
  // First record whose name equals `name` without regard to ASCII case, or nullptr.
  const CTagLayout* Find(std::string_view name) const;

 private:
  std::vector<CTagLayout> records_;                   // file order
  std::unordered_map<std::string, std::size_t> firstByName_;  // lower-cased name -> first index
};

// TagKind of a tag name by the fixed classification rules.
TagKind ClassifyTagName(std::string_view name);

// True for "h"/"H" alone or 'h'/'H' followed by a character from '0' to ':'.
bool IsHeadingName(std::string_view name);

// Empties `table` and fills it from the entries of `section` in file order. A missing section
// leaves the table empty. Returns false when the section was missing or empty.
bool LoadLayoutProfile(CTagLayoutTable& table, CSectionFile& file, std::string_view section);

// A layout profile read from the rule file at `path`, with what became of the file.
struct CLayoutProfileRead {
  CTagLayoutTable table;
  FileState file = FileState::Missing;
  std::string readError;  // why a present file could not be read
  bool found = false;     // the section exists and holds entries
};
CLayoutProfileRead ReadLayoutProfile(const std::string& path, std::string_view section);

// Lookup with the fallback records "h", "!--" and "o:" and the layout-mode override.
CLayoutLookup FindTagLayout(const CTagLayoutTable& table, std::string_view name, int layoutMode);

// End-tag kind of the first record of `name`; no fallbacks, no mode override.
std::optional<std::uint8_t> FindEndTagKind(const CTagLayoutTable& table, std::string_view name);

// Layout string "10110101" <-> bits. A string shorter than 8 characters yields 0.
std::uint8_t ParseLayoutString(std::string_view bits);
std::string FormatLayoutString(std::uint8_t bits);

}  // namespace trimvale
