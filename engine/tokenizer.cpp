// The tokenizer: reads one token (text run, start tag, end tag, comment, special content) at the
// run's position, repairs what the tag stack says is broken and reports every repair.
#include <algorithm>
#include <cstring>

#include "engine/messages.h"
#include "engine/parser_internal.h"
#include "engine/white_space.h"
#include "rules/text_util.h"

namespace trimvale::parse {

namespace {

constexpr CParseMessageText kMessageTable[] = {
    {"HTML Fehler: Dateiende erreicht ohne Tagname fertig\r\n", 2},
    {"Stack-unterlauf beim Parsen des HTML Codes\r\n", 1},
    {"Ein Endtag zuviel, %s wird gelöscht\r\n", 1},
    {"HTML Fehler: Ein Endtag fehlt (%s), gefunden %s, Endtag ergänzt am Ende vor nächst passendem\r\n", 1},
    {"Ein Endtag zuviel, %s wird gelöscht", 1},
    {"Falsches Endtag gefunden: %s. Ersetzt durch: %s\r\n", 1},
    {"Stack Unterlauf beim Parsen des HTML Codes\r\n", 1},
    {"HTML Fehler: Kommentartag nicht abgeschlossen. Sämtlicher Inhalt wird bis zum Schluss als Kommentar "
     "betrachtet.\r\n",
     1},
    {"HTML Fehler: xmp Tag nicht abgeschlossen. Sämtlicher Inhalt wird bis zum Schluss als xmp betrachtet.\r\n", 1},
    {"HTML Fehler: %s Tag nicht mit '>' abgeschlossen\r\n", 1},
    {"HTML Fehler: Dateiende erreicht ohne dass %s Tag mit '>' abgeschlossen\r\n", 2},
    {"Schwerer HTML Fehler in der Tagstruktur. Die neu erzeugte Seite kann fehlerhaft sein. Überprüfen Sie vor "
     "allem kreuzverschachtelte Tags.\r\n",
     2},
    {"Ein Endtag fehlt zu <%s %s>\n", 0},
    {"HTML Warnung: bei %s, Argument %s folgt kein Eintrag (Tagende erreicht ohne = gefunden).\r\n", 1},
    {"HTML Warnung: bei %s, Argument %s folgt kein Eintrag (Tagende erreicht).\r\n", 1},
    {"HTML Fehler: Die Seite ist zu groß, um sie zu bearbeiten.\r\n", 2},
};
static_assert(std::size(kMessageTable) == static_cast<std::size_t>(ParseMessage::kPageTooLarge) + 1);

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The next "<" at or after `from` that opens markup, or npos.
std::size_t FindMarkup(std::string_view text, std::size_t from) {
  while (from < text.size()) {
    const void* hit = std::memchr(text.data() + from, '<', text.size() - from);
    if (!hit) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (OpensMarkup(text, at)) return at;
    from = at + 1;
  }
  return std::string_view::npos;
}


constexpr std::string_view kScriptEnd = "</script";

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  return at <= text.size() && text.size() - at >= prefix.size() && EqualsNoCase(text.substr(at, prefix.size()), prefix);
}

std::size_t FindScriptEnd(std::string_view text, std::size_t from) {
  while (from < text.size()) {
    const void* hit = std::memchr(text.data() + from, '<', text.size() - from);
    if (!hit) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (StartsWithNoCase(text, at, kScriptEnd)) return at;
    from = at + 1;
  }
  return text.size();
}

// A "<" or "</" at the very end of a text run is text only because markup follows it. Should a
// clean-up pass take that markup away, it would meet the next text ("a <<span>b</span>" would
// become "a <b") and open a tag that was never there; as an entity it stays text.
void EscapeTrailingLessThan(CCompactString& text) {
  const std::string_view t = text.view();
  const std::size_t at = t.size() >= 1 && t.back() == '<'                       ? t.size() - 1
                         : t.size() >= 2 && t.substr(t.size() - 2) == "</" ? t.size() - 2
                                                                           : std::string_view::npos;
  if (at != std::string_view::npos) text.Edit([at](std::string& s) { s.replace(at, 1, "&lt;"); });
}

bool IsPreformattedEntry(std::string_view entry) {
  return EqualsNoCase(entry, "pre") || EqualsNoCase(entry, "textarea");
}

// One folding pass for one break form. A break at the very start leaves no blank behind, and
// the search then goes on one past the start, so the character that moved there is never taken
// as the beginning of a break of this form.
std::string FoldForm(std::string_view in, std::string_view form) {
  std::string out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const std::size_t at = in.find(form, i);
    if (at == std::string_view::npos) {
      out.append(in.substr(i));
      break;
    }
    out.append(in.substr(i, at - i));
    i = at + form.size();
    while (i < in.size() && IsBlankOrTab(in[i])) ++i;
    while (!out.empty() && IsBlankOrTab(out.back())) out.pop_back();
    if (!out.empty()) {
      out.push_back(' ');
    } else if (i < in.size()) {
      out.push_back(in[i++]);
    }
  }
  return out;
}

}  // namespace

// Whether the "<" at `at` opens markup. As in a browser, only a letter, "!", "?" or "/" and a
// letter after it do; "Preis <5 Euro", "x <= y" and "</5>" are text, and reading them as tags
// would swallow the rest of the paragraph.
bool OpensMarkup(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return false;
  const char c = text[at + 1];
  if (c == '/') return at + 2 < text.size() && IsAsciiLetter(text[at + 2]);
  return IsAsciiLetter(c) || c == '!' || c == '?';
}

// A tag name ends at white space or ">"; npos when the input ends first. Pages saved with bare
// line feeds break long tags as `<span\nstyle=...>`, so a line feed ends a name just as a
// carriage return does; otherwise the attributes would become part of the name.
std::size_t NameEnd(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (IsWhiteSpace(text[i]) || text[i] == '>') return i;
  }
  return std::string_view::npos;
}

CParseMessageText MessageOf(ParseMessage id) { return kMessageTable[static_cast<std::size_t>(id)]; }

void ReportText(CRunContext& ctx, std::string_view text, std::int8_t level, std::size_t at) {
  CMessageInfo info;
  info.level = level;
  info.file = ctx.sourceName;
  ctx.sourceLines.Locate(at, info.line, info.column);
  ctx.sink.AppendReport(text, info);
  if (level > 0) ctx.RaiseLevel(level);
}

void Report(CRunContext& ctx, ParseMessage id, std::size_t at, std::initializer_list<std::string_view> args) {
  const CParseMessageText message = MessageOf(id);
  std::string out;
  auto arg = args.begin();
  const std::string_view text = message.text;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && arg != args.end()) {
      out.append(*arg++);
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  ReportText(ctx, out, message.level, at);
}

std::string FoldTextBreaks(std::string_view run) {
  if (FindLineBreak(run) == std::string_view::npos) return std::string(run);
  return FoldForm(FoldForm(FoldForm(FoldForm(run, "\r\n"), "\n\r"), "\r"), "\n");
}

// Every line break inside a tag (CR LF, or a bare LF or CR as other systems save them) becomes
// one blank together with the blanks around it.
std::string FoldTagBreaks(std::string_view rest) {
  std::size_t at = FindLineBreak(rest);
  if (at == std::string_view::npos) return std::string(rest);
  std::string out;
  out.reserve(rest.size());
  std::size_t i = 0;
  while (i < rest.size()) {
    if (at < i) at = FindLineBreak(rest, i);
    if (at == std::string_view::npos) {
      out.append(rest.substr(i));
      break;
    }
    out.append(rest.substr(i, at - i));
    i = at + ((rest[at] == '\r' && at + 1 < rest.size() && rest[at + 1] == '\n') ? 2 : 1);
    while (i < rest.size() && rest[i] == ' ') ++i;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out.push_back(' ');
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Look-ahead index

void CLookAheadIndex::Build(std::string_view text) {
  built_ = true;
  open_.clear();
  balance_.clear();
  // Only a "<" that the tokenizer reads as markup takes part; "<5" in text is no tag here either.
  for (std::size_t i = FindMarkup(text, 0); i != std::string_view::npos; i = FindMarkup(text, i + 1)) {
    open_.push_back(static_cast<std::uint32_t>(i));
  }
  balance_.assign(open_.size(), kUnbalanced);
  // The walk counts every "<" that is not "</" up and every "</" down; the end tag that brings
  // the count back to zero is the one that balances the start: plain bracket matching.
  std::vector<std::uint32_t> starts;
  for (std::uint32_t slot = 0; slot < open_.size(); ++slot) {
    const std::size_t at = open_[slot];
    const bool isEnd = at + 1 < text.size() && text[at + 1] == '/';
    if (!isEnd) {
      starts.push_back(slot);
    } else if (!starts.empty()) {
      balance_[starts.back()] = slot;
      starts.pop_back();
    }
  }
}

std::int64_t CLookAheadIndex::TargetAfter(std::size_t e, std::string_view text) const {
  const auto first = std::upper_bound(open_.begin(), open_.end(), e);
  if (first == open_.end()) return -1;
  const std::size_t slot = static_cast<std::size_t>(first - open_.begin());
  const std::size_t at = open_[slot];
  if (at + 1 < text.size() && text[at + 1] == '/') return static_cast<std::int64_t>(at);
  const std::uint32_t closing = balance_[slot];
  if (closing == kUnbalanced || closing + 1 >= open_.size()) return -1;
  return open_[closing + 1];
}

// ---------------------------------------------------------------------------------------------
// Tag stack bookkeeping

CParser::CParser(CRunContext& ctx, std::string_view text, bool keepLook)
    : keepLook_(keepLook), ctx_(ctx), text_(text) {
  // Positions are 32-bit in the run state; a longer input is read up to what they can address.
  constexpr std::size_t kMaxInput = static_cast<std::size_t>(INT32_MAX);
  if (text_.size() > kMaxInput) text_ = text_.substr(0, kMaxInput);
  // Copies made by the browser-like repair may add about as much as the page holds, no more.
  copyBudget_ = static_cast<std::int64_t>(text_.size()) + 4096;
  for (const CCompactString& entry : ctx_.tagStack) {
    ++entriesByName_[entry.str()];
    if (IsPreformattedEntry(entry)) ++preformattedOpen_;
    if (keepLook_) CountFormatting(entry, 1);
  }
}

void CParser::Push(std::string entry) {
  if (IsPreformattedEntry(entry)) ++preformattedOpen_;
  if (keepLook_) CountFormatting(entry, 1);
  ++entriesByName_[entry];
  ctx_.tagStack.emplace_back(entry);
}

void CParser::Pop() {
  const CCompactString& entry = ctx_.tagStack.back();
  if (IsPreformattedEntry(entry)) --preformattedOpen_;
  if (keepLook_) CountFormatting(entry, -1);
  auto it = entriesByName_.find(entry.str());
  if (it != entriesByName_.end() && --it->second == 0) entriesByName_.erase(it);
  ctx_.tagStack.pop_back();
}

bool CParser::HasExactEntry(const std::string& name) const { return entriesByName_.count(name) != 0; }

void CParser::ClearStack() {
  ctx_.tagStack.clear();
  entriesByName_.clear();
  preformattedOpen_ = 0;
  openFormatting_.fill(0);
  active_.clear();
}

// ---------------------------------------------------------------------------------------------
// Tokens

bool CParser::InScript() const { return !ctx_.tagStack.empty() && EqualsNoCase(ctx_.tagStack.back(), "script"); }

std::int32_t CParser::ReadToken(CHtmlNode& node) {
  if (ctx_.Cancelled()) return 0;
  const std::size_t len = text_.size();
  if (ctx_.parsePos < 0 || static_cast<std::size_t>(ctx_.parsePos) >= len) {
    std::string text(MessageText(msg::kEndOfInputNoContent));
    text += "\r\n";
    ReportText(ctx_, text, 1, text_.size());
    node.skip = true;
    return -1;
  }
  const std::size_t p = static_cast<std::size_t>(ctx_.parsePos);
  // A script's content is one opaque run up to its end tag: a "<" or "//" comment inside it
  // is code, not markup.
  if (InScript() && !StartsWithNoCase(text_, p, kScriptEnd)) return ReadScriptContent(node, p);
  if (text_[p] != '<' || !OpensMarkup(text_, p)) return ReadTextRun(node, p);

  const bool endTag = p + 1 < len && text_[p + 1] == '/';
  const std::size_t nameStart = p + (endTag ? 2 : 1);
  const std::size_t e = NameEnd(text_, nameStart);
  if (e == std::string_view::npos) {
    Report(ctx_, ParseMessage::kEndOfInputInTagName, p);
    return KeepAsText(node, p);
  }
  node.name.assign(text_.substr(nameStart, e - nameStart));
  node.isEndTag = endTag || Contains(node.name, "![endif]");
  return node.isEndTag ? ReadEndTag(node, p, e) : ReadStartTag(node, p, e);
}

std::int32_t CParser::KeepAsText(CHtmlNode& node, std::size_t p) {
  // Nothing after this point can be read as markup; the rest of the page stays as text so
  // that none of it is lost, and the caller ends the run.
  node.name.clear();
  node.text.assign(text_.substr(p));
  node.SetRule(nullptr);
  node.kind = TagKind::Text;
  node.endTagKind = kEndTagNone;
  node.layoutBits = 0;
  node.isEndTag = false;
  node.skip = false;
  node.isBare = node.text.empty();
  return -1;
}

std::int32_t CParser::ReadScriptContent(CHtmlNode& node, std::size_t p) {
  const std::size_t end = FindScriptEnd(text_, p);
  node.text.assign(text_.substr(p, end - p));
  node.kind = TagKind::Text;
  node.endTagKind = kEndTagNone;
  node.layoutBits = 0;
  node.isBare = node.text.empty();
  return static_cast<std::int32_t>(end - p);
}

std::int32_t CParser::ReadTextRun(CHtmlNode& node, std::size_t p) {
  // The run may begin with a "<" that opens nothing; it ends where markup begins.
  std::size_t end = FindMarkup(text_, p + 1);
  if (end == std::string_view::npos) end = text_.size();
  const std::string_view run = text_.substr(p, end - p);
  const auto count = static_cast<std::int32_t>(run.size());
  if (preformattedOpen_ > 0) {
    // Inside pre and textarea every blank and break is content.
    node.text.assign(run);
  } else {
    if (std::all_of(run.begin(), run.end(), IsLineSpace)) {
      node.text.assign(run);
      node.skip = true;
      return count;
    }
    node.text = FoldTextBreaks(run);
    // A line break at the very start of a run is folded away without a blank; the white space
    // it stood for still separates this text from what came before.
    if (IsLineSpace(run.front()) && (node.text.empty() || !IsLineSpace(node.text.front()))) node.spaceBefore = true;
  }
  if (end < text_.size()) EscapeTrailingLessThan(node.text);
  node.kind = TagKind::Text;
  node.endTagKind = kEndTagNone;
  node.layoutBits = 0;
  node.isBare = node.text.empty();
  return count;
}

std::int32_t CParser::ReadEndTag(CHtmlNode& node, std::size_t p, std::size_t e) {
  const auto used = static_cast<std::int32_t>(e - p + 1);
  std::deque<CCompactString>& stack = ctx_.tagStack;
  if (stack.empty()) {
    Report(ctx_, ParseMessage::kEndTagAtTopLevel, p);
    node.skip = true;
    return used;
  }
  if (EqualsNoCase(node.name, stack.back())) {
    Pop();
    return used;
  }
  if (keepLook_) {
    if (const auto repaired = ReadEndTagKeepingLook(node, p, e)) return *repaired;
  }
  // The search of the whole stack compares letter case, unlike the comparisons around it.
  if (!HasExactEntry(node.name.str())) {
    Report(ctx_, ParseMessage::kSurplusEndTag, p, {node.name});
    node.skip = true;
    return used;
  }
  if (stack.size() >= 2 && EqualsNoCase(stack[stack.size() - 2], node.name)) {
    const std::string inner = stack.back().str();
    if (keepLook_) NoteClosedAbove(node, 1);
    Pop();
    Pop();
    ++ctx_.unwindCount;
    unwindPos_ = p;
    const auto kind = FindEndTagKind(ctx_.LayoutTable(), inner);
    if (!kind || *kind != kEndTagOptional) Report(ctx_, ParseMessage::kMissingEndTag, p, {inner, node.name});
    return used;
  }

  if (!lookAhead_.Built()) lookAhead_.Build(text_);
  const std::int64_t target = lookAhead_.TargetAfter(e, text_);
  if (target >= 0) {
    const std::size_t aheadStart = static_cast<std::size_t>(target) + 2;
    const std::size_t aheadEnd = aheadStart <= text_.size() ? NameEnd(text_, aheadStart) : std::string_view::npos;
    if (aheadEnd == std::string_view::npos) {
      Report(ctx_, ParseMessage::kEndOfInputInTagName, p);
      return KeepAsText(node, p);
    }
    const std::string_view ahead = text_.substr(aheadStart, aheadEnd - aheadStart);
    if (EqualsNoCase(ahead, stack.back())) {
      Report(ctx_, ParseMessage::kSurplusEndTagAhead, p, {node.name});
      node.skip = true;
      return used;
    }
    if (stack.size() >= 2 && EqualsNoCase(ahead, stack[stack.size() - 2])) {
      Report(ctx_, ParseMessage::kWrongEndTag, p, {node.name, stack.back()});
      Pop();
      return used;
    }
  }

  // Unwind up to the open element of this name; every element in between is closed implicitly.
  Pop();
  unwindPos_ = p;
  int closedEarly = 1;
  for (;;) {
    if (stack.empty()) {
      Report(ctx_, ParseMessage::kStackUnderflow, p);
      break;
    }
    ++ctx_.unwindCount;
    const bool match = EqualsNoCase(stack.back(), node.name);
    Pop();
    if (match) break;
    ++closedEarly;
  }
  if (keepLook_) NoteClosedAbove(node, closedEarly);
  return used;
}

std::int32_t CParser::ReadStartTag(CHtmlNode& node, std::size_t p, std::size_t e) {
  const std::size_t len = text_.size();
  const CLayoutLookup layout = FindTagLayout(ctx_.LayoutTable(), node.name, ctx_.config.layout.mode);
  node.endTagKind = layout.endTagKind;
  node.layoutBits = layout.layoutBits;
  node.kind = layout.kind;
  if (ctx_.config.options.useProfile && ctx_.config.rules) node.SetRule(FindTagRule(*ctx_.config.rules, node.name));

  switch (node.kind) {
    case TagKind::Comment: {
      node.name = "!--";
      const std::size_t close = text_.find("-->", p + 3);
      if (close == std::string_view::npos) {
        Report(ctx_, ParseMessage::kUnclosedComment, p);
        node.text.assign(text_.substr(std::min(p + 4, len)));
        node.isBare = node.text.empty();
        return static_cast<std::int32_t>(len - p);
      }
      // A comment on a line of its own keeps its own line when written back.
      if (p > 0 && IsLineEnd(text_[p - 1])) node.layoutBits |= layout_bit::kBreakBefore;
      if (close + 3 < len && (text_[close + 3] == '\r' || text_[close + 3] == '\n')) {
        node.layoutBits |= layout_bit::kBreakAfterEnd1;
      }
      node.text.assign(text_.substr(p + 4, close + 2 - (p + 4)));
      node.isBare = node.text.empty();
      return static_cast<std::int32_t>(close + 2 - p + 1);
    }
    case TagKind::Xmp: {
      // The start tag counts as exactly "<xmp>"; the end tag is read as the next token.
      const std::size_t contentStart = std::min(p + 5, len);
      const std::size_t close = text_.find("</xmp", p + 3);
      if (close == std::string_view::npos) {
        Report(ctx_, ParseMessage::kUnclosedXmp, p);
        node.text.assign(text_.substr(contentStart));
        node.isBare = node.text.empty();
        return static_cast<std::int32_t>(len - p);
      }
      node.text.assign(text_.substr(contentStart, close > contentStart ? close - contentStart : 0));
      node.isBare = node.text.empty();
      return static_cast<std::int32_t>(std::max(close, contentStart) - p);
    }
    case TagKind::Plaintext:
      node.text.assign(text_.substr(std::min(p + 11, len)));
      node.isBare = node.text.empty();
      return static_cast<std::int32_t>(len - p);
    default:
      break;
  }

  std::size_t close = e;
  while (close < len && text_[close] != '>' && text_[close] != '<') ++close;
  if (close >= len) {
    Report(ctx_, ParseMessage::kEndOfInputInTag, p, {node.name});
    return KeepAsText(node, p);
  }
  std::int32_t used;
  if (text_[close] == '<') {
    Report(ctx_, ParseMessage::kTagNotClosed, p, {node.name});
    used = static_cast<std::int32_t>(close - p);
  } else {
    if (text_[close - 1] == '/') node.endTagKind = kEndTagNone;
    used = static_cast<std::int32_t>(close - p + 1);
  }
  node.text = FoldTagBreaks(text_.substr(e, close - e));
  node.isBare = node.text.empty();
  return used;
}

}  // namespace trimvale::parse
