// The entity table and the conversion of text by page encoding.
#include "engine/char_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace trimvale {
namespace {

// `middle` between two letters. (Built by append: GCC 12 misreports -Wrestrict on "a" + s + "b".)
std::string Between(char before, std::string_view middle, char after) {
  std::string out(1, before);
  out.append(middle);
  out.push_back(after);
  return out;
}

std::string Utf8Of(unsigned cp) { return {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))}; }

// Every code point from 0x80 to 0xFF, as one byte and as UTF-8, between two letters: both forms
// give the same entity, and exactly the range from U+00A2 has one.
TEST(CharConversion, EntitiesOverTheLatin1Range) {
  EXPECT_EQ(LatinEntity(0xA1), "");
  EXPECT_EQ(LatinEntity(0xA2), "&cent;");
  EXPECT_EQ(LatinEntity(0xD7), "&times;");
  EXPECT_EQ(LatinEntity(0xFF), "&yuml;");
  for (unsigned cp = 0x80; cp <= 0xFF; ++cp) {
    const std::string entity(LatinEntity(cp));
    EXPECT_EQ(entity.empty(), cp < 0xA2) << cp;
    const std::string raw(1, static_cast<char>(cp));
    std::string text = Between('a', raw, 'b');
    EXPECT_EQ(ConvertSpecialChars(text, PageEncoding::SingleByte), !entity.empty()) << cp;
    EXPECT_EQ(text, Between('a', entity.empty() ? raw : entity, 'b')) << cp;
    text = Between('x', Utf8Of(cp), 'y');
    ConvertSpecialChars(text, PageEncoding::Utf8);
    EXPECT_EQ(text, Between('x', entity.empty() ? Utf8Of(cp) : entity, 'y')) << cp;
  }
}

TEST(CharConversion, Utf8LeavesEveryOtherByteAlone) {
  struct Case {
    const char* name;
    std::string text, expected;
  } cases[] = {
      {"cyrillic, euro sign, east asian, emoji", "\xD0\x96\xE2\x82\xAC\xE6\x97\xA5\xF0\x9F\x98\x80",
       "\xD0\x96\xE2\x82\xAC\xE6\x97\xA5\xF0\x9F\x98\x80"},
      {"stray single bytes", "\xA9\xE4\xC3", "\xA9\xE4\xC3"},
      {"lead byte before a non-continuation", "\xC3(\xC2\xA9", "\xC3(&copy;"},
  };
  for (auto& c : cases) {
    std::string text = c.text;
    ConvertSpecialChars(text, PageEncoding::Utf8);
    EXPECT_EQ(text, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace trimvale
