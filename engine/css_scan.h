#pragma once

#include <cstddef>
#include <string_view>

#include "engine/white_space.h"
// Character tests and scanners for the passes that read style sheets and style attributes.
// CSS separates tokens with the same five blanks as HTML.

namespace trimvale {

inline bool IsCssBlank(char c) { return IsWhiteSpace(c); }
inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
// Bytes from 0x80 up are name characters in CSS, whatever the page's encoding.
inline bool IsHighByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

inline std::string_view TrimCssBlanks(std::string_view s) {
  while (!s.empty() && IsCssBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsCssBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The index just past the quoted string that opens at `open` (a backslash escapes the next
// byte); npos when the string is never closed.
inline std::size_t PastCssString(std::string_view text, std::size_t open) {
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == text[open]) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace trimvale
