// `trimvale-cli tree`: parses a page and prints the parse tree the way the parse-tree window
// shows it, one line per node, two blanks of indentation per level below the top.

#include "cli/commands.h"
#include "cli/common.h"
#include "engine/html_node.h"
#include "engine/page_codec.h"
#include "engine/parser.h"

namespace trimvale::cli {

namespace {

class CTreePrinter : public IParseObserver {
 public:
  void AddParsedNode(const CHtmlNode& node, int depth) override {
    std::string line(static_cast<std::size_t>(depth > 1 ? 2 * (depth - 1) : 0), ' ');
    AppendEscaped(line, node.name);
    AppendEscaped(line, node.text);
    line += '\n';
    out_ += line;
    if (out_.size() > (1u << 20)) Flush();
  }
  void Flush() {
    WriteStdout(out_);
    out_.clear();
  }

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
};

struct CTreeCommand {
  CCommonOptions common;
  std::string file;

  int Run() {
    CStderrSink sink(/*buffered=*/true);
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
    CTreePrinter printer;
    ctx.observer = &printer;
    CHtmlNode root;
    ParseDocument(ctx, root, decoded.utf8);
    printer.Flush();
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
