#include "tests/parser_harness.h"

namespace trimvale::test {
namespace {

TEST(ParserText, FoldsLineBreaksOutsidePreformattedContent) {
  ExpectRows({
      {"break and the blanks around it", "a  \r\n  b", R"("a b")", "", 0},
      {"consecutive breaks become one blank", "<p>a\n\n b</p>", R"(p["a b"])", "", 0},
      {"break at the start leaves no blank", "<p>\r\n  Hallo</p>", R"(p["Hallo"])", "", 0},
      {"LF CR pair", "a\n\rb", R"("a b")", "", 0},
      {"tabs go with the break", "a\t\r\n\tb", R"("a b")", "", 0},
      {"trailing break becomes a blank", "<p>a\r\n</p>", R"(p["a "])", "", 0},
      {"blank-only run between tags is dropped", "<b>x</b> \r\n\t <b>y</b>", R"(b["x"] b["y"])", "", 0},
      {"text before and after the tags stays", "vor<br>nach", R"("vor" br "nach")", "", 0},
  });
}

TEST(ParserText, PreformattedContentKeepsEveryBlankAndBreak) {
  ExpectRows({
      {"pre", "<pre>  a\r\n   b\r\n</pre>", R"(pre["  a\r\n   b\r\n"])", "", 0},
      {"blank-only run inside pre is kept", "<pre><b>x</b>\r\n</pre>", R"(pre[b["x"] "\r\n"])", "", 0},
      {"pre at any depth", "<pre><b>a\r\n b</b></pre>", R"(pre[b["a\r\n b"]])", "", 0},
      {"folding resumes after pre", "<pre>a</pre>x\r\ny", R"(pre["a"] "x y")", "", 0},
      {"textarea in capitals", "<TEXTAREA> \r\n</TEXTAREA>", R"(TEXTAREA[" \r\n"])", "", 0},
  });
}

TEST(ParserText, ScriptContentIsOneRunKeptByteForByte) {
  ExpectRows({
      {"line comment and less-than sign", "<script>if (a < b) {}\r\n// c\r\nx();</script>",
       R"(script["if (a < b) {}\r\n// c\r\nx();"])", "", 0},
      {"blank-only content is kept", "<script> </script>", R"(script[" "])", "", 0},
      {"empty content gives no node", "<script></script>", "script", "", 0},
      {"comment inside, letter case of the end tag ignored", "<SCRIPT><!-- x --></Script>", R"(SCRIPT["<!-- x -->"])",
       "", 0},
      {"content runs to the end of the input", "<script>a<b", R"(script["a<b"])", "", 0},
      {"text after the script is folded again", "<script>a\r\nb</script>c\r\nd", R"(script["a\r\nb"] "c d")", "", 0},
      {"self-closing script has no content", "<script src=x />y", R"(script( src=x /) "y")", "", 0},
  });
}

}  // namespace
}  // namespace trimvale::test
