// Deciding a page's character set.
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

}  // namespace
}  // namespace trimvale
