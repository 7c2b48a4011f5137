#pragma once
// The engine's white-space sets. They differ on purpose: a line break folds together with the
// blanks and tabs around it; word processors separate words, attributes and declarations with
// blanks, tabs and line breaks; HTML itself also counts the form feed.

namespace trimvale {

inline bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

inline bool IsLineSpace(char c) { return IsBlankOrTab(c) || c == '\r' || c == '\n'; }

// HTML's white space: what ends a tag name and separates attributes in a browser.
inline bool IsWhiteSpace(char c) { return IsLineSpace(c) || c == '\f'; }

}  // namespace trimvale
