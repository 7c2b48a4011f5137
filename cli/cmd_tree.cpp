// `trimvale-cli tree`: parses a page and prints the parse tree the way the parse-tree window
// shows it, one line per node, two blanks of indentation per level below the top.

#include "cli/commands.h"
#include "cli/common.h"
#include "engine/charset.h"
#include "engine/html_node.h"
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
    CStderrSink sink(/*buffered=*/true);
    CEnvironment env;
    env.Load(common, COptimizeOverrides{}, sink);
    std::string page, error;
    if (!ReadInput(file, page, error)) {
      sink.AppendText("Fehler: Die Datei '" + (file.empty() ? std::string("-") : file) +
                      "' kann nicht gelesen werden: " + error + "\r\n");
      return kExitIoError;
    }
    // The parse sees what an optimization run would see: a UTF-16 page in its UTF-8 form.
    const Utf16Form utf16 = DetectUtf16(page);
    if (utf16 != Utf16Form::None) {
      std::string decoded;
      if (!Utf16ToUtf8(page, utf16, decoded)) {
        sink.AppendText("HTML Fehler: Die Seite ist kein gültiges UTF-16.\r\n");
        return kExitOk;
      }
      page = std::move(decoded);
    }
    InstallInterruptHandler();
    CRunContext ctx(env.Config(), sink, InterruptFlag());
    CTreePrinter printer;
    ctx.observer = &printer;
    CHtmlNode root;
    ParseDocument(ctx, root, page);
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
