#include "engine/charset.h"

#include <algorithm>
#include <array>

#include "engine/page_codec.h"
#include "engine/white_space.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsWhiteSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsWhiteSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Index of the first occurrence of `word` (ASCII letters, any case) at or after `from`.
std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from = 0) {
  if (word.empty() || text.size() < word.size()) return std::string_view::npos;
  for (std::size_t i = from; i + word.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, word.size()), word)) return i;
  }
  return std::string_view::npos;
}

// Labels that browsers read as Windows-1252: the engine's single-byte conversion fits them.
constexpr std::array<std::string_view, 17> kSingleByteLabels = {
    "windows-1252", "cp1252",          "x-cp1252", "iso-8859-1", "iso8859-1",      "iso_8859-1",
    "iso88591",     "iso_8859-1:1987", "latin1",   "l1",         "iso-ir-100",     "ibm819",
    "cp819",        "csisolatin1",     "us-ascii", "ascii",      "ansi_x3.4-1968",
};
constexpr std::array<std::string_view, 3> kUtf8Labels = {"utf-8", "utf8", "unicode-1-1-utf-8"};

template <std::size_t N>
bool IsOneOf(std::string_view label, const std::array<std::string_view, N>& labels) {
  return std::any_of(labels.begin(), labels.end(), [&](std::string_view l) { return EqualsNoCase(label, l); });
}

// The charset named in a content value such as "text/html; charset=utf-8".
std::string_view CharsetOfContentType(std::string_view content) {
  const std::size_t at = FindNoCase(content, "charset");
  if (at == std::string_view::npos) return {};
  std::size_t i = at + 7;
  while (i < content.size() && IsWhiteSpace(content[i])) ++i;
  if (i >= content.size() || content[i] != '=') return {};
  ++i;
  while (i < content.size() && IsWhiteSpace(content[i])) ++i;
  char quote = 0;
  if (i < content.size() && (content[i] == '"' || content[i] == '\'')) quote = content[i++];
  std::size_t end = i;
  while (end < content.size() && content[end] != ';' && !IsWhiteSpace(content[end]) && content[end] != quote) ++end;
  return content.substr(i, end - i);
}

// The charset a meta element with the attribute text `attributes` declares, or empty.
std::string_view CharsetOfMeta(std::string_view attributes) {
  if (auto charset = FindTagAttribute(attributes, "charset")) return Trim(*charset);
  auto equiv = FindTagAttribute(attributes, "http-equiv");
  if (!equiv || !EqualsNoCase(Trim(*equiv), "content-type")) return {};
  auto content = FindTagAttribute(attributes, "content");
  return content ? Trim(CharsetOfContentType(*content)) : std::string_view{};
}

}  // namespace

std::optional<std::string_view> FindTagAttribute(std::string_view attributes, std::string_view name) {
  std::size_t i = 0;
  const std::size_t n = attributes.size();
  while (i < n) {
    while (i < n && (IsWhiteSpace(attributes[i]) || attributes[i] == '/')) ++i;
    const std::size_t nameStart = i;
    while (i < n && !IsWhiteSpace(attributes[i]) && attributes[i] != '=' && attributes[i] != '>' &&
           (i == nameStart || attributes[i] != '/')) {
      ++i;
    }
    const std::string_view attrName = attributes.substr(nameStart, i - nameStart);
    if (attrName.empty()) {
      ++i;  // a stray "=" or ">"
      continue;
    }
    std::size_t j = i;
    while (j < n && IsWhiteSpace(attributes[j])) ++j;
    if (j >= n || attributes[j] != '=') continue;  // an attribute without a value
    ++j;
    while (j < n && IsWhiteSpace(attributes[j])) ++j;
    std::string_view value;
    if (j < n && (attributes[j] == '"' || attributes[j] == '\'')) {
      const char quote = attributes[j];
      const std::size_t close = attributes.find(quote, j + 1);
      const std::size_t end = close == std::string_view::npos ? n : close;
      value = attributes.substr(j + 1, end - j - 1);
      i = end == n ? n : end + 1;
    } else {
      std::size_t end = j;
      while (end < n && !IsWhiteSpace(attributes[end]) && attributes[end] != '>') ++end;
      value = attributes.substr(j, end - j);
      i = end;
    }
    if (EqualsNoCase(attrName, name)) return value;
  }
  return std::nullopt;
}

namespace {

// The charset the head of the page declares, or single-byte when it declares none.
CPageCharset DeclaredPageCharset(std::string_view page) {
  CPageCharset result;
  if (StartsWith(page, "\xEF\xBB\xBF")) {
    result.encoding = PageEncoding::Utf8;
    return result;
  }
  std::string_view head = page.substr(0, std::min(page.size(), kCharsetScanLimit));
  std::size_t headEnd = std::min(FindNoCase(head, "</head"), FindNoCase(head, "<body"));
  if (headEnd != std::string_view::npos) head = head.substr(0, headEnd);

  for (std::size_t at = head.find('<'); at != std::string_view::npos; at = head.find('<', at + 1)) {
    // A meta element inside a comment declares nothing, as in a browser.
    if (head.substr(at, 4) == "<!--") {
      const std::size_t close = head.find("-->", at + 4);
      if (close == std::string_view::npos) break;
      at = close + 2;
      continue;
    }
    if (!EqualsNoCase(head.substr(at, 5), "<meta")) continue;
    const std::size_t attrStart = at + 5;
    if (attrStart < head.size() && !IsWhiteSpace(head[attrStart]) && head[attrStart] != '/') continue;  // <metadata>
    // The tag ends at the first ">" outside a quoted value.
    std::size_t end = attrStart;
    char quote = 0;
    while (end < head.size() && (quote || head[end] != '>')) {
      if (quote && head[end] == quote) {
        quote = 0;
      } else if (!quote && (head[end] == '"' || head[end] == '\'')) {
        quote = head[end];
      }
      ++end;
    }
    const std::string_view charset = CharsetOfMeta(head.substr(attrStart, end - attrStart));
    at = end;  // the next tag starts after this one, so no byte is read twice
    if (charset.empty()) continue;
    result.declaredName = std::string(charset);
    if (IsOneOf(charset, kUtf8Labels)) {
      result.encoding = PageEncoding::Utf8;
    } else if (IsOneOf(charset, kSingleByteLabels)) {
      result.encoding = PageEncoding::SingleByte;
    } else {
      result.encoding = PageEncoding::Unconverted;
    }
    return result;
  }
  return result;
}

}  // namespace

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t at = i;
    // A bad byte decodes as U+FFFD and moves on by one; the character itself takes three.
    if (DecodeUtf8At(bytes, i) == kReplacementChar && i == at + 1) return false;
    multiByte = true;
  }
  return multiByte;
}

CPageCharset DetectPageCharset(std::string_view page) {
  CPageCharset result = DeclaredPageCharset(page);
  if (result.encoding == PageEncoding::SingleByte && IsMultiByteUtf8(page)) {
    result.encoding = result.declaredName.empty() ? PageEncoding::Utf8 : PageEncoding::Utf8Misdeclared;
  }
  return result;
}

}  // namespace trimvale
