#pragma once
// Style-sheet rules that no element of the page can match. A word processor writes a rule for
// every style of its template (li.MsoNormal, div.MsoNormal, p.MsoToc9, span.MsoEndnoteReference)
// whether the page uses it or not; on long pages they are most of the style sheet.
//
// Only selectors whose meaning is certain are judged: a type (`p`), a class (`.x`) or a type
// with one class (`p.MsoNormal`). Anything else (combinators, ids, attributes, pseudo-classes,
// escapes, several classes) counts as matching, and at-rules stay whole.

#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace trimvale {

// The element names and classes a page's elements carry, in lower case: a page without a
// doctype matches class names in any case, so the lower-case comparison keeps every rule either
// mode could apply.
class CPageSelectors {
 public:
  // Notes an element named `name` with the class attribute value `classes` (possibly quoted).
  void AddElement(std::string_view name, std::string_view classes);
  // True when an element of that type (empty: any type) carrying that class (empty: none
  // asked) was noted. Elements a browser adds by itself (html, head, body; tbody in a table,
  // colgroup around col) count as present.
  bool Matches(std::string_view type, std::string_view cssClass) const;

 private:
  std::set<std::string> types_;
  std::set<std::string> classes_;
  std::set<std::pair<std::string, std::string>> typedClasses_;
};

// Removes from a style sheet each rule whose every selector is a simple one that matches no
// element, with the blanks and line end before it; drops the unmatched simple selectors from a
// rule that keeps others. Rules inside at-rule blocks are left alone. Returns whether anything
// changed.
bool RemoveUnmatchedRules(std::string& sheet, const CPageSelectors& page);

}  // namespace trimvale
