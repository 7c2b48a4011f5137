// `trimvale-cli tree`: parses a page and prints the parse tree the way the parse-tree window
// shows it, one line per node, two blanks of indentation per level below the top (at most 64
// levels; a deeper node's line starts with its depth in brackets).

#include <algorithm>
#include <string>

#include "cli/commands.h"
#include "cli/common.h"
#include "engine/html_node.h"
#include "engine/page_codec.h"
#include "engine/parser.h"
#include "engine/serializer.h"

namespace trimvale::cli {

namespace {

class CTreePrinter : public IParseObserver {
 public:
  void AddParsedNode(const CHtmlNode& node, int depth) override {
    // Indentation stops at the serializer's deepest level, so a page nested a million deep
    // prints a line per node, not a square of them; below that, the depth is written out.
    const int levels = depth > 1 ? depth - 1 : 0;
    std::string line(static_cast<std::size_t>(2 * std::min(levels, kMaxIndentLevel)), ' ');
    if (levels > kMaxIndentLevel) line += '[' + std::to_string(depth) + "] ";
    AppendEscaped(line, node.name);
    AppendEscaped(line, node.text);
    line += '\n';
    out_ += line;
    if (out_.size() > (1u << 20)) Flush();
  }
  // Once a write has failed, the rest of the tree is not written; Failed tells why.
  void Flush() {
    if (error_.empty()) WriteStdout(out_, &error_);
    out_.clear();
  }
  bool Finish() {
    Flush();
    if (error_.empty()) CloseStdout(&error_);
    return error_.empty();
  }
  const std::string& Failed() const { return error_; }

 private:
  static void AppendEscaped(std::string& line, std::string_view text) {
    for (char c : text) {
      if (c == '\r') {
        line += "\\r";
      } else if (c == '\n') {
        line += "\\n";
      } else {
        line += c;
      }
    }
  }
  std::string out_;
  std::string error_;  // the reason standard output failed; empty while it works
};

struct CTreeCommand {
  CCommonOptions common;
  std::string file;

  int Run() {
    CStderrSink stderrSink(/*buffered=*/true);
    CPositionSink positionSink(stderrSink);
    IOutputSink& sink = common.positions ? static_cast<IOutputSink&>(positionSink) : stderrSink;
    CEnvironment env;
    env.Load(common, COptimizeOverrides{}, sink);
    std::string page, error;
    if (!ReadInput(file, page, error)) {
      sink.AppendText("Fehler: Die Datei '" + (file.empty() ? std::string("-") : file) +
                      "' kann nicht gelesen werden: " + error + "\r\n");
      return kExitIoError;
    }
    // The tree shows the page's text as an editor shows it: decoded, without a byte-order mark.
    // A UTF-16 page with broken surrogates is refused, as an optimization run refuses it.
    CDecodedPage decoded = DecodePage(page);
    std::string().swap(page);
    const bool utf16 =
        decoded.encoding.kind == CPageEncoding::Utf16LE || decoded.encoding.kind == CPageEncoding::Utf16BE;
    if (utf16 && !decoded.lossless) {
      sink.AppendText("HTML Fehler: Die Seite ist kein gültiges UTF-16.\r\n");
      return kExitOk;
    }
    InstallInterruptHandler();
    CRunContext ctx(env.Config(), sink, InterruptFlag());
    ctx.pageEncoding = PageEncoding::Utf8;
    ctx.declaredCharset = decoded.encoding.charset;
    const std::string sourceName = file.empty() ? std::string("-") : file;
    ctx.sourceName = sourceName;
    CTreePrinter printer;
    ctx.observer = &printer;
    // A root of its own store, so that the page's nodes are cut from its blocks.
    const std::unique_ptr<CHtmlNode> root = MakeNode(nullptr);
    ParseDocument(ctx, *root, decoded.utf8);
    if (!printer.Finish()) {
      sink.AppendText(StdoutFailed(printer.Failed()) + "\r\n");
      return kExitIoError;
    }
    return InterruptFlag().load() ? kExitCancelled : kExitOk;
  }
};

}  // namespace

CommandRunner RegisterTree(CLI::App& app) {
  auto command = std::make_shared<CTreeCommand>();
  CLI::App* sub = app.add_subcommand("tree", "Seite parsen und den Parse-Baum ausgeben");
  AddCommonOptions(*sub, command->common);
  sub->add_option("FILE", command->file, "HTML-Datei, - oder nichts für die Standardeingabe");
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

}  // namespace trimvale::cli
