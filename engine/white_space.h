#pragma once

#include <cstddef>
#include <string_view>
// The engine's white-space sets. They differ on purpose: a line break folds together with the
// blanks and tabs around it; word processors separate words, attributes and declarations with
// blanks, tabs and line breaks; HTML itself also counts the form feed.

namespace trimvale {

inline bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// The length of the line end (CR LF, LF or a lone CR) at `at`; 0 when none stands there.
inline std::size_t LineEndLength(std::string_view text, std::size_t at) {
  if (at >= text.size() || !IsLineEnd(text[at])) return 0;
  return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}
inline bool IsLineSpace(char c) { return IsBlankOrTab(c) || c == '\r' || c == '\n'; }

// HTML's white space: what ends a tag name and separates attributes in a browser.
inline bool IsWhiteSpace(char c) { return IsLineSpace(c) || c == '\f'; }

}  // namespace trimvale
