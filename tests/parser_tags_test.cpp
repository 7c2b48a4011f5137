#include "tests/parser_harness.h"

namespace trimvale::test {
namespace {

constexpr const char* kSevere =
    "Schwerer HTML Fehler in der Tagstruktur. Die neu erzeugte Seite kann fehlerhaft sein. Überprüfen Sie vor allem "
    "kreuzverschachtelte Tags.\r\n";

TEST(ParserStartTags, ReadsElementsAndSpecialContents) {
  ExpectRows({
      {"self-closing", "<b />x", R"(b( /) "x")", "", 0},
      {"slash that belongs to the name", "<br/>x", R"(br/ "x")", "", 0},
      // Pages saved with bare line feeds break long tags the same way; the name must still end
      // at the break, or `<span\nstyle=...>` never matches its end tag.
      {"bare LF ends the name", "<span\nstyle='x:y'>a</span>", R"(span{s:x:y}["a"])", "", 0},
      {"bare CR and tab end the name", "<p\ralign=left><b\tid=q>a</b></p>", R"(p( align=left)[b(\tid=q)["a"]])", "", 0},
      {"LF breaks in the tag rest fold to one blank", "<p  \n  align=left \n\n>x</p>", R"(p( align=left )["x"])", "",
       0},
      {"xmp keeps markup as content", "<xmp><b>x</b></xmp>", R"(xmp(<b>x</b>))", "", 0},
      {"conditional comment", "<!--[if gte mso 9]><xml>x</xml><![endif]-->", R"(!--[if( gte mso 9])[xml["x"]])", "", 0},
      {"tag cut short by the next tag", "<p class=x <b>y</b></p>", R"(p( ){c:x}[b["y"]])",
       "HTML Fehler: p Tag nicht mit '>' abgeschlossen\r\n", 1},
  });
}

TEST(ParserEndTags, ClosesDropsAndRepairs) {
  ExpectRows({
      {"letter case counts in the search of the stack", "<div><b>x</DIV>", R"(div[b["x"]])",
       "Ein Endtag zuviel, DIV wird gelöscht\r\n", 1},
      {"end tag at the top level", "a</td>b", R"("a" "b")", "Stack-unterlauf beim Parsen des HTML Codes\r\n", 1},
      {"required end tag missing before the parent's", "<p><b>x</p>", R"(p[b["x"]])",
       "HTML Fehler: Ein Endtag fehlt (b), gefunden p, Endtag ergänzt am Ende vor nächst passendem\r\n" +
           std::string(kSevere) + "Ein Endtag fehlt zu <b >\n",
       2},
      {"optional end tag missing before the parent's", "<p><li>x</p>", R"(p[li["x"]])", "", 0},
      {"look-ahead shows a surplus end tag", "<div><span><b>x</div></b></span></div>", R"(div[span[b["x"]]])",
       "Ein Endtag zuviel, div wird gelöscht", 1},
      {"look-ahead shows a wrong end tag", "<div><span><b>x</div></span></div>", R"(div[span[b["x"]]])",
       "Falsches Endtag gefunden: div. Ersetzt durch: b\r\n", 1},
      {"look-ahead skips a balanced element", "<div><span><b>x</div><i>y</i></b></span></div>",
       R"(div[span[b["x" i["y"]]]])", "Ein Endtag zuviel, div wird gelöscht", 1},
      {"unwinding to a far element", "<div><span><b>x</div>", R"(div[span[b["x"]]])",
       "Ein Endtag fehlt zu <b >\n" + std::string(kSevere) + "Ein Endtag fehlt zu <span >\n", 2},
      {"blank after the end tag's name", "<b>x</b >y", R"(b["x"] ">y")", "", 0},
  });
}

TEST(ParserUnwind, ClosesElementsImplicitlyAndLiftsSameNamedRuns) {
  ExpectRows({
      {"nested lists", "<ul><li>a<ul><li>b<li>c</ul><li>d</ul>", R"(ul[li["a" ul[li["b"] li["c"]]] li["d"]])", "", 0},
      {"missing required end tag deep in a list leaves the level", "<ul><li><b>x<li>y</ul>",
       R"(ul[li[b["x" li["y"]]]])", "Ein Endtag fehlt zu <b >\n", 0},
      {"element between the same-named runs", "<ul><li>a<li>b<p>c</ul>", R"(ul[li["a"] li["b" p["c"]]])", "", 0},
      {"moves counted across a level that moved nothing", "<div><p>q<p>r<li>a<li>b</div>",
       R"(div[p "q" p["r" li["a"] li["b"]]])", "", 0},
  });
}

// Keeping the look repairs misnested formatting as browsers read it; the reports and their level
// stay those of the usual repair, whose tree is the first column.
TEST(ParserKeepLook, RepairsLikeBrowsersAndReportsAsUsual) {
  struct Row {
    const char* name;
    const char* input;
    const char* usual;
    const char* kept;
  } rows[] = {
      {"Word 97 formatting around a paragraph, closed inside it",
       "<div><b><font face=Arial><p>text</b></font> more</p></div>",
       R"(div[b[font( face=Arial)[p["text"]] " more"]])",
       R"(div[b[font( face=Arial)] font( face=Arial) p[font( face=Arial)[b["text"]] " more"]])"},
      {"formatting closed with its paragraph is reopened in the next text, up to its own end tag",
       "<div><p><b>x</p>y<p>z</b>w</p></div>", R"(div[p[b["x"]] "y" p["z" "w"]])",
       R"(div[p[b["x"]] b["y"] p[b["z"] "w"]])"},
      {"its end tag after the paragraph ends it for good", "<div><p><b>x</p></b><p>y</p></div>",
       R"(div[p[b["x"]] p["y"]])", R"(div[p[b["x"]] p["y"]])"},
      {"nothing is reopened before a block, and blank runs wait too", "<div><p><i>x</p> <ul><li>y</ul></i></div>",
       R"(div[p[i["x"]] ul[li["y"]]])", R"(div[p[i["x"]] ul[li[i["y"]]]])"},
      {"an end tag outside the cell it stands in changes nothing", "<div><b><table><tr><td>x</b>y</div>",
       R"(div[b[table[tr[td["x"]]]] "y"])", R"(div[b[table[tr[td["x" "y"]]]]])"},
      {"a conditional section may end inside the table it began outside",
       "<div><![if !mso]><table><tr><td><![endif]>x<![if !mso]></td></tr></table><![endif]></div>",
       R"(div[![if( !mso])[table[tr[td "x" ![if( !mso])]]]])",
       R"(div[![if( !mso])[table[tr[td["x" ![if( !mso])]]]]])"},
  };
  for (const Row& row : rows) {
    const CParseOutcome usual = Parse(row.input);
    CParseSetup keepLook;
    keepLook.keepLook = true;
    const CParseOutcome kept = Parse(row.input, keepLook);
    EXPECT_EQ(usual.tree, row.usual) << row.name;
    EXPECT_EQ(kept.tree, row.kept) << row.name;
    EXPECT_EQ(kept.messages, usual.messages) << row.name;
    EXPECT_EQ(kept.level, usual.level) << row.name;
  }
}

// Line breaks fold outside preformatted and script content; inside it every byte stays.
TEST(ParserText, FoldsLineBreaksOnlyOutsidePreformattedContent) {
  ExpectRows({
      {"break and the blanks around it", "a  \r\n  b", R"("a b")", "", 0},
      {"break at the start leaves no blank", "<p>\r\n  Hallo</p>", R"(p["Hallo"])", "", 0},
      {"pre", "<pre>  a\r\n   b\r\n</pre>", R"(pre["  a\r\n   b\r\n"])", "", 0},
      {"blank-only run inside pre is kept", "<pre><b>x</b>\r\n</pre>", R"(pre[b["x"] "\r\n"])", "", 0},
      // Script content is one run, kept byte for byte.
      {"line comment and less-than sign", "<script>if (a < b) {}\r\n// c\r\nx();</script>",
       R"(script["if (a < b) {}\r\n// c\r\nx();"])", "", 0},
      {"content runs to the end of the input", "<script>a<b", R"(script["a<b"])", "", 0},
      {"self-closing script has no content", "<script src=x />y", R"(script( src=x /) "y")", "", 0},
  });
}

// Only "<" before a letter, "!", "?" or "/" and a letter opens markup; anything else is text, and
// reading it as a tag would swallow the rest of the paragraph.
TEST(ParserText, LessThanBeforeANonLetterIsText) {
  ExpectRows({
      {"digit, operators, blank", "<b>Preis <5, x <= y, a <- b, a < b</b>", R"(b["Preis <5, x <= y, a <- b, a < b"])",
       "", 0},
      {"end-tag form before a digit", "<p>a</5>b</p>", R"(p["a</5>b"])", "", 0},
      {"at the end of the input", "<b>x</b>ich <3 <", R"(b["x"] "ich <3 <")", "", 0},
      // Before markup it becomes an entity: were the markup removed, it would open a tag.
      {"markup right after it", "<b>1 <<i>2</i>3 </<i>4</i></b>", R"(b["1 &lt;" i["2"] "3 &lt;/" i["4"]])", "", 0},
      // The look-ahead of a wrong end tag must not land on it either.
      {"look-ahead passes it", "<div><span><b>x</div></5></b></span></div>", R"(div[span[b["x" "</5>"]]])",
       "Ein Endtag zuviel, div wird gelöscht", 1},
  });
}

}  // namespace
}  // namespace trimvale::test
