#include "engine/charset.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "rules/text_util.h"

namespace trimvale {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
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
  while (i < content.size() && IsSpace(content[i])) ++i;
  if (i >= content.size() || content[i] != '=') return {};
  ++i;
  while (i < content.size() && IsSpace(content[i])) ++i;
  char quote = 0;
  if (i < content.size() && (content[i] == '"' || content[i] == '\'')) quote = content[i++];
  std::size_t end = i;
  while (end < content.size() && content[end] != ';' && !IsSpace(content[end]) && content[end] != quote) ++end;
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

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUnit(std::uint16_t unit, Utf16Form form, std::string& out) {
  const char hi = static_cast<char>(unit >> 8);
  const char lo = static_cast<char>(unit & 0xFF);
  if (form == Utf16Form::BigEndian) {
    out += hi;
    out += lo;
  } else {
    out += lo;
    out += hi;
  }
}

constexpr std::uint32_t kReplacementChar = 0xFFFD;

// Decodes one code point at `i` and advances `i`. A byte that does not start a well-formed
// sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut short) yields
// U+FFFD and is skipped on its own, so the bytes after it are read again.
std::uint32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int length = 0;
  std::uint32_t cp = 0;
  std::uint32_t min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacementChar;
  }
  if (i + static_cast<std::size_t>(length) > s.size()) {
    ++i;
    return kReplacementChar;
  }
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacementChar;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacementChar;
  }
  i += static_cast<std::size_t>(length);
  return cp;
}

}  // namespace

std::optional<std::string_view> FindTagAttribute(std::string_view attributes, std::string_view name) {
  std::size_t i = 0;
  const std::size_t n = attributes.size();
  while (i < n) {
    while (i < n && (IsSpace(attributes[i]) || attributes[i] == '/')) ++i;
    const std::size_t nameStart = i;
    while (i < n && !IsSpace(attributes[i]) && attributes[i] != '=' && attributes[i] != '>' &&
           (i == nameStart || attributes[i] != '/')) {
      ++i;
    }
    const std::string_view attrName = attributes.substr(nameStart, i - nameStart);
    if (attrName.empty()) {
      ++i;  // a stray "=" or ">"
      continue;
    }
    std::size_t j = i;
    while (j < n && IsSpace(attributes[j])) ++j;
    if (j >= n || attributes[j] != '=') continue;  // an attribute without a value
    ++j;
    while (j < n && IsSpace(attributes[j])) ++j;
    std::string_view value;
    if (j < n && (attributes[j] == '"' || attributes[j] == '\'')) {
      const char quote = attributes[j];
      const std::size_t close = attributes.find(quote, j + 1);
      const std::size_t end = close == std::string_view::npos ? n : close;
      value = attributes.substr(j + 1, end - j - 1);
      i = end == n ? n : end + 1;
    } else {
      std::size_t end = j;
      while (end < n && !IsSpace(attributes[end]) && attributes[end] != '>') ++end;
      value = attributes.substr(j, end - j);
      i = end;
    }
    if (EqualsNoCase(attrName, name)) return value;
  }
  return std::nullopt;
}

CPageCharset DetectPageCharset(std::string_view page) {
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
    if (attrStart < head.size() && !IsSpace(head[attrStart]) && head[attrStart] != '/') continue;  // <metadata>
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

Utf16Form DetectUtf16(std::string_view page) {
  if (StartsWith(page, "\xFF\xFE")) return Utf16Form::LittleEndian;
  if (StartsWith(page, "\xFE\xFF")) return Utf16Form::BigEndian;
  return Utf16Form::None;
}

bool Utf16ToUtf8(std::string_view page, Utf16Form form, std::string& out) {
  out.clear();
  if (form == Utf16Form::None || page.size() % 2 != 0) return false;
  out.reserve(page.size() + page.size() / 2);
  auto unitAt = [&](std::size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(page[i]);
    const auto b = static_cast<unsigned char>(page[i + 1]);
    return form == Utf16Form::BigEndian ? (a << 8) | b : (b << 8) | a;
  };
  // The mark itself becomes the UTF-8 mark, so the result is read as UTF-8 again.
  for (std::size_t i = 0; i < page.size(); i += 2) {
    std::uint32_t unit = unitAt(i);
    if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 2 >= page.size()) return false;
      const std::uint32_t low = unitAt(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(unit, out);
  }
  return true;
}

std::string Utf8ToUtf16(std::string_view text, Utf16Form form) {
  if (form == Utf16Form::None) return std::string(text);
  if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  std::string out;
  out.reserve(2 * text.size() + 2);
  AppendUnit(0xFEFF, form, out);
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t cp = DecodeUtf8(text, i);
    if (cp >= 0x10000) {
      AppendUnit(static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10)), form, out);
      AppendUnit(static_cast<std::uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), form, out);
    } else {
      AppendUnit(static_cast<std::uint16_t>(cp), form, out);
    }
  }
  return out;
}

}  // namespace trimvale
