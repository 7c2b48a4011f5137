#include "engine/style_cleaning.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

#include "engine/css_scan.h"
#include "engine/style_compaction.h"
#include "engine/white_space.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The first index of `c` at or after a position, for positions that never go back: each byte
// of the text is looked at once over all queries, which keeps a sweep with many removals
// linear even when the wanted character is far away or missing.
class CNextChar {
 public:
  CNextChar(std::string_view text, char c) : text_(text), c_(c) {}

  std::size_t From(std::size_t from) {
    if (searched_ && (found_ == kNone || found_ >= from)) return found_;
    found_ = text_.find(c_, from);
    searched_ = true;
    return found_;
  }

 private:
  std::string_view text_;
  char c_;
  bool searched_ = false;
  std::size_t found_ = kNone;  // first `c_` at or after the last position searched from
};

// The text being rewritten is kept as two parts: `out_` from `outStart_` on, which holds what
// is kept so far, followed by the unread rest of the input from `cur_` on. A removal drops
// bytes from the end of the first part and skips bytes of the second; nothing is ever moved,
// and a search never goes back further than a pattern's length, because the kept part holds no
// occurrence of the pattern being removed.
class CRewriter {
 public:
  explicit CRewriter(std::string_view input) : in_(input) {}

  // Locates the first occurrence of `pattern` in the current text. On success the first `k`
  // bytes of the occurrence are the last bytes of the kept part and the rest starts at the
  // input position Cursor(); returns k, or kNone when the pattern no longer occurs.
  std::size_t Find(std::string_view pattern) {
    // An occurrence can straddle the join left by the last removal; the leftmost start wins.
    const std::size_t maxK = std::min(pattern.size() - 1, KeptSize());
    for (std::size_t k = maxK; k >= 1; --k) {
      if (std::string_view(out_).substr(out_.size() - k) == pattern.substr(0, k) &&
          in_.substr(cur_).substr(0, pattern.size() - k) == pattern.substr(k)) {
        return k;
      }
    }
    const std::size_t found = in_.find(pattern, cur_);
    if (found == kNone) return kNone;
    out_.append(in_, cur_, found - cur_);
    cur_ = found;
    return 0;
  }

  std::string_view Input() const { return in_; }
  std::size_t Cursor() const { return cur_; }
  std::size_t KeptSize() const { return out_.size() - outStart_; }
  char KeptBack() const { return out_.back(); }
  bool KeptEndsWith(std::string_view s) const {
    return KeptSize() >= s.size() && std::string_view(out_).substr(out_.size() - s.size()) == s;
  }
  void DropKeptBack(std::size_t n) { out_.resize(out_.size() - n); }
  // Skips the input up to and including index `last`.
  void SkipThrough(std::size_t last) { cur_ = last + 1; }
  void Clear() {
    out_.clear();
    outStart_ = 0;
    cur_ = in_.size();
  }
  // Drops a blank at the very start of the current text; false when there is none.
  bool DropLeadingBlank() {
    if (KeptSize() > 0) {
      if (out_[outStart_] != ' ') return false;
      ++outStart_;
      return true;
    }
    if (cur_ < in_.size() && in_[cur_] == ' ') {
      ++cur_;
      return true;
    }
    return false;
  }

  std::string Result() const {
    std::string result(out_, outStart_);
    result.append(in_, cur_, kNone);
    return result;
  }

 private:
  std::string_view in_;
  std::size_t cur_ = 0;
  std::string out_;
  std::size_t outStart_ = 0;
};

enum class PatternKind { Declaration, Block };

struct CSheetPattern {
  std::string_view text;
  PatternKind kind;
};

constexpr std::array<CSheetPattern, 6> kSheetPatterns = {{
    {"mso-", PatternKind::Declaration},
    {"panose-", PatternKind::Declaration},
    {"page-break-", PatternKind::Declaration},
    {"@font-face", PatternKind::Block},
    {"@list", PatternKind::Block},
    {"@page", PatternKind::Block},
}};

// Removes every occurrence of one pattern from a style sheet in one sweep.
std::string RemoveSheetPattern(std::string_view text, const CSheetPattern& pattern) {
  CRewriter rw(text);
  CNextChar semicolons(text, ';');
  CNextChar closeBraces(text, '}');
  CNextChar openBraces(text, '{');
  CNextChar secondOpenBraces(text, '{');
  const std::size_t n = text.size();
  for (std::size_t k = rw.Find(pattern.text); k != kNone; k = rw.Find(pattern.text)) {
    // The pattern's own bytes hold no ";", "{" or "}", so every end lies in the unread input.
    const std::size_t from = rw.Cursor();
    std::size_t end = kNone;
    bool keepEnd = false;  // the end byte itself stays (a brace that closes or opens a block)
    if (pattern.kind == PatternKind::Declaration) {
      end = std::min({semicolons.From(from), closeBraces.From(from), openBraces.From(from)});
      keepEnd = end != kNone && text[end] != ';';
    } else {
      const std::size_t firstOpen = openBraces.From(from);
      const std::size_t secondOpen = firstOpen == kNone ? kNone : secondOpenBraces.From(firstOpen + 1);
      const std::size_t close = closeBraces.From(from);
      end = (close != kNone && (secondOpen == kNone || close < secondOpen)) ? close : secondOpen;
    }
    const bool atStart = rw.KeptSize() == k;
    rw.DropKeptBack(k);
    if (end == kNone) {
      if (atStart) {
        rw.Clear();
        break;
      }
      end = n - 1;
      if (rw.KeptSize() > 0) rw.DropKeptBack(1);
    }
    std::size_t last = keepEnd ? end - 1 : end;  // last byte removed
    while (rw.KeptSize() > 0 && IsBlankOrTab(rw.KeptBack())) rw.DropKeptBack(1);
    if (!keepEnd) {
      while (last + 1 < n && IsBlankOrTab(text[last + 1])) ++last;
      // A declaration that had its line to itself takes the line's end along, whichever kind it is.
      if (rw.KeptSize() > 0 && IsLineEnd(rw.KeptBack())) last += LineEndLength(text, last + 1);
    }
    rw.SkipThrough(last);
  }
  return rw.Result();
}

std::string_view StripBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

bool IsPropertyOrPart(std::string_view property, std::string_view name) {
  if (!HasPropertyPrefix(property, name)) return false;
  return property.size() == name.size() || property[name.size()] == '-';
}

bool HasPropertyPrefix(std::string_view property, std::string_view prefix) {
  if (property.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(property[i]) != lower(prefix[i])) return false;
  }
  return true;
}

bool RemoveDeclarationsIf(std::string& value, const std::function<bool(std::string_view, std::string_view)>& drop) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  const auto trim = [&](std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
  };
  const std::string_view in = value;
  std::string out;
  bool removed = false;
  std::size_t start = 0;
  while (start < in.size()) {
    // The end of this declaration: the first ";" outside quotes and parentheses, or the end.
    std::size_t end = start;
    char quote = 0;
    std::size_t depth = 0;
    for (; end < in.size(); ++end) {
      const char c = in[end];
      if (quote) {
        if (c == '\\') {
          ++end;
        } else if (c == quote) {
          quote = 0;
        }
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && depth > 0) {
        --depth;
      } else if (c == ';' && depth == 0) {
        break;
      }
    }
    end = std::min(end, in.size());
    const std::string_view declaration = in.substr(start, end - start);
    const std::size_t colon = declaration.find(':');
    if (colon != kNone && drop(trim(declaration.substr(0, colon)), trim(declaration.substr(colon + 1)))) {
      removed = true;
    } else {
      out.append(declaration);
      if (end < in.size()) out += ';';
    }
    start = end + 1;
  }
  if (!removed) return false;
  std::string_view kept = out;
  while (!kept.empty() && blank(kept.front())) kept.remove_prefix(1);
  if (!trim(in).ends_with(';')) {
    kept = trim(kept);
    if (kept.ends_with(';')) kept.remove_suffix(1);
  }
  value = std::string(kept);
  return true;
}

bool IsWordOnlyProperty(std::string_view property) {
  static constexpr std::array<std::string_view, 5> kWholeNames = {"text-underline", "tab-stops", "tab-interval",
                                                                   "text-justify-trim", "page"};
  if (HasPropertyPrefix(property, "mso-") || IsPropertyOrPart(property, "layout-grid")) return true;
  return std::ranges::any_of(kWholeNames, [&](std::string_view name) {
    return property.size() == name.size() && HasPropertyPrefix(property, name);
  });
}

namespace {

bool IsImportant(std::string_view value) {
  const std::size_t bang = value.rfind('!');
  return bang != kNone && ToLowerAscii(value.substr(bang + 1)).find("important") != kNone;
}

}  // namespace

bool RemoveOverriddenDeclarations(std::string& value) {
  // The first sweep notes, per property, the positions of its last declaration and of its last
  // important one; the second drops each declaration that a later one overrides.
  struct CLast {
    std::size_t any = 0;
    std::size_t important = kNone;
  };
  std::unordered_map<std::string, CLast> last;
  std::vector<std::pair<std::string, bool>> order;
  RemoveDeclarationsIf(value, [&](std::string_view property, std::string_view v) {
    std::string key = ToLowerAscii(property);
    CLast& entry = last[key];
    entry.any = order.size();
    if (IsImportant(v)) entry.important = order.size();
    order.emplace_back(std::move(key), IsImportant(v));
    return false;
  });
  if (order.size() == last.size()) return false;
  std::size_t index = 0;
  return RemoveDeclarationsIf(value, [&](std::string_view, std::string_view) {
    const auto& [key, important] = order[index];
    const CLast& entry = last[key];
    const bool gone = important ? entry.important != index : entry.any != index;
    ++index;
    return gone;
  });
}

bool CSheetClasses::IsEmptied(std::string_view cssClass) const {
  const std::string key = ToLowerAscii(cssClass);
  return emptied.contains(key) && !used.contains(key);
}

namespace {

bool IsClassNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

void NoteClasses(std::string_view selector, std::set<std::string>& into) {
  for (std::size_t dot = selector.find('.'); dot != kNone; dot = selector.find('.', dot + 1)) {
    std::size_t end = dot + 1;
    while (end < selector.size() && IsClassNameChar(selector[end])) ++end;
    if (end > dot + 1) into.insert(ToLowerAscii(selector.substr(dot + 1, end - dot - 1)));
  }
}

// The index of the quote that closes the string opening at `open`, or the text's end.
std::size_t StringEnd(std::string_view text, std::size_t open) {
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == text[open]) {
      return i;
    }
  }
  return text.size();
}

std::string WithoutComments(std::string_view sheet) {
  std::string out;
  out.reserve(sheet.size());
  for (std::size_t i = 0; i < sheet.size();) {
    const char c = sheet[i];
    if (c == '"' || c == '\'') {
      const std::size_t end = std::min(StringEnd(sheet, i) + 1, sheet.size());
      out.append(sheet.substr(i, end - i));
      i = end;
    } else if (sheet.substr(i, 2) == "/*") {
      const std::size_t close = sheet.find("*/", i + 2);
      i = close == kNone ? sheet.size() : close + 2;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace

void RemoveWordOnlyRules(std::string& sheet, CSheetClasses& classes) {
  const std::string text = WithoutComments(sheet);
  std::string out;
  out.reserve(text.size());
  std::size_t ruleStart = 0;  // where in `out` the current rule's selector begins
  const auto wordOnly = [](std::string_view property, std::string_view) { return IsWordOnlyProperty(property); };
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const std::size_t end = std::min(StringEnd(text, i) + 1, text.size());
      out.append(text, i, end - i);
      i = end;
      continue;
    }
    if (c == '}' || c == ';') {
      out += c;
      ++i;
      ruleStart = out.size();
      continue;
    }
    if (c != '{') {
      out += c;
      ++i;
      continue;
    }
    // A rule's block ends at the first "}" outside strings; a "{" before it opens a block of
    // rules instead (@media), whose rules are met one by one.
    std::size_t close = i + 1;
    while (close < text.size() && text[close] != '}' && text[close] != '{') {
      close = (text[close] == '"' || text[close] == '\'') ? StringEnd(text, close) + 1 : close + 1;
    }
    if (close >= text.size() || text[close] == '{') {
      out += c;
      ++i;
      ruleStart = out.size();
      continue;
    }
    const std::string_view selector = std::string_view(out).substr(ruleStart);
    std::string body = text.substr(i + 1, close - i - 1);
    std::size_t lead = 0;
    while (lead < body.size() && IsCssBlank(body[lead])) ++lead;
    const std::string indent = body.substr(0, lead);
    if (RemoveDeclarationsIf(body, wordOnly)) body = indent + body;
    CompactDeclarations(body, DeclarationLayout::SheetRule);
    const bool empty = std::all_of(body.begin(), body.end(), IsCssBlank);
    const bool atRule = selector.find('@') != std::string_view::npos;
    if (empty && !atRule) {
      NoteClasses(selector, classes.emptied);
      out.resize(ruleStart);
    } else {
      NoteClasses(selector, classes.used);
      out += '{';
      out += body;
      out += '}';
    }
    i = close + 1;
    ruleStart = out.size();
  }
  // What was removed leaves lines of blanks behind; they go, except the text after the last line end.
  std::string lines;
  lines.reserve(out.size());
  for (std::size_t start = 0; start < out.size();) {
    const std::size_t end = out.find_first_of("\r\n", start);
    if (end == kNone) {
      lines.append(out, start, kNone);
      break;
    }
    const std::size_t next = end + LineEndLength(out, end);
    const std::string_view line = std::string_view(out).substr(start, next - start);
    if (!std::all_of(line.begin(), line.end(), IsCssBlank)) lines.append(line);
    start = next;
  }
  sheet = std::move(lines);
}

void CleanStyleSheet(std::string& text, StyleSheetHolder holder) {
  const bool closedComment = holder == StyleSheetHolder::Comment && EndsWith(text, "--");
  std::string sheet = text;
  for (const CSheetPattern& pattern : kSheetPatterns) {
    if (sheet.find(pattern.text) != kNone) sheet = RemoveSheetPattern(sheet, pattern);
  }
  std::string result(StripBlanks(sheet));
  // The serializer writes a tag rest right after the name, and a comment's text up to ">".
  if (holder == StyleSheetHolder::TagRest && !result.empty()) result.insert(result.begin(), ' ');
  if (closedComment && !EndsWith(result, "--")) result += "--";
  text = std::move(result);
}

bool IsBlankText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
    } else if (text.substr(i, 6) == "&nbsp;") {
      i += 6;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace trimvale
