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
      {"input ends in an end tag's name", "<div>x</", R"(div["x" "</"])", kEndInName, 2},
      {"input ends before the tag's end", "a<b class=x", R"("a" "<b class=x")",
       "HTML Fehler: Dateiende erreicht ohne dass b Tag mit '>' abgeschlossen\r\n", 2},
      {"lone less-than sign", "a < b", R"("a " "< b")",
       "HTML Fehler: Dateiende erreicht ohne dass  Tag mit '>' abgeschlossen\r\n", 2},
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

TEST(ParserMessages, ObserverSeesEachNodeWhenItsTokenIsRead) {
  struct Row {
    const char* name;
    const char* input;
    std::vector<std::string> lines;
  } rows[] = {
      {"depths, no end tags, no blank runs", "<div>a <b>c</b></div>\r\nd", {"1:div", "2:a ", "2:b", "3:c", "1:d"}},
      {"tag rest before the attributes are taken out", "<p class=x>y</p>", {"1:p class=x", "2:y"}},
      {"comment and kept tag text", "<!--c-->a<b", {"1:!--c--", "1:a", "1:<b"}},
      {"dropped end tag is not shown", "a</p>b", {"1:a", "1:b"}},
  };
  for (const auto& row : rows) {
    CRecordingObserver observer;
    CParseSetup setup;
    setup.observer = &observer;
    Parse(row.input, setup);
    EXPECT_EQ(observer.lines, row.lines) << row.name;
  }
}

TEST(ParserMessages, CancelledRunParsesNothing) {
  std::atomic<bool> cancel{true};
  CParseSetup setup;
  setup.cancel = &cancel;
  const CParseOutcome got = Parse("<div>x</div>", setup);
  EXPECT_EQ(got.tree + got.messages, "");
}

// Cancels the run once it has seen a given number of nodes.
class CCancellingObserver : public IParseObserver {
 public:
  CCancellingObserver(std::atomic<bool>& cancel, int after) : cancel_(cancel), after_(after) {}
  void AddParsedNode(const CHtmlNode&, int) override {
    if (--after_ == 0) cancel_ = true;
  }

 private:
  std::atomic<bool>& cancel_;
  int after_;
};

TEST(ParserMessages, CancelAtAnyPointLeavesASoundPartialTree) {
  const char* inputs[] = {
      "<ul><li>a<li>b<li>c</ul><p>x</p>",
      "<div><p>q<p>r<li>a<li>b</div>t",
      "<div><span><b>x</div><i>y</i>",
  };
  for (const char* input : inputs) {
    for (int after = 1; after <= 12; ++after) {
      std::atomic<bool> cancel{false};
      CCancellingObserver observer(cancel, after);
      CParseSetup setup;
      setup.cancel = &cancel;
      setup.observer = &observer;
      Parse(input, setup);  // the harness checks the partial tree
    }
  }
}

}  // namespace
}  // namespace trimvale::test
