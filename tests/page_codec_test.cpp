// Decoding a page for an editor and encoding it back into its own bytes.
#include "engine/page_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

namespace trimvale {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}

TEST(PageCodec, Decodes) {
  struct Case {
    const char* name;
    std::string bytes;
    CPageEncoding::Kind kind;
    std::string charset;
    std::string utf8;
    bool lossless;
  } cases[] = {
      {"undeclared is windows-1252", "a\x80\xE4", CPageEncoding::SingleByte, "", "a\xE2\x82\xAC\xC3\xA4", true},
      {"undeclared utf-8 is utf-8", "a\xC3\xA4", CPageEncoding::Utf8, "", "a\xC3\xA4", true},
      {"declared 1252 wins over utf-8 bytes", "<meta charset=cp1252>\xC3\xA4", CPageEncoding::SingleByte, "cp1252",
       "<meta charset=cp1252>\xC3\x83\xC2\xA4", true},
      {"latin-1 is read as browsers read it", "<meta charset=iso-8859-1>\x80", CPageEncoding::Latin1, "iso-8859-1",
       "<meta charset=iso-8859-1>\xE2\x82\xAC", true},
      {"undefined 1252 bytes are C1 controls", "\x81\x9D", CPageEncoding::SingleByte, "", "\xC2\x81\xC2\x9D", true},
      {"utf-8 mark is dropped", "\xEF\xBB\xBFx", CPageEncoding::Utf8Bom, "", "x", true},
      {"bad utf-8", "<meta charset=utf-8>\xC3(", CPageEncoding::Utf8, "utf-8",
       "<meta charset=utf-8>\xEF\xBF\xBD(", false},
      {"utf-16 surrogate pair, mark dropped", Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), CPageEncoding::Utf16LE,
       "", "\xF0\x9F\x98\x80", true},
      {"utf-16 lone low surrogate", Bytes({0xFE, 0xFF, 0xDE, 0x00, 0, 'a'}), CPageEncoding::Utf16BE, "",
       "\xEF\xBF\xBD" "a", false},
      {"utf-16 odd length", Bytes({0xFF, 0xFE, 'a', 0, 'b'}), CPageEncoding::Utf16LE, "", "a\xEF\xBF\xBD", false},
      {"other charset through iconv", "<meta charset=koi8-r>\xC1", CPageEncoding::Other, "koi8-r",
       "<meta charset=koi8-r>\xD0\xB0", true},
      {"byte invalid in the charset", "<meta charset=shift_jis>\x82", CPageEncoding::Other, "shift_jis",
       "<meta charset=shift_jis>\xEF\xBF\xBD", false},
      {"unknown charset falls back to 1252", "<meta charset=x-nichts>\xE4", CPageEncoding::SingleByte, "x-nichts",
       "<meta charset=x-nichts>\xC3\xA4", true},
  };
  for (const auto& c : cases) {
    const CDecodedPage page = DecodePage(c.bytes);
    EXPECT_EQ(page.encoding.kind, c.kind) << c.name;
    EXPECT_EQ(page.encoding.charset, c.charset) << c.name;
    EXPECT_EQ(page.utf8, c.utf8) << c.name;
    EXPECT_EQ(page.lossless, c.lossless) << c.name;
  }
}

TEST(PageCodec, AllWindows1252BytesRoundTrip) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  const CDecodedPage page = DecodePage(bytes);
  std::string back;
  EXPECT_TRUE(EncodePage(page.utf8, page.encoding, back));
  EXPECT_EQ(back, bytes);
}

TEST(PageCodec, CharactersTheEncodingLacksAreReported) {
  struct Case {
    const char* name;
    CPageEncoding encoding;
    std::string utf8;
    std::string bytes;
  } cases[] = {
      {"1252 has no U+0080", {CPageEncoding::SingleByte, ""}, "a\xC2\x80" "b", "a?b"},
      {"koi8-r has no euro sign", {CPageEncoding::Other, "koi8-r"}, "\xE2\x82\xAC\xD0\xB0", "?\xC1"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_FALSE(EncodePage(c.utf8, c.encoding, out)) << c.name;
    EXPECT_EQ(out, c.bytes) << c.name;
  }
  std::string out;
  EXPECT_TRUE(EncodePage("\xF0\x9F\x98\x80", {CPageEncoding::Utf16BE, ""}, out));
  EXPECT_EQ(out, Bytes({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00}));
}

TEST(PageCodec, EveryCorpusPageRoundTrips) {
  TRIMVALE_REQUIRE_CORPUS();
  for (const auto& path : test::CorpusPages()) {
    const std::string bytes = test::ReadFile(path);
    const CDecodedPage page = DecodePage(bytes);
    EXPECT_TRUE(page.lossless) << path;
    std::string back;
    EXPECT_TRUE(EncodePage(page.utf8, page.encoding, back)) << path;
    EXPECT_TRUE(back == bytes) << path << " kind " << page.encoding.kind << " " << page.encoding.charset;
  }
}

}  // namespace
}  // namespace trimvale
