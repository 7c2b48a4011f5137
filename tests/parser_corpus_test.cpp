#include <cctype>

#include "engine/white_space.h"
#include "tests/parser_harness.h"
#include "tests/test_util.h"

namespace trimvale::test {
namespace {

// A page that ends inside a tag keeps its rest from the "<" on; a text run may begin with a "<"
// that opens nothing ("<5 Euro") and is folded like any other.
bool OpensMarkup(std::string_view text) {
  return text.size() > 1 && text[0] == '<' && (std::isalpha(static_cast<unsigned char>(text[1])) || text[1] == '!' ||
                                               text[1] == '?' || text[1] == '/');
}

// Checks each text node against the page bytes that end where its token ended: script and
// preformatted runs must be those bytes exactly; folded runs must keep every non-blank byte, in
// order, and lose only blanks and breaks.
class CTextAccountant : public IParseObserver {
 public:
  CTextAccountant(const CRunContext*& ctx, std::string_view page) : ctx_(ctx), page_(page) {}

  void AddParsedNode(const CHtmlNode& node, int) override {
    if (node.kind != TagKind::Text || !node.name.empty()) return;
    const auto end = static_cast<std::size_t>(ctx_->parsePos);
    ++textNodes;
    // Script and preformatted runs, and the rest of a page that ends inside a tag, are the page's
    // bytes exactly.
    if (InVerbatim() || (end == page_.size() && OpensMarkup(node.text))) {
      if (node.text.size() > end || page_.substr(end - node.text.size(), node.text.size()) != node.text) ++faults;
      return;
    }
    if (node.text.view().find_first_of("\r\n") != std::string::npos) ++faults;
    // Walk back from the token's end over the page, matching the non-blank bytes of the text.
    std::size_t at = end;
    for (auto it = node.text.view().rbegin(); it != node.text.view().rend(); ++it) {
      if (IsLineSpace(*it)) continue;
      while (at > 0 && IsLineSpace(page_[at - 1])) --at;
      if (at == 0 || page_[at - 1] != *it) {
        ++faults;
        return;
      }
      --at;
    }
  }

  int faults = 0;
  std::size_t textNodes = 0;

 private:
  bool InVerbatim() const {
    for (const CCompactString& entry : ctx_->tagStack) {
      if (EqualsNoCase(entry, "pre") || EqualsNoCase(entry, "textarea") || EqualsNoCase(entry, "script")) return true;
    }
    return false;
  }
  const CRunContext*& ctx_;
  std::string_view page_;
};

void ParseAndCheck(const std::string& page, const std::string& label, int mode) {
  static const auto table = std::make_shared<const CTagLayoutTable>(SmallLayoutTable());
  CRunConfig config;
  config.layoutTable = table;
  config.layout.mode = mode;
  CStringSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  const CRunContext* ctxView = &ctx;
  CTextAccountant accountant(ctxView, page);
  ctx.observer = &accountant;
  auto root = MakeNode(nullptr);
  ParseDocument(ctx, *root, page);
  EXPECT_EQ(ctx.parsePos, static_cast<std::int32_t>(page.size())) << label;
  EXPECT_TRUE(ctx.tagStack.empty()) << label;
  EXPECT_EQ(accountant.faults, 0) << label;
  ExpectTreeSound(*root);
}

TEST(ParserCorpus, EveryPageParsesSoundly) {
  TRIMVALE_REQUIRE_CORPUS();
  CParseSetup keepLook;
  keepLook.keepLook = true;
  for (const auto& path : CorpusPages()) {
    const std::string page = ReadFile(path);
    ParseAndCheck(page, path.filename().string(), kLayoutStandard);
    // The browser-like repair restructures open elements: the tree must stay sound, the
    // reports those of the usual repair.
    auto root = MakeNode(nullptr);
    EXPECT_EQ(ParseWith(page, *root, keepLook).messages, Parse(page).messages) << path.filename();
  }
}

}  // namespace
}  // namespace trimvale::test
