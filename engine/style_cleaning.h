#pragma once
// Text surgery on style values and style sheets: removing declarations a word processor adds
// ("mso-" and friends) and whole style-sheet blocks that only it reads.
//
// Every function here rewrites its text in one left-to-right sweep, however many removals it
// makes: a style sheet of several megabytes with tens of thousands of "mso-" declarations costs
// the same per byte as a small one.

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "engine/white_space.h"

namespace trimvale {

// True when `property` is `name` itself or one of its "-" sub-properties ("border" matches
// "border-top", never "mso-border-alt"), compared without regard to case.
bool IsPropertyOrPart(std::string_view property, std::string_view name);

// True when `property` begins with `prefix`, compared without regard to case.
bool HasPropertyPrefix(std::string_view property, std::string_view prefix);

// Removes every declaration of a style value for which `drop(property, value)` is true (both
// without their surrounding blanks), with its ";" and the blanks before it. Only a ";" outside
// quotes and parentheses ends a declaration, so a quoted font name or a data URL that holds one
// stays whole. Returns whether anything was removed; then the value's leading blanks go, and a
// ";" that the removal left at the end, when the value did not end with one before, goes too.
bool RemoveDeclarationsIf(std::string& value, const std::function<bool(std::string_view, std::string_view)>& drop);

// True for the properties that only a word processor reads: its "mso-" ones and the ones
// browsers ignore (text-underline, tab-stops, tab-interval, layout-grid and its parts,
// text-justify-trim, page).
bool IsWordOnlyProperty(std::string_view property);

// Removes each declaration of a style value that a later one of the same property overrides,
// unless it is "!important" and the later one is not. Returns whether anything was removed.
bool RemoveOverriddenDeclarations(std::string& value);

// The classes a style sheet names, in lower case (a page without a doctype matches class
// names in any case): those of rules that declare something, and those of rules left empty.
struct CSheetClasses {
  std::set<std::string> used;
  std::set<std::string> emptied;
  // True when every rule that named `cssClass` was left empty.
  bool IsEmptied(std::string_view cssClass) const;
};

// Removes from a style sheet its comments, the word-processor-only declarations of each rule,
// and the rules that are left empty, each with the blanks and line break before it; notes the
// classes of the rules kept and removed in `classes`. Rules inside an at-rule block (@media)
// are treated alike; the block itself stays.
void RemoveWordOnlyRules(std::string& sheet, CSheetClasses& classes);

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
