// Deciding a page's character set, and the UTF-16 round trip.
#include "engine/charset.h"

#include <gtest/gtest.h>

#include <string>

namespace trimvale {
namespace {

TEST(DetectPageCharset, DeclarationsAndMarks) {
  struct Case {
    const char* name;
    std::string page;
    PageEncoding encoding;
    std::string declared;
  } cases[] = {
      {"byte-order mark", "\xEF\xBB\xBF<p>x", PageEncoding::Utf8, ""},
      {"html5 form, no quotes, capitals", "<HEAD><META CHARSET=UTF-8>", PageEncoding::Utf8, "UTF-8"},
      {"content before http-equiv", "<meta content='text/html;charset=UTF8' http-equiv='content-type'/>",
       PageEncoding::Utf8, "UTF8"},
      {"another charset", "<meta http-equiv=Content-Type content=\"text/html; charset=koi8-r\">",
       PageEncoding::Unconverted, "koi8-r"},
      {"a charset word in another attribute", "<meta name=\"charset=koi8-r\">", PageEncoding::SingleByte, ""},
      {"only the head is read", "<head></head><body><meta charset=koi8-r></body>", PageEncoding::SingleByte, ""},
      {"a meta element in a comment", "<!-- <meta charset=koi8-r> --><meta charset=utf-8>", PageEncoding::Utf8,
       "utf-8"},
      {"a quoted > inside the tag", "<meta content=\"a>b\" charset=utf-8>", PageEncoding::Utf8, "utf-8"},
  };
  for (auto& c : cases) {
    const CPageCharset charset = DetectPageCharset(c.page);
    EXPECT_EQ(charset.encoding, c.encoding) << c.name;
    EXPECT_EQ(charset.declaredName, c.declared) << c.name;
  }
}

TEST(DetectPageCharset, LooksOnlyAtTheFirstBytes) {
  std::string page = "<head>" + std::string(kCharsetScanLimit, ' ') + "<meta charset=koi8-r>";
  EXPECT_EQ(DetectPageCharset(page).encoding, PageEncoding::SingleByte);
  // Unclosed quotes in many meta elements cost one pass over the head, not one per element.
  std::string quotes;
  while (quotes.size() < kCharsetScanLimit) quotes += "<meta content=\"";
  EXPECT_EQ(DetectPageCharset(quotes).encoding, PageEncoding::SingleByte);
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}

TEST(Utf16, ToUtf8) {
  struct Case {
    const char* name;
    std::string page;
    Utf16Form form;
    bool ok;
    std::string utf8;
  } cases[] = {
      {"surrogate pair", Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), Utf16Form::LittleEndian, true,
       "\xEF\xBB\xBF\xF0\x9F\x98\x80"},
      {"odd length", Bytes({0xFF, 0xFE, 'a'}), Utf16Form::LittleEndian, false, ""},
      {"lone low surrogate", Bytes({0xFE, 0xFF, 0xDE, 0x00}), Utf16Form::BigEndian, false, ""},
  };
  for (auto& c : cases) {
    std::string out;
    EXPECT_EQ(Utf16ToUtf8(c.page, c.form, out), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(out, c.utf8) << c.name;
    }
  }
}

TEST(Utf16, FromUtf8) {
  struct Case {
    const char* name;
    std::string text;
    Utf16Form form;
    std::string utf16;
  } cases[] = {
      {"bad bytes become replacement characters",
       "\xFF"
       "a\xC3",
       Utf16Form::LittleEndian, Bytes({0xFF, 0xFE, 0xFD, 0xFF, 'a', 0, 0xFD, 0xFF})},
      {"overlong and surrogate forms are bad", "\xC0\xAF\xED\xA0\x80", Utf16Form::BigEndian,
       Bytes({0xFE, 0xFF, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0xFD})},
  };
  for (auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.text, c.form), c.utf16) << c.name;
}

}  // namespace
}  // namespace trimvale
