// The entity table and the conversion of text by page encoding.
#include "engine/char_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace trimvale {
namespace {

// The HTML 4.01 Latin-1 names from 0xA2 on, in code point order.
const char* const kNames[] = {
    "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",   "laquo",  "not",
    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",
    "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute",
    "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash",
    "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde",
    "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",
    "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
static_assert(std::size(kNames) == 94);

std::string Expected(unsigned cp) {
  if (cp < 0xA2) return {};
  return std::string("&") + kNames[cp - 0xA2] + ";";
}

// `middle` between two letters. (Built by append: GCC 12 misreports -Wrestrict on "a" + s + "b".)
std::string Between(char before, std::string_view middle, char after) {
  std::string out(1, before);
  out.append(middle);
  out.push_back(after);
  return out;
}

std::string Utf8Of(unsigned cp) { return {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))}; }

TEST(CharConversion, SingleByteTableOverAllHighBytes) {
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    const std::string raw(1, static_cast<char>(byte));
    std::string text = Between('a', raw, 'b');
    const bool changed = ConvertSpecialChars(text, PageEncoding::SingleByte);
    const std::string entity = Expected(byte);
    EXPECT_EQ(changed, !entity.empty()) << byte;
    EXPECT_EQ(text, Between('a', entity.empty() ? raw : entity, 'b')) << byte;
    EXPECT_EQ(LatinEntity(byte), entity) << byte;
  }
}

TEST(CharConversion, AsciiAndMarkupCharactersStay) {
  std::string text;
  for (int c = 1; c < 0x80; ++c) text += static_cast<char>(c);
  const std::string before = text;
  EXPECT_FALSE(ConvertSpecialChars(text, PageEncoding::SingleByte));
  EXPECT_FALSE(ConvertSpecialChars(text, PageEncoding::Utf8));
  EXPECT_EQ(text, before);
}

TEST(CharConversion, Utf8CodePointsOverTheLatin1Range) {
  for (unsigned cp = 0x80; cp <= 0xFF; ++cp) {
    std::string text = Between('x', Utf8Of(cp), 'y');
    ConvertSpecialChars(text, PageEncoding::Utf8);
    const std::string entity = Expected(cp);
    EXPECT_EQ(text, Between('x', entity.empty() ? Utf8Of(cp) : entity, 'y')) << cp;
  }
}

TEST(CharConversion, Utf8LeavesEveryOtherByteAlone) {
  struct Case {
    const char* name;
    std::string text, expected;
  } cases[] = {
      {"euro sign", "\xE2\x82\xAC", "\xE2\x82\xAC"},
      {"cyrillic", "\xD0\x96\xD0\xB8", "\xD0\x96\xD0\xB8"},
      {"greek and umlaut", "\xCE\xB1\xC3\xA4", "\xCE\xB1&auml;"},
      {"east asian", "\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"emoji", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"stray single bytes", "\xA9\xE4\xC3", "\xA9\xE4\xC3"},
      {"lead byte before a non-continuation", "\xC3(\xC2\xA9", "\xC3(&copy;"},
      {"no-break space and inverted mark", "\xC2\xA0\xC2\xA1", "\xC2\xA0\xC2\xA1"},
  };
  for (auto& c : cases) {
    std::string text = c.text;
    ConvertSpecialChars(text, PageEncoding::Utf8);
    EXPECT_EQ(text, c.expected) << c.name;
  }
}

TEST(CharConversion, UnconvertedAndRepeatedConversion) {
  std::string text = "\xA9\xC3\xA4";
  EXPECT_FALSE(ConvertSpecialChars(text, PageEncoding::Unconverted));
  EXPECT_EQ(text, "\xA9\xC3\xA4");
  EXPECT_TRUE(ConvertSpecialChars(text, PageEncoding::SingleByte));
  EXPECT_EQ(text, "&copy;&Atilde;&curren;");
  EXPECT_FALSE(ConvertSpecialChars(text, PageEncoding::SingleByte));
  EXPECT_EQ(text, "&copy;&Atilde;&curren;");
}

}  // namespace
}  // namespace trimvale
