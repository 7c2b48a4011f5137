#include "engine/sheet_pruning.h"

#include <algorithm>
#include <vector>

#include "engine/css_scan.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsNameChar(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_' || IsHighByte(c);
}

// The index just past the string that opens at `open`, or the text's end when it stays open.
std::size_t PastString(std::string_view text, std::size_t open) {
  return std::min(PastCssString(text, open), text.size());
}

// The index just past the comment that opens at `open`, or the text's end.
std::size_t PastComment(std::string_view text, std::size_t open) {
  const std::size_t close = text.find("*/", open + 2);
  return close == kNone ? text.size() : close + 2;
}

// The first of `stops` at or after `from` outside strings and comments, or the text's end.
std::size_t FindOutside(std::string_view text, std::size_t from, std::string_view stops) {
  for (std::size_t i = from; i < text.size();) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      i = PastString(text, i);
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      i = PastComment(text, i);
    } else if (stops.find(c) != kNone) {
      return i;
    } else {
      ++i;
    }
  }
  return text.size();
}

// The index of the "}" that closes the block opening at `open`, or the text's end.
std::size_t BlockEnd(std::string_view text, std::size_t open) {
  std::size_t depth = 0;
  for (std::size_t i = open;;) {
    i = FindOutside(text, i, "{}");
    if (i >= text.size()) return text.size();
    if (text[i] == '{') {
      ++depth;
    } else if (--depth == 0) {
      return i;
    }
    ++i;
  }
}

// An identifier as CSS reads one without escapes: no digit first, and no digit after a lone "-".
bool IsIdentifier(std::string_view s) {
  if (s.empty()) return false;
  const std::size_t start = s.front() == '-' ? 1 : 0;
  if (start >= s.size() || !(IsAsciiLetter(s[start]) || s[start] == '_' || IsHighByte(s[start]))) return false;
  for (char c : s) {
    if (!IsNameChar(c)) return false;
  }
  return true;
}

// Reads `type`, `.class` or `type.class`; false for any other selector.
bool ReadSimpleSelector(std::string_view selector, std::string& type, std::string& cssClass) {
  const std::size_t dot = selector.find('.');
  const std::string_view typePart = selector.substr(0, dot);
  const std::string_view classPart = dot == kNone ? std::string_view() : selector.substr(dot + 1);
  if (typePart.empty() && dot == kNone) return false;
  if (!typePart.empty() && (!IsAsciiLetter(typePart.front()) || !IsIdentifier(typePart))) return false;
  if (dot != kNone && !IsIdentifier(classPart)) return false;
  type = ToLowerAscii(typePart);
  cssClass = ToLowerAscii(classPart);
  return true;
}

// The selectors of a rule's prelude, split at the commas outside strings and parentheses.
std::vector<std::string_view> SplitSelectors(std::string_view prelude) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  std::size_t depth = 0;
  for (std::size_t i = 0; i < prelude.size();) {
    const char c = prelude[i];
    if (c == '"' || c == '\'') {
      i = PastString(prelude, i);
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (c == ',' && depth == 0) {
      parts.push_back(prelude.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  parts.push_back(prelude.substr(start));
  return parts;
}

}  // namespace

void CPageSelectors::AddElement(std::string_view name, std::string_view classes) {
  const std::string type = ToLowerAscii(name);
  types_.insert(type);
  if (classes.size() >= 2 && (classes.front() == '"' || classes.front() == '\'') && classes.back() == classes.front()) {
    classes = classes.substr(1, classes.size() - 2);
  }
  for (std::size_t i = 0; i < classes.size();) {
    while (i < classes.size() && IsCssBlank(classes[i])) ++i;
    std::size_t end = i;
    while (end < classes.size() && !IsCssBlank(classes[end])) ++end;
    if (end > i) {
      std::string cssClass = ToLowerAscii(classes.substr(i, end - i));
      typedClasses_.emplace(type, cssClass);
      classes_.insert(std::move(cssClass));
    }
    i = end;
  }
}

bool CPageSelectors::Matches(std::string_view type, std::string_view cssClass) const {
  if (cssClass.empty()) {
    if (type == "html" || type == "head" || type == "body") return true;
    if (type == "tbody" && types_.contains("table")) return true;
    if (type == "colgroup" && types_.contains("col")) return true;
    return types_.contains(std::string(type));
  }
  if (type.empty()) return classes_.contains(std::string(cssClass));
  return typedClasses_.contains({std::string(type), std::string(cssClass)});
}

bool RemoveUnmatchedRules(std::string& sheet, const CPageSelectors& page) {
  const std::string_view text = sheet;
  std::string out;
  out.reserve(text.size());
  bool changed = false;
  std::string type, cssClass;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t start = i;
    while (start < text.size() && IsCssBlank(text[start])) ++start;
    const std::string_view lead = text.substr(i, start - i);
    if (start >= text.size()) {
      out += lead;
      break;
    }
    // Comments and the markers that hid a sheet from old browsers stand between rules.
    std::size_t skip = 0;
    if (text.substr(start, 2) == "/*") {
      skip = PastComment(text, start) - start;
    } else if (text.substr(start, 4) == "<!--") {
      skip = 4;
    } else if (text.substr(start, 3) == "-->") {
      skip = 3;
    } else if (text[start] == '}') {
      skip = 1;
    }
    if (skip) {
      out.append(text.substr(i, start + skip - i));
      i = start + skip;
      continue;
    }
    const std::size_t open = FindOutside(text, start, "{;}");
    if (open >= text.size() || text[open] != '{') {
      // A statement without a block (@import, @charset) or a prelude that never opens one.
      const std::size_t end = std::min(open + 1, text.size());
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    const std::size_t close = BlockEnd(text, open);
    const std::size_t end = std::min(close + 1, text.size());
    const std::string_view prelude = text.substr(start, open - start);
    if (prelude.front() == '@' || close >= text.size()) {
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    std::vector<std::string_view> kept;
    const std::vector<std::string_view> selectors = SplitSelectors(prelude);
    for (std::string_view selector : selectors) {
      selector = TrimCssBlanks(selector);
      if (ReadSimpleSelector(selector, type, cssClass) && !page.Matches(type, cssClass)) continue;
      kept.push_back(selector);
    }
    if (kept.empty()) {
      changed = true;  // the rule goes with the blanks and line end before it
    } else if (kept.size() == selectors.size()) {
      out.append(text.substr(i, end - i));
    } else {
      changed = true;
      out += lead;
      for (std::size_t k = 0; k < kept.size(); ++k) {
        if (k > 0) out += ", ";
        out += kept[k];
      }
      const std::string_view selectorsText = TrimCssBlanks(prelude);
      out += prelude.substr(static_cast<std::size_t>(selectorsText.data() - prelude.data()) + selectorsText.size());
      out += text.substr(open, end - open);
    }
    i = end;
  }
  if (changed) sheet = std::move(out);
  return changed;
}

}  // namespace trimvale
