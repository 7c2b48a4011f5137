#pragma once
// Small byte-string helpers shared by the rule files, the engine and the batch. Letter-case
// rules are ASCII only: pages are bytes, and the program compares tag names and paths that way.

#include <string>
#include <string_view>

namespace trimvale {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

inline std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

inline bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

inline bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// The first CR or LF at or after `from`. A plain loop: std::string_view::find_first_of with a
// set of characters calls memchr on the set for every byte, which dominated the parse of long
// attribute lists.
inline std::size_t FindLineBreak(std::string_view s, std::size_t from = 0) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') return i;
  }
  return std::string_view::npos;
}

// Leading decimal number with an optional sign, as the rule files' keys and numbers are read:
// "12abc" is 12, "abc" is 0. Saturates instead of overflowing.
int ParseLeadingInt(std::string_view s);

}  // namespace trimvale
