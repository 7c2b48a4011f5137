#include "tests/parser_harness.h"

namespace trimvale::test {
namespace {

constexpr const char* kEndOfInput = "HTML Fehler: Dateiende erreicht ohne dass Inhalt dem Tag folgt\r\n";
constexpr const char* kEndInName = "HTML Fehler: Dateiende erreicht ohne Tagname fertig\r\n";

TEST(ParserMessages, ReportsEveryRepairWithItsLevel) {
  ExpectRows({
      {"empty input", "", "", kEndOfInput, 1},
      {"start tag is the last thing", "<div>", "div", kEndOfInput, 1},
      {"input ends in a tag name", "<p", R"("<p")", kEndInName, 2},
      {"input ends in an end tag's name", "<div>x</d", R"(div["x" "</d"])", kEndInName, 2},
      {"input ends before the tag's end", "a<b class=x", R"("a" "<b class=x")",
       "HTML Fehler: Dateiende erreicht ohne dass b Tag mit '>' abgeschlossen\r\n", 2},
      {"look-ahead runs into the end of the input", "<div><span><b>x</div></sp", R"(div[span[b["x" "</div></sp"]]])",
       kEndInName, 2},
      {"unclosed comment", "<!-- x", R"(!--( x))",
       "HTML Fehler: Kommentartag nicht abgeschlossen. Sämtlicher Inhalt wird bis zum Schluss als Kommentar "
       "betrachtet.\r\n",
       1},
      {"unclosed xmp", "<xmp>a<b>", "xmp(a<b>)",
       "HTML Fehler: xmp Tag nicht abgeschlossen. Sämtlicher Inhalt wird bis zum Schluss als xmp betrachtet.\r\n" +
           std::string(kEndOfInput),
       1},
      {"attribute without value", "<td nowrap class  >x</td>", R"(td( nowrap class  )["x"])",
       "HTML Warnung: bei td, Argument class folgt kein Eintrag (Tagende erreicht ohne = gefunden).\r\n", 1},
      {"a small error after a severe one keeps the level", "<p><b>x</p></i>", R"(p[b["x"]])",
       "HTML Fehler: Ein Endtag fehlt (b), gefunden p, Endtag ergänzt am Ende vor nächst passendem\r\n"
       "Schwerer HTML Fehler in der Tagstruktur. Die neu erzeugte Seite kann fehlerhaft sein. Überprüfen Sie vor "
       "allem kreuzverschachtelte Tags.\r\n"
       "Ein Endtag fehlt zu <b >\nStack-unterlauf beim Parsen des HTML Codes\r\n",
       2},
  });
}

TEST(ParserMessages, CancelledRunParsesNothing) {
  std::atomic<bool> cancel{true};
  CParseSetup setup;
  setup.cancel = &cancel;
  const CParseOutcome got = Parse("<div>x</div>", setup);
  EXPECT_EQ(got.tree + got.messages, "");
}

// Each report's line:column/level, over a page in `encoding`.
std::string PlacesOf(std::string_view input, PageEncoding encoding = PageEncoding::SingleByte) {
  struct CPlaceSink : CNullSink {
    void AppendReport(std::string_view, const CMessageInfo& i) override {
      places += std::to_string(i.line) + ":" + std::to_string(i.column) + "/" + std::to_string(i.level) + " ";
    }
    std::string places;
  } sink;
  CRunConfig config;
  config.layoutTable = std::make_shared<const CTagLayoutTable>(SmallLayoutTable());
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  ctx.pageEncoding = encoding;
  ParseDocument(ctx, *MakeNode(nullptr), input);
  return sink.places;
}

TEST(ParserMessages, CarryTheLineAndColumnWhereTheyArose) {
  const PageEncoding single = PageEncoding::SingleByte;
  const struct {
    const char* name;
    const char* input;
    PageEncoding encoding;
    const char* places;
  } rows[] = {
      {"stack underflow names no tag, its place does", "a\r\nb</td>", single, "2:2/1 "},
      {"LF, CR and CR LF each end a line", "\n\r\r\n  </td>", single, "4:3/1 "},
      {"a UTF-8 character counts once", "\xC3\xA4\xE2\x82\xAC</td>", PageEncoding::Utf8, "1:3/1 "},
      {"a single-byte page counts bytes", "\xC3\xA4</td>", single, "1:3/1 "},
      // The unwinding's reports all stand at the end tag that began it.
      {"missing end tag", "<p>\r\n<b>x</p>", single, "2:5/1 2:5/2 2:5/0 "},
      // An attribute warning comes after the element's content, but points at its tag.
      {"attribute warning", "<div>\r\n <td class  >\r\n</td>\r\n</div>", single, "2:2/1 "},
      {"end of input", "\r\n<div>", single, "2:6/1 "},
  };
  for (const auto& row : rows) EXPECT_EQ(PlacesOf(row.input, row.encoding), row.places) << row.name;
  // Places behind the furthest one counted so far, far along one long line.
  std::string page, expected;
  for (int i = 0; i < 50; ++i) {
    expected += "1:" + std::to_string(page.size() + 1) + "/1 ";
    page += "<div class  >" + std::string(3000, 'x') + "</div>";
  }
  EXPECT_EQ(PlacesOf(page), expected);
}

}  // namespace
}  // namespace trimvale::test
