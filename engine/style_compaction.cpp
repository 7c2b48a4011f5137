#include "engine/style_compaction.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/css_scan.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

struct CDeclaration {
  std::string lead;      // the white space before it
  std::string property;  // as written
  std::string value;     // without the blanks around it
};

struct CDeclarationList {
  std::vector<CDeclaration> items;
  bool closed = false;  // the last declaration ends with ";"
  std::string tail;     // the white space after the last ";"
};

// Splits a declaration list at the ";" outside strings and parentheses; false when a piece is
// not a declaration or a string or parenthesis stays open.
bool SplitDeclarations(std::string_view text, CDeclarationList& list) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = start;
    std::size_t depth = 0;
    for (; end < text.size(); ++end) {
      const char c = text[end];
      if (c == '"' || c == '\'') {
        const std::size_t past = PastCssString(text, end);
        if (past == std::string_view::npos) return false;
        end = past - 1;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (depth == 0) return false;
        --depth;
      } else if (c == ';' && depth == 0) {
        break;
      }
    }
    if (depth != 0) return false;
    const std::string_view piece = text.substr(start, end - start);
    const std::string_view content = TrimCssBlanks(piece);
    if (content.empty()) {
      // An empty piece between two ";" says nothing; after the last one it is the tail.
      if (end >= text.size()) list.tail = piece;
    } else {
      const std::size_t colon = content.find(':');
      if (colon == std::string_view::npos) return false;
      const std::string_view property = TrimCssBlanks(content.substr(0, colon));
      const std::string_view value = TrimCssBlanks(content.substr(colon + 1));
      const bool propertyOk = !property.empty() && std::ranges::all_of(property, [](char c) {
        return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_';
      });
      if (!propertyOk || value.empty()) return false;
      list.items.push_back({std::string(piece.substr(0, static_cast<std::size_t>(content.data() - piece.data()))),
                            std::string(property), std::string(value)});
      list.closed = end < text.size();
      if (!list.closed) list.tail = piece.substr(static_cast<std::size_t>(content.data() - piece.data()) + content.size());
    }
    if (end >= text.size()) break;
    start = end + 1;
  }
  return true;
}

bool IsMarginOrPadding(std::string_view property) {
  return EqualsNoCase(property, "text-indent") || StartsWith(ToLowerAscii(property), "margin") ||
         StartsWith(ToLowerAscii(property), "padding");
}

bool IsLengthUnit(std::string_view unit) {
  static constexpr std::array<std::string_view, 9> kUnits = {"pt", "px", "cm", "mm", "in", "pc", "em", "ex", "rem"};
  return std::ranges::any_of(kUnits, [&](std::string_view u) { return EqualsNoCase(unit, u); });
}

// A number can begin here: at the value's start or after a separator, never inside a word or
// a colour (#1F497D).
bool AtTokenStart(const std::string& out) {
  return out.empty() || out.back() == ' ' || out.back() == ',' || out.back() == '(' || out.back() == '/';
}
bool AtTokenEnd(std::string_view value, std::size_t i) {
  return i >= value.size() || IsCssBlank(value[i]) || value[i] == ',' || value[i] == ')' || value[i] == '/' ||
         value[i] == '!';
}

// Appends the number at `value[i]` (sign, digits, fraction, unit) written without needless
// zeros; returns the index after it, or `i` when no number that ends a token starts there.
std::size_t AppendNumber(std::string_view value, std::size_t i, bool zeroWithoutUnit, std::string& out) {
  std::size_t at = i;
  std::string sign;
  if (at < value.size() && (value[at] == '-' || value[at] == '+')) sign = value[at++];
  const std::size_t intStart = at;
  while (at < value.size() && IsAsciiDigit(value[at])) ++at;
  std::string_view integer = value.substr(intStart, at - intStart);
  std::string_view fraction;
  if (at < value.size() && value[at] == '.') {
    const std::size_t fracStart = ++at;
    while (at < value.size() && IsAsciiDigit(value[at])) ++at;
    fraction = value.substr(fracStart, at - fracStart);
    if (fraction.empty()) return i;  // "1." is no number
  }
  if (integer.empty() && fraction.empty()) return i;
  const std::size_t unitStart = at;
  while (at < value.size() && (IsAsciiLetter(value[at]) || value[at] == '%')) ++at;
  const std::string_view unit = value.substr(unitStart, at - unitStart);
  if (!AtTokenEnd(value, at)) return i;
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  while (integer.size() > 1 && integer.front() == '0') integer.remove_prefix(1);
  const bool zeroInteger = integer.find_first_not_of('0') == std::string_view::npos;
  const bool zero = zeroInteger && fraction.empty();
  // Word writes a margin it means to be nothing as .0001pt. Below a thousandth of a point or a
  // pixel a length is far below the 1/64 px that browsers lay out in, so it is zero.
  const bool belowLayout = zeroInteger && fraction.starts_with("000") && (EqualsNoCase(unit, "pt") || EqualsNoCase(unit, "px"));
  if ((zero || belowLayout) && zeroWithoutUnit && IsLengthUnit(unit)) {
    out += '0';
    return at;
  }
  out += sign;
  if (fraction.empty()) {
    out += integer.empty() ? std::string_view("0") : integer;
  } else {
    if (integer != "0") out += integer;
    out += '.';
    out += fraction;
  }
  out += unit;
  return at;
}

// A quoted font name that reads the same without quotes: words of letters, digits, "-" and
// "_", none of them a generic family or a keyword, which unquoted would mean something else.
bool IsPlainFamilyName(std::string_view name) {
  static constexpr std::array<std::string_view, 21> kKeywords = {
      "serif",     "sans-serif", "cursive",  "fantasy",  "monospace",     "system-ui",    "emoji",
      "math",      "fangsong",   "ui-serif", "ui-sans-serif", "ui-monospace", "ui-rounded", "inherit",
      "initial",   "unset",      "revert",   "revert-layer",  "default",      "auto",       "none"};
  if (name.empty()) return false;
  for (std::size_t start = 0; start <= name.size();) {
    std::size_t end = std::min(name.find(' ', start), name.size());
    const std::string_view word = name.substr(start, end - start);
    if (word.empty() || !(IsAsciiLetter(word.front()) || word.front() == '_' || IsHighByte(word.front()))) return false;
    const bool chars = std::ranges::all_of(
        word, [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_' || IsHighByte(c); });
    if (!chars) return false;
    if (std::ranges::any_of(kKeywords, [&](std::string_view k) { return EqualsNoCase(word, k); })) return false;
    if (end == name.size()) break;
    start = end + 1;
  }
  return true;
}

std::string UnquoteFamilies(std::string_view value) {
  std::string out;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = start;
    while (end < value.size() && value[end] != ',') {
      if (value[end] == '"' || value[end] == '\'') {
        const std::size_t past = PastCssString(value, end);
        if (past == std::string_view::npos) return std::string(value);
        end = past;
      } else {
        ++end;
      }
    }
    std::string_view family = TrimCssBlanks(value.substr(start, end - start));
    if (family.size() >= 2 && (family.front() == '\'' || family.front() == '"') && family.back() == family.front() &&
        IsPlainFamilyName(family.substr(1, family.size() - 2))) {
      family = family.substr(1, family.size() - 2);
    }
    if (start > 0) out += ',';
    out += family;
    if (end >= value.size()) break;
    start = end + 1;
  }
  return out;
}

std::string CompactValue(std::string_view property, std::string_view value) {
  // After an escape (\5B8B for a font name) one blank belongs to the escape: blanks stay as written.
  if (value.find('\\') != std::string_view::npos) return std::string(value);
  const bool zeroWithoutUnit = IsMarginOrPadding(property);
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size();) {
    const char c = value[i];
    if (c == '"' || c == '\'') {
      const std::size_t past = std::min(PastCssString(value, i), value.size());
      out.append(value.substr(i, past - i));
      i = past;
    } else if (value.size() - i >= 4 && EqualsNoCase(value.substr(i, 4), "url(")) {
      const std::size_t close = std::min(value.find(')', i), value.size() - 1);
      out.append(value.substr(i, close + 1 - i));
      i = close + 1;
    } else if (IsCssBlank(c)) {
      while (i < value.size() && IsCssBlank(value[i])) ++i;
      if (!out.empty() && out.back() != ',' && i < value.size() && value[i] != ',') out += ' ';
    } else if ((IsAsciiDigit(c) || c == '.' || c == '-' || c == '+') && AtTokenStart(out)) {
      const std::size_t next = AppendNumber(value, i, zeroWithoutUnit, out);
      if (next == i) {
        out += c;
        ++i;
      } else {
        i = next;
      }
    } else {
      out += c;
      ++i;
    }
  }
  if (EqualsNoCase(property, "font-family")) return UnquoteFamilies(out);
  return out;
}

// Drops each declaration that a later one of the same property overrides. A later value with a
// function (calc(), a gradient) may be meant for newer browsers only, with the earlier one as
// the others' fallback, so it overrides nothing here; nor does anything "!important" take part.
void DropOverridden(std::vector<CDeclaration>& items) {
  std::unordered_map<std::string, std::size_t> last;
  for (std::size_t k = 0; k < items.size(); ++k) last[ToLowerAscii(items[k].property)] = k;
  if (last.size() == items.size()) return;
  std::vector<CDeclaration> kept;
  kept.reserve(last.size());
  for (std::size_t k = 0; k < items.size(); ++k) {
    const CDeclaration& later = items[last[ToLowerAscii(items[k].property)]];
    const bool overridden = &later != &items[k] && items[k].value.find('!') == std::string::npos &&
                            later.value.find_first_of("!(") == std::string::npos;
    if (!overridden) kept.push_back(std::move(items[k]));
  }
  items = std::move(kept);
}

// A value that is valid as one side of margin (`allowMargin`: also negative or auto) or
// padding. An invalid side is dropped alone, but would make a whole shorthand invalid, so only
// sides valid in every mode are merged: a length with a unit, a percentage, or a bare zero.
bool IsValidSide(std::string_view value, bool allowMargin) {
  if (allowMargin && EqualsNoCase(value, "auto")) return true;
  std::size_t at = 0;
  if (at < value.size() && (value[at] == '-' || value[at] == '+')) {
    if (value[at] == '-' && !allowMargin) return false;
    ++at;
  }
  const std::size_t digits = at;
  bool zero = true;
  while (at < value.size() && (IsAsciiDigit(value[at]) || value[at] == '.')) {
    if (IsAsciiDigit(value[at]) && value[at] != '0') zero = false;
    ++at;
  }
  if (at == digits) return false;
  const std::string_view number = value.substr(digits, at - digits);
  if (std::ranges::count(number, '.') > 1 || number.back() == '.') return false;
  const std::string_view unit = value.substr(at);
  if (unit.empty()) return zero;
  return unit == "%" || IsLengthUnit(unit);
}

// The shortest shorthand value for four sides: one value when all are equal, and so on.
std::string ShortestSides(const std::string& top, const std::string& right, const std::string& bottom,
                          const std::string& left) {
  std::string value = top;
  if (left == right && bottom == top && right == top) return value;
  value += ' ' + right;
  if (left == right && bottom == top) return value;
  value += ' ' + bottom;
  if (left != right) value += ' ' + left;
  return value;
}

// A margin or padding shorthand written with the fewest of its one to four sides.
void ShortenSides(CDeclaration& item) {
  const bool margin = EqualsNoCase(item.property, "margin");
  if (!margin && !EqualsNoCase(item.property, "padding")) return;
  std::vector<std::string> sides;
  for (std::size_t start = 0; start <= item.value.size();) {
    const std::size_t end = std::min(item.value.find(' ', start), item.value.size());
    sides.emplace_back(item.value, start, end - start);
    if (sides.size() > 4 || !IsValidSide(sides.back(), margin)) return;
    start = end + 1;
  }
  // top, right = top, bottom = top, left = right
  if (sides.size() < 2) sides.push_back(sides[0]);
  if (sides.size() < 3) sides.push_back(sides[0]);
  if (sides.size() < 4) sides.push_back(sides[1]);
  item.value = ShortestSides(sides[0], sides[1], sides[2], sides[3]);
}

// Replaces the four sides of `family` (margin, padding) by the shorthand, when each is given
// once with a plain value and nothing else of the family is declared.
void MergeSides(std::vector<CDeclaration>& items, std::string_view family) {
  static constexpr std::array<std::string_view, 4> kSides = {"-top", "-right", "-bottom", "-left"};
  std::array<std::size_t, 4> at{};
  std::array<int, 4> seen{};
  for (std::size_t k = 0; k < items.size(); ++k) {
    const std::string property = ToLowerAscii(items[k].property);
    if (!StartsWith(property, family)) continue;
    bool side = false;
    for (std::size_t s = 0; s < kSides.size(); ++s) {
      if (property.size() == family.size() + kSides[s].size() && property.ends_with(kSides[s])) {
        at[s] = k;
        ++seen[s];
        side = true;
      }
    }
    if (!side) return;  // the shorthand itself, or a logical side, whose order matters
  }
  if (std::ranges::any_of(seen, [](int n) { return n != 1; })) return;
  const bool margin = family == "margin";
  if (std::ranges::any_of(at, [&](std::size_t k) { return !IsValidSide(items[k].value, margin); })) return;
  std::string value = ShortestSides(items[at[0]].value, items[at[1]].value, items[at[2]].value, items[at[3]].value);
  const std::size_t first = *std::ranges::min_element(at);
  items[first].property = std::string(family);
  items[first].value = std::move(value);
  std::array<std::size_t, 4> gone = at;
  std::ranges::sort(gone, std::greater<>());
  for (std::size_t k : gone) {
    if (k != first) items.erase(items.begin() + static_cast<std::ptrdiff_t>(k));
  }
}

}  // namespace

bool CompactDeclarations(std::string& declarations, DeclarationLayout layout) {
  CDeclarationList list;
  if (!SplitDeclarations(declarations, list) || list.items.empty()) return false;
  for (CDeclaration& item : list.items) {
    item.value = CompactValue(item.property, item.value);
    ShortenSides(item);
  }
  DropOverridden(list.items);
  MergeSides(list.items, "margin");
  MergeSides(list.items, "padding");
  std::string out;
  out.reserve(declarations.size());
  for (std::size_t k = 0; k < list.items.size(); ++k) {
    const CDeclaration& item = list.items[k];
    if (k > 0) out += ';';
    if (layout == DeclarationLayout::SheetRule) out += item.lead;
    out += item.property;
    out += ':';
    out += item.value;
  }
  if (layout == DeclarationLayout::SheetRule) {
    if (list.closed) out += ';';
    out += list.tail;
  }
  if (out == declarations) return false;
  declarations = std::move(out);
  return true;
}

}  // namespace trimvale
