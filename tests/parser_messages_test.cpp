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

}  // namespace
}  // namespace trimvale::test
