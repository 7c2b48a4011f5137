// Takes class, style and lang out of an element's tag rest. The rest is read the way a browser
// reads attributes (name, optional blanks, "=", a quoted or bare value), so a name is found only
// where it stands as a whole attribute name: never inside a longer name or inside a value.
#include "engine/attributes.h"

#include <algorithm>

#include "engine/parser_internal.h"
#include "engine/white_space.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

// One attribute of a tag rest as the reader sees it.
struct CAttributeSpan {
  std::size_t nameBegin;
  std::size_t nameEnd;
  std::size_t next;  // where the following attribute may begin
};

// Reads the attribute that begins at or after `pos`; false when only white space is left.
bool NextAttribute(std::string_view t, std::size_t pos, CAttributeSpan& span) {
  while (pos < t.size() && IsLineSpace(t[pos])) ++pos;
  if (pos >= t.size()) return false;
  span.nameBegin = pos;
  while (pos < t.size() && !IsLineSpace(t[pos]) && t[pos] != '=') ++pos;
  span.nameEnd = pos;
  span.next = pos;
  std::size_t q = pos;
  while (q < t.size() && t[q] == ' ') ++q;
  if (q < t.size() && t[q] == '=') {
    ++q;
    while (q < t.size() && t[q] == ' ') ++q;
    if (q < t.size() && (t[q] == '"' || t[q] == '\'')) {
      const std::size_t close = t.find(t[q], q + 1);
      span.next = close == std::string_view::npos ? t.size() : close + 1;
    } else {
      while (q < t.size() && !IsLineSpace(t[q])) ++q;
      span.next = q;
    }
  }
  return true;
}

// ExtractAttribute on the tag rest `t` of a tag named `tagName`.
int ExtractFromRest(CRunContext& ctx, std::string_view tagName, std::string& t, std::string& target,
                    std::string_view attributeName, std::size_t tagPos);

}  // namespace

int ExtractAttributes(CRunContext& ctx, CHtmlNode& node, std::size_t tagPos) {
  std::string value;
  if (ExtractAttribute(ctx, node, value, "class", tagPos)) node.SetCssClass(std::move(value));
  value.clear();
  if (ExtractAttribute(ctx, node, value, "style", tagPos)) node.SetStyle(std::move(value));
  value.clear();
  if (ExtractAttribute(ctx, node, value, "lang", tagPos)) node.SetLang(std::move(value));
  return 1;
}

int ExtractAttribute(CRunContext& ctx, CHtmlNode& node, std::string& target, std::string_view attributeName,
                     std::size_t tagPos) {
  // Most tags lack most of the three names; one substring search spares the attribute scan and
  // the copy of the rest.
  if (node.text.find(attributeName) == std::string::npos) return 0;
  int taken = 0;
  node.text.Edit([&](std::string& t) { taken = ExtractFromRest(ctx, node.name, t, target, attributeName, tagPos); });
  return taken;
}

bool RemoveNamespacedAttributes(std::string& rest) {
  if (rest.find(':') == std::string::npos) return false;
  std::string kept;
  bool removed = false;
  std::size_t keptUpTo = 0;  // the rest before this index is decided
  CAttributeSpan span{};
  for (std::size_t pos = 0; NextAttribute(rest, pos, span); pos = span.next) {
    const std::string_view name = std::string_view(rest).substr(span.nameBegin, span.nameEnd - span.nameBegin);
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon == 0) continue;
    // Only the office prefixes: other prefixed names are a script framework's (v-on:click,
    // x-bind:class, th:text) and do their work after loading.
    const std::string_view prefix = name.substr(0, colon);
    const bool office = EqualsNoCase(prefix, "o") || EqualsNoCase(prefix, "v") || EqualsNoCase(prefix, "w") ||
                        EqualsNoCase(prefix, "x") || EqualsNoCase(prefix, "dt");
    if (!office) continue;
    // The attribute goes with the white space that separated it from the one before.
    kept.append(rest, keptUpTo, pos - keptUpTo);
    keptUpTo = span.next;
    removed = true;
  }
  if (!removed) return false;
  kept.append(rest, keptUpTo);
  rest = std::move(kept);
  return true;
}

bool RemoveTagAttribute(std::string& rest, std::string_view name) {
  CAttributeSpan span{};
  for (std::size_t pos = 0; NextAttribute(rest, pos, span); pos = span.next) {
    if (!EqualsNoCase(std::string_view(rest).substr(span.nameBegin, span.nameEnd - span.nameBegin), name)) continue;
    rest.erase(pos, span.next - pos);
    return true;
  }
  return false;
}

namespace {

int ExtractFromRest(CRunContext& ctx, std::string_view tagName, std::string& t, std::string& target,
                    std::string_view attributeName, std::size_t tagPos) {
  const std::size_t length = t.size();
  auto at = [&t](std::size_t i) { return i < t.size() ? t[i] : '\0'; };

  CAttributeSpan span{};
  for (std::size_t pos = 0; NextAttribute(t, pos, span); pos = span.next) {
    if (std::string_view(t).substr(span.nameBegin, span.nameEnd - span.nameBegin) != attributeName) continue;
    const std::size_t i = span.nameBegin;
    std::size_t j = span.nameEnd;
    // The warnings fire when the blanks reach the last character of the rest, one short of its
    // end: a single trailing blank after a bare name goes by without a word.
    while (j < length && t[j] == ' ') {
      ++j;
      if (j + 1 == length) {
        parse::Report(ctx, parse::ParseMessage::kAttributeWithoutEquals, tagPos, {tagName, attributeName});
        return 0;
      }
    }
    if (at(j) != '=') continue;
    std::size_t k = j + 1;
    while (at(k) == ' ') {
      ++k;
      if (k + 1 == length) {
        parse::Report(ctx, parse::ParseMessage::kAttributeWithoutValue, tagPos, {tagName, attributeName});
        return 0;
      }
    }
    // The separating white space goes with the attribute; anything else before the name (the
    // quote that closed the previous value) stays.
    const std::size_t cut = (i > 0 && IsLineSpace(t[i - 1])) ? i - 1 : i;
    const char quote = at(k);
    if (quote == '"' || quote == '\'') {
      const std::size_t close = t.find(quote, k + 1);
      const std::size_t valueEnd = close == std::string::npos ? length : close;
      target.append(t, k + 1, valueEnd - (k + 1));
      t.erase(cut, (close == std::string::npos ? length : close + 1) - cut);
      std::replace(target.begin(), target.end(), '"', '\'');
      return 1;
    }
    std::size_t end = std::min(k, length);
    while (end < length && !IsLineSpace(t[end])) ++end;
    target.append(t, std::min(k, length), end - std::min(k, length));
    t.erase(cut, end - cut);
    return 1;
  }
  return 0;
}

}  // namespace

}  // namespace trimvale
