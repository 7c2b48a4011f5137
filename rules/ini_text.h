#pragma once
// The line model of initialization-file text, shared by the rule files and the settings file:
// `[section]` lines, `key=value` entries, and every other line (comments starting with ';', blank
// lines, anything unrecognised) kept as it stands. Edits splice the original text, so every line
// an edit does not touch keeps its bytes and its own line end.
//
// Reading follows the private-profile conventions: blanks around the key, the '=' and at the end
// of a line are not part of the names or the value; section and key names compare without regard
// to ASCII case; entries before the first section belong to no section; where a section name
// occurs twice, the first occurrence is the section. A UTF-8 byte order mark before the first
// line is skipped.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trimvale {

class CIniText {
 public:
  struct CEntry {
    std::string_view key;    // trimmed, as written in the text
    std::string_view value;  // trimmed, as written in the text
  };

  CIniText() = default;
  explicit CIniText(std::string text);

  const std::string& Text() const { return text_; }

  // The line end new lines get: the one the text's first line uses, CR LF when it has none.
  std::string_view LineEnd() const { return crlf_ ? std::string_view("\r\n") : std::string_view("\n"); }

  bool HasSection(std::string_view section) const { return FindSection(section) != nullptr; }
  // The entries of `section` in file order (views into Text(), valid until the next edit).
  std::vector<CEntry> Entries(std::string_view section) const;
  // The value of the first entry `key` of `section`.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Writes `key=value` into `section`: an existing entry is replaced where it stands (keeping its
  // key's spelling and its line end), a new one goes after the last entry of its section, a new
  // section to the end of the text. False, with nothing changed, when a name or the value could
  // not be read back as written (see the IsValid... functions).
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // As Set for each (key, value) of `entries` in turn, then Remove for each key of `remove`, in
  // one pass over the text: saving a profile of many entries parses the text once, not once per
  // entry. The keys of `remove` must not be keys of `entries`. False, with nothing changed, when
  // a name or value is not valid; else true.
  bool Update(std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries,
              const std::vector<std::string>& remove);
  // Removes every entry `key` of `section`. True when something was removed.
  bool Remove(std::string_view section, std::string_view key);
  // Removes every section named `section` with all its lines. True when something was removed.
  bool RemoveSection(std::string_view section);

  // A section name must not be empty, hold ']' or a line break, or begin or end with a blank.
  static bool IsValidSectionName(std::string_view name);
  // A key must not be empty, hold '=' or a line break, begin with ';' or '[', or begin or end
  // with a blank.
  static bool IsValidKey(std::string_view key);
  // A value must not hold a line break. (Blanks at its ends are written but not read back.)
  static bool IsValidValue(std::string_view value);

 private:
  enum class LineKind { Other, Section, Entry };
  struct CLine {
    std::size_t begin = 0;       // first byte of the line
    std::size_t contentEnd = 0;  // end of the line without its line end
    std::size_t next = 0;        // first byte of the following line (end of text for the last)
    LineKind kind = LineKind::Other;
    std::size_t nameBegin = 0, nameLength = 0;    // section name or key
    std::size_t valueBegin = 0, valueLength = 0;  // entry value
  };
  struct CSection {
    std::size_t headerLine = 0;
    std::size_t endLine = 0;                                  // one past the section's last line
    std::vector<std::size_t> entryLines;                      // file order
    std::unordered_map<std::string, std::size_t> firstEntry;  // lower-cased key -> line
  };

  void Parse();
  const CSection* FindSection(std::string_view section) const;
  bool IsBlankLine(const CLine& line) const;
  std::string_view Name(const CLine& line) const { return {text_.data() + line.nameBegin, line.nameLength}; }
  std::string_view Value(const CLine& line) const { return {text_.data() + line.valueBegin, line.valueLength}; }
  // Replaces bytes [begin, end) of the text and parses it again.
  void Splice(std::size_t begin, std::size_t end, std::string_view replacement);

  std::string text_;
  bool crlf_ = true;
  std::vector<CLine> lines_;
  std::vector<CSection> sections_;                             // file order, duplicates included
  std::unordered_map<std::string, std::size_t> firstSection_;  // lower-cased name -> index
};

}  // namespace trimvale
