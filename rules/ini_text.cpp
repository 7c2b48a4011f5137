#include "rules/ini_text.h"

#include <algorithm>
#include <utility>

#include "rules/text_util.h"

namespace trimvale {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool HasLineBreak(std::string_view s) { return FindLineBreak(s) != std::string_view::npos; }

bool HasBlankAtEnds(std::string_view s) { return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back())); }

// Removes the byte ranges (sorted, not overlapping) from `text`.
std::string WithoutRanges(const std::string& text, const std::vector<std::pair<std::size_t, std::size_t>>& ranges) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (const auto& [begin, end] : ranges) {
    out.append(text, pos, begin - pos);
    pos = end;
  }
  out.append(text, pos, std::string::npos);
  return out;
}

}  // namespace

CIniText::CIniText(std::string text) : text_(std::move(text)) { Parse(); }

bool CIniText::IsValidSectionName(std::string_view name) {
  return !name.empty() && name.find(']') == std::string_view::npos && !HasLineBreak(name) && !HasBlankAtEnds(name);
}

bool CIniText::IsValidKey(std::string_view key) {
  return !key.empty() && key.find('=') == std::string_view::npos && !HasLineBreak(key) && !HasBlankAtEnds(key) &&
         key.front() != ';' && key.front() != '[';
}

bool CIniText::IsValidValue(std::string_view value) { return !HasLineBreak(value); }

bool CIniText::IsBlankLine(const CLine& line) const {
  for (std::size_t i = line.begin; i < line.contentEnd; ++i) {
    if (!IsBlank(text_[i])) return false;
  }
  return true;
}

void CIniText::Parse() {
  lines_.clear();
  sections_.clear();
  firstSection_.clear();

  const std::size_t firstBreak = text_.find('\n');
  crlf_ = firstBreak == std::string::npos || (firstBreak > 0 && text_[firstBreak - 1] == '\r');

  std::size_t pos = StartsWith(text_, "\xEF\xBB\xBF") ? 3 : 0;
  while (pos < text_.size()) {
    CLine line;
    line.begin = pos;
    const std::size_t lf = text_.find('\n', pos);
    line.next = lf == std::string::npos ? text_.size() : lf + 1;
    line.contentEnd = lf == std::string::npos ? text_.size() : lf;
    if (line.contentEnd > line.begin && text_[line.contentEnd - 1] == '\r') --line.contentEnd;
    pos = line.next;

    std::size_t b = line.begin, e = line.contentEnd;
    while (b < e && IsBlank(text_[b])) ++b;
    while (e > b && IsBlank(text_[e - 1])) --e;
    if (b < e && text_[b] == '[') {
      const std::size_t close = text_.find(']', b + 1);
      if (close != std::string::npos && close < e) {
        std::size_t nb = b + 1, ne = close;
        while (nb < ne && IsBlank(text_[nb])) ++nb;
        while (ne > nb && IsBlank(text_[ne - 1])) --ne;
        line.kind = LineKind::Section;
        line.nameBegin = nb;
        line.nameLength = ne - nb;
      }
    } else if (b < e && text_[b] != ';') {
      const std::size_t eq = text_.find('=', b);
      if (eq != std::string::npos && eq < e) {
        std::size_t ke = eq;
        while (ke > b && IsBlank(text_[ke - 1])) --ke;
        std::size_t vb = eq + 1;
        while (vb < e && IsBlank(text_[vb])) ++vb;
        if (ke > b) {
          line.kind = LineKind::Entry;
          line.nameBegin = b;
          line.nameLength = ke - b;
          line.valueBegin = vb;
          line.valueLength = e - vb;
        }
      }
    }

    const std::size_t index = lines_.size();
    lines_.push_back(line);
    if (line.kind == LineKind::Section) {
      if (!sections_.empty()) sections_.back().endLine = index;
      sections_.push_back(CSection{index, index + 1, {}, {}});
      firstSection_.try_emplace(ToLowerAscii(Name(line)), sections_.size() - 1);
    } else if (line.kind == LineKind::Entry && !sections_.empty()) {
      CSection& section = sections_.back();
      section.entryLines.push_back(index);
      section.firstEntry.try_emplace(ToLowerAscii(Name(line)), index);
    }
  }
  if (!sections_.empty()) sections_.back().endLine = lines_.size();
}

const CIniText::CSection* CIniText::FindSection(std::string_view section) const {
  auto it = firstSection_.find(ToLowerAscii(section));
  return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

std::vector<CIniText::CEntry> CIniText::Entries(std::string_view section) const {
  std::vector<CEntry> entries;
  if (const CSection* s = FindSection(section)) {
    entries.reserve(s->entryLines.size());
    for (std::size_t index : s->entryLines) entries.push_back({Name(lines_[index]), Value(lines_[index])});
  }
  return entries;
}

std::optional<std::string_view> CIniText::Find(std::string_view section, std::string_view key) const {
  const CSection* s = FindSection(section);
  if (!s) return std::nullopt;
  auto it = s->firstEntry.find(ToLowerAscii(key));
  if (it == s->firstEntry.end()) return std::nullopt;
  return Value(lines_[it->second]);
}

void CIniText::Splice(std::size_t begin, std::size_t end, std::string_view replacement) {
  text_.replace(begin, end - begin, replacement);
  Parse();
}

bool CIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsValidSectionName(section) || !IsValidKey(key) || !IsValidValue(value)) return false;
  const std::string_view eol = LineEnd();
  const CSection* s = FindSection(section);
  if (!s) {
    // A new section goes to the end, set off from what stands before it by a blank line.
    std::string add;
    if (!text_.empty() && text_.back() != '\n') add += eol;
    if (!lines_.empty() && !IsBlankLine(lines_.back())) add += eol;
    add += '[';
    add += section;
    add += ']';
    add += eol;
    add += key;
    add += '=';
    add += value;
    add += eol;
    Splice(text_.size(), text_.size(), add);
    return true;
  }
  auto it = s->firstEntry.find(ToLowerAscii(key));
  if (it != s->firstEntry.end()) {
    const CLine& line = lines_[it->second];
    std::string replaced(Name(line));
    replaced += '=';
    replaced += value;
    Splice(line.begin, line.contentEnd, replaced);
    return true;
  }
  const CLine& after = lines_[s->entryLines.empty() ? s->headerLine : s->entryLines.back()];
  std::string add;
  if (after.next == text_.size() && (text_.empty() || text_.back() != '\n')) {
    // The line we follow is the last of a text without a final line end (perhaps cut off after
    // the CR of a CR LF): the new entry goes behind its content, and the text keeps no final end.
    add += eol;
    add += key;
    add += '=';
    add += value;
    Splice(after.contentEnd, after.contentEnd, add);
  } else {
    add += key;
    add += '=';
    add += value;
    add += eol;
    Splice(after.next, after.next, add);
  }
  return true;
}

bool CIniText::Update(std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::vector<std::string>& remove) {
  if (!IsValidSectionName(section)) return false;
  for (const auto& [key, value] : entries) {
    if (!IsValidKey(key) || !IsValidValue(value)) return false;
  }
  std::size_t first = 0;
  // A missing section is made by the first entry, as Set makes it.
  if (!FindSection(section) && !entries.empty()) Set(section, entries[first].first, entries[first].second), ++first;
  const CSection* s = FindSection(section);
  if (!s) return true;

  // Where the text changes: [begin, end) becomes `with`; sorted by position, never overlapping.
  struct CChange {
    std::size_t begin, end;
    std::string with;
  };
  std::unordered_map<std::string, std::size_t> wanted;  // lower-cased key -> index in entries
  for (std::size_t i = entries.size(); i-- > first;) wanted[ToLowerAscii(entries[i].first)] = i;
  std::unordered_map<std::string, bool> dropped;
  for (const std::string& key : remove) dropped[ToLowerAscii(key)] = true;
  std::vector<bool> placed(entries.size(), false);
  std::vector<CChange> changes;
  for (std::size_t index : s->entryLines) {
    const CLine& line = lines_[index];
    const std::string key = ToLowerAscii(Name(line));
    if (dropped.count(key)) {
      changes.push_back({line.begin, line.next, {}});
      continue;
    }
    const auto it = wanted.find(key);
    if (it == wanted.end() || placed[it->second] || s->firstEntry.at(key) != index) continue;
    placed[it->second] = true;
    std::string replaced(Name(line));
    replaced += '=';
    replaced += entries[it->second].second;
    changes.push_back({line.begin, line.contentEnd, std::move(replaced)});
  }
  // The entries the section lacks go after its last entry, in their order. A text without a
  // final line end keeps none.
  const std::string_view eol = LineEnd();
  const CLine& after = lines_[s->entryLines.empty() ? s->headerLine : s->entryLines.back()];
  const bool cutOff = after.next == text_.size() && (text_.empty() || text_.back() != '\n');
  const bool afterDropped = !s->entryLines.empty() && dropped.count(ToLowerAscii(Name(after))) > 0;
  std::vector<std::string> lines;
  for (std::size_t i = first; i < entries.size(); ++i) {
    if (placed[i] || wanted.at(ToLowerAscii(entries[i].first)) != i) continue;
    lines.push_back(entries[i].first + "=" + entries[i].second);
  }
  if (!lines.empty()) {
    std::string added;
    std::size_t at = after.next;
    for (const std::string& line : lines) {
      if (cutOff && !afterDropped) added += eol;
      added += line;
      if (!cutOff) added += eol;
      if (cutOff && afterDropped && &line != &lines.back()) added += eol;
    }
    // Without a final line end the new lines go behind the last line's content, or, when that
    // line is removed, in its place.
    if (cutOff) at = afterDropped ? after.begin : after.contentEnd;
    const auto where = std::find_if(changes.begin(), changes.end(), [&](const CChange& c) { return c.begin >= at; });
    changes.insert(where, CChange{at, at, std::move(added)});
  }
  if (changes.empty()) return true;
  std::string out;
  out.reserve(text_.size());
  std::size_t pos = 0;
  for (const CChange& c : changes) {
    out.append(text_, pos, c.begin - pos);
    out += c.with;
    pos = std::max(pos, c.end);
  }
  out.append(text_, pos, std::string::npos);
  text_ = std::move(out);
  Parse();
  return true;
}

bool CIniText::Remove(std::string_view section, std::string_view key) {
  const CSection* s = FindSection(section);
  if (!s) return false;
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  for (std::size_t index : s->entryLines) {
    if (EqualsNoCase(Name(lines_[index]), key)) ranges.emplace_back(lines_[index].begin, lines_[index].next);
  }
  if (ranges.empty()) return false;
  text_ = WithoutRanges(text_, ranges);
  Parse();
  return true;
}

bool CIniText::RemoveSection(std::string_view section) {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  for (const CSection& s : sections_) {
    if (!EqualsNoCase(Name(lines_[s.headerLine]), section)) continue;
    const std::size_t end = s.endLine < lines_.size() ? lines_[s.endLine].begin : text_.size();
    ranges.emplace_back(lines_[s.headerLine].begin, end);
  }
  if (ranges.empty()) return false;
  text_ = WithoutRanges(text_, ranges);
  Parse();
  return true;
}

}  // namespace trimvale
