// `trimvale-cli optimize`: optimizes a whole page like the editor's optimize command.

#include "cli/commands.h"
#include "cli/common.h"
#include "engine/optimize_job.h"
#include "rules/file_io.h"

namespace trimvale::cli {

namespace {

struct COptimizeCommand {
  CCommonOptions common;
  std::string file;
  std::string outputPath;
  bool inPlace = false;
  COptimizeOverrides overrides;
  int allowedLevel = 2;

  int Run() {
    if (inPlace && (file.empty() || file == "-")) throw CUsageError{"--in-place braucht eine Datei"};
    if (inPlace && !outputPath.empty()) throw CUsageError{"--in-place und -o schließen einander aus"};
    overrides.Check();

    CStderrSink sink(/*buffered=*/true);
    CEnvironment env;
    env.Load(common, overrides, sink);
    const CRunConfig& config = env.Config();

    const std::string inputName = file.empty() ? std::string("-") : file;
    COptimizeJob job;
    std::string error;
    if (!ReadInput(file, job.text, error)) {
      sink.AppendText("Fehler: Die Datei '" + inputName + "' kann nicht gelesen werden: " + error + "\r\n");
      return kExitIoError;
    }
    job.allowedLevel = static_cast<std::int8_t>(allowedLevel);
    InstallInterruptHandler();
    const int result = job.Run(config, sink, InterruptFlag());
    if (InterruptFlag().load()) return kExitCancelled;
    if (result == 0) return kExitWithheld;

    if (outputPath.empty() && !inPlace) {
      WriteStdout(job.text);
      return kExitOk;
    }
    const std::string target = inPlace ? file : outputPath;
    if (!WriteFileAtomically(target, job.text, &error)) {
      sink.AppendText("Fehler: Die Datei '" + target + "' kann nicht geschrieben werden: " + error + "\r\n");
      return kExitIoError;
    }
    return kExitOk;
  }
};

}  // namespace

CommandRunner RegisterOptimize(CLI::App& app) {
  auto command = std::make_shared<COptimizeCommand>();
  CLI::App* sub = app.add_subcommand("optimize", "Seite optimieren und das Ergebnis ausgeben");
  AddCommonOptions(*sub, command->common);
  sub->add_option("FILE", command->file, "HTML-Datei, - oder nichts für die Standardeingabe");
  sub->add_option("-o,--output", command->outputPath, "Ergebnis in diese Datei schreiben");
  sub->add_flag("--in-place", command->inPlace, "Ergebnis in FILE zurückschreiben");
  AddOptimizeOptions(*sub, command->overrides);
  sub->add_option("--allowed-level", command->allowedLevel, "höchster erlaubter Fehlergrad (0-2)")
      ->check(CLI::Range(0, 2));
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

}  // namespace trimvale::cli
