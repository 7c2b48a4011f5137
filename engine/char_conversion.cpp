#include "engine/char_conversion.h"

#include <array>

namespace trimvale {

namespace {

// HTML 4.01 Latin-1 entity names, indexed by code point - kFirstEntityChar.
constexpr std::array<std::string_view, kLastEntityChar - kFirstEntityChar + 1> kEntities = {
    "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",   "&uml;",    "&copy;",   "&ordf;",
    "&laquo;",  "&not;",    "&shy;",    "&reg;",    "&macr;",   "&deg;",    "&plusmn;", "&sup2;",   "&sup3;",
    "&acute;",  "&micro;",  "&para;",   "&middot;", "&cedil;",  "&sup1;",   "&ordm;",   "&raquo;",  "&frac14;",
    "&frac12;", "&frac34;", "&iquest;", "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",
    "&AElig;",  "&Ccedil;", "&Egrave;", "&Eacute;", "&Ecirc;",  "&Euml;",   "&Igrave;", "&Iacute;", "&Icirc;",
    "&Iuml;",   "&ETH;",    "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yacute;", "&THORN;",  "&szlig;",  "&agrave;",
    "&aacute;", "&acirc;",  "&atilde;", "&auml;",   "&aring;",  "&aelig;",  "&ccedil;", "&egrave;", "&eacute;",
    "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",   "&eth;",    "&ntilde;", "&ograve;",
    "&oacute;", "&ocirc;",  "&otilde;", "&ouml;",   "&divide;", "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",
    "&uuml;",   "&yacute;", "&thorn;",  "&yuml;",
};

// The code point of a UTF-8 sequence starting at `i` if it is one of the converted ones
// (C2 A2..C2 BF or C3 80..C3 BF), else 0.
unsigned ConvertedUtf8At(std::string_view text, std::size_t i) {
  if (i + 1 >= text.size()) return 0;
  const auto lead = static_cast<unsigned char>(text[i]);
  const auto trail = static_cast<unsigned char>(text[i + 1]);
  if ((trail & 0xC0) != 0x80) return 0;
  const unsigned cp = ((lead & 0x1Fu) << 6) | (trail & 0x3Fu);
  if ((lead == 0xC2 || lead == 0xC3) && cp >= kFirstEntityChar) return cp;
  return 0;
}

}  // namespace

std::string_view LatinEntity(unsigned codePoint) {
  if (codePoint < kFirstEntityChar || codePoint > kLastEntityChar) return {};
  return kEntities[codePoint - kFirstEntityChar];
}

bool ConvertSpecialChars(std::string& text, PageEncoding encoding) {
  if (encoding != PageEncoding::SingleByte && encoding != PageEncoding::Utf8) return false;
  std::string out;
  bool changed = false;
  std::size_t copied = 0;  // text[copied, i) is still to be appended to `out`
  for (std::size_t i = 0; i < text.size();) {
    unsigned cp = 0;
    std::size_t length = 1;
    if (encoding == PageEncoding::SingleByte) {
      cp = static_cast<unsigned char>(text[i]);
    } else {
      cp = ConvertedUtf8At(text, i);
      length = 2;
    }
    const std::string_view entity = LatinEntity(cp);
    if (entity.empty()) {
      ++i;  // a UTF-8 lead byte of another character is left alone; its trail bytes never match
      continue;
    }
    if (!changed) out.reserve(text.size() + 16);
    changed = true;
    out.append(text, copied, i - copied);
    out += entity;
    i += length;
    copied = i;
  }
  if (!changed) return false;
  out.append(text, copied, std::string::npos);
  text = std::move(out);
  return true;
}

}  // namespace trimvale
