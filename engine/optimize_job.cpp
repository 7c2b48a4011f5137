#include "engine/optimize_job.h"

#include <cstdint>
#include <new>
#include <string>

#include "engine/charset.h"
#include "engine/cleanup_passes.h"
#include "engine/messages.h"
#include "engine/page_codec.h"
#include "engine/parser.h"
#include "engine/serializer.h"

namespace trimvale {

COptimizeJob::COptimizeJob() : root(MakeNode(nullptr)) {}

int COptimizeJob::Run(const CRunConfig& config, IOutputSink& sink, const std::atomic<bool>& cancelRequested) {
  sink.AppendMessage(msg::kParseFile);
  errorLevel_ = 0;

  // Pages saved as "Unicode" are UTF-16; the byte-oriented engine works on their UTF-8 form and
  // the result goes back into the same UTF-16 form, so every caller gets it right.
  const Utf16Form utf16 = DetectUtf16(text);
  std::string input;
  if (utf16 != Utf16Form::None) {
    if (!Utf16ToUtf8(text, utf16, input)) {
      sink.AppendText("HTML Fehler: Die Seite ist kein gültiges UTF-16.\r\n");
      errorLevel_ = 2;
      return 0;
    }
  } else {
    input = std::move(text);
  }
  // Whenever the run produces no result, the caller's text is handed back unchanged.
  auto giveBack = [&] {
    if (utf16 == Utf16Form::None) text = std::move(input);
  };

  CRunContext ctx(config, sink, cancelRequested);
  ctx.observer = treeTarget;
  ctx.sourceName = sourceName;
  if (utf16 != Utf16Form::None) {
    ctx.pageEncoding = PageEncoding::Utf8;  // the decoded page, whatever it declares
  } else {
    CPageCharset charset = DetectPageCharset(input);
    ctx.pageEncoding = charset.encoding;
    ctx.declaredCharset = std::move(charset.declaredName);
  }
  ctx.lineEnd = LineEndFor(config.layout.lineEnds, input);
  root->parent = nullptr;

  const bool parsedAny = ParseDocument(ctx, *root, input);
  errorLevel_ = ctx.errorLevel;
  // The tag stack is empty now; its room goes back before the passes.
  decltype(ctx.tagStack)().swap(ctx.tagStack);

  if (!parsedAny) {
    root->children.Clear();
    giveBack();
    return 0;
  }
  if (errorLevel_ > allowedLevel) {
    sink.AppendMessage(msg::kLevelTooHigh);
    root->children.Clear();
    giveBack();
    return 0;
  }

  RunCleanupPasses(ctx, *root);
  if (ctx.Cancelled()) {
    giveBack();
    return 1;
  }

  // Each top-level node is written and freed in turn, so the whole tree and the whole output
  // never have to exist side by side; the input is released first for the same reason. A run
  // cancelled while writing leaves a partial text, which callers never use after a cancel.
  // The output's room is taken once and generously: pages of it never written cost no memory,
  // while a string that outgrows its room holds its old and its new copy at once, up to three
  // times its size. Room that cannot be had is simply not taken.
  const std::size_t room = input.size() <= SIZE_MAX / 4 ? input.size() * 4 : input.size();
  std::string().swap(input);
  std::string output;
  try {
    output.reserve(room);
  } catch (const std::bad_alloc&) {
  }
  ctx.lineStart = 0;
  while (CHtmlNode* top = root->children.front()) {
    if (ctx.Cancelled()) break;
    const bool goOn = SerializeNode(ctx, *top, output, 0);
    root->children.Unlink(top);
    if (!goOn) break;
  }
  root->children.Clear();
  text = utf16 != Utf16Form::None ? Utf8ToUtf16(output, utf16) : std::move(output);
  return 1;
}

}  // namespace trimvale
