#pragma once
// Text surgery on style values and style sheets: removing declarations a word processor adds
// ("mso-" and friends) and whole style-sheet blocks that only it reads.
//
// Every function here rewrites its text in one left-to-right sweep, however many removals it
// makes: a style sheet of several megabytes with tens of thousands of "mso-" declarations costs
// the same per byte as a small one.

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/white_space.h"

namespace trimvale {

// What happens to blanks at the very start of a style value after each removal.
enum class LeadingBlanks {
  Keep,     // left as they are
  DropOne,  // one blank is dropped
  DropAll,  // all blanks are dropped
};

// Removes one declaration from a style value: from the first occurrence of `word` (not from the
// start of its declaration: removing "color" from "background-color:red" leaves "background-")
// through the next ";". Without a ";" after it, the rest of the value goes together with the
// separator before the word, or the whole value when the word stands at its start. Returns
// whether `word` occurred.
bool RemoveDeclaration(std::string& value, std::string_view word);

// Removes declarations as RemoveDeclaration does, again and again while `word` occurs, treating
// the value's leading blanks after each removal as `blanks` says. The result is the same as
// searching the value afresh after every removal.
void RemoveEveryDeclaration(std::string& value, std::string_view word, LeadingBlanks blanks);

// Where a style sheet to clean is held: the rest of a style element's tag, the content of a
// comment inside a style element, or a text inside a style element (a sheet written without a
// comment around it).
enum class StyleSheetHolder { TagRest, Comment, Text };

// Removes the declarations "mso-", "panose-" and "page-break-" and the blocks "@font-face",
// "@list" and "@page" (in that order), each with the blanks and tabs around it and, when it
// stood on a line of its own, with that line; then strips leading and trailing blanks. A tag
// rest that is not empty keeps the blank that separates it from the tag name; a comment keeps
// its closing "--". A declaration that ends at "}" or "{" leaves the brace in place, so the
// blocks around it stay whole.
void CleanStyleSheet(std::string& text, StyleSheetHolder holder);

// Calls `visit(property, value)` for every "property:value" declaration of a style value, in
// order, both without the blanks and line breaks around them. A piece without a colon is no
// declaration and is passed over.
template <typename Visit>
void ForEachDeclaration(std::string_view style, Visit visit) {
  auto trim = [](std::string_view s) {
    while (!s.empty() && IsLineSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsLineSpace(s.back())) s.remove_suffix(1);
    return s;
  };
  while (!style.empty()) {
    const std::size_t end = std::min(style.find(';'), style.size());
    const std::string_view declaration = style.substr(0, end);
    style.remove_prefix(end == style.size() ? end : end + 1);
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    visit(trim(declaration.substr(0, colon)), trim(declaration.substr(colon + 1)));
  }
}

// True when `text` consists only of blanks and "&nbsp;" entities (an empty text counts).
bool IsBlankText(std::string_view text);

}  // namespace trimvale
