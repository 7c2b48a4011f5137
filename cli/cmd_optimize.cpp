// `trimvale-cli optimize`: optimizes a whole page like the editor's optimize command.

#include "cli/commands.h"
#include "cli/common.h"
#include "engine/optimize_job.h"
#include "rules/file_io.h"

namespace trimvale::cli {

namespace {

// "1040", "0x410": the sixteen persisted switches as one number.
std::uint32_t ParseOptionsVector(const std::string& text) {
  try {
    std::size_t used = 0;
    const unsigned long long value = std::stoull(text, &used, 0);
    if (used != text.size() || value > 0xFFFFFFFFull) throw std::invalid_argument(text);
    return static_cast<std::uint32_t>(value);
  } catch (const std::exception&) {
    throw CUsageError{"--options erwartet eine Zahl (dezimal oder 0x hexadezimal): " + text};
  }
}

// "tabs", "none" or a number of blanks from 0 to 15.
std::string ParseIndent(const std::string& text) {
  if (text == "tabs") return MakeIndentUnit(0, 0);
  if (text == "none") return MakeIndentUnit(2, 0);
  if (!text.empty() && text.size() <= 2 && std::all_of(text.begin(), text.end(), ::isdigit)) {
    const int spaces = std::stoi(text);
    if (spaces <= 15) return MakeIndentUnit(1, spaces);
  }
  throw CUsageError{"--indent erwartet tabs, none oder eine Anzahl Leerzeichen von 0 bis 15: " + text};
}

struct COptimizeCommand {
  CCommonOptions common;
  std::string file;
  std::string outputPath;
  bool inPlace = false;
  std::optional<std::string> optionsVector;
  bool deleteComments = false;
  std::optional<int> wrap;
  std::optional<int> width;
  std::optional<std::string> indent;
  int allowedLevel = 2;

  int Run() {
    if (inPlace && (file.empty() || file == "-")) throw CUsageError{"--in-place braucht eine Datei"};
    if (inPlace && !outputPath.empty()) throw CUsageError{"--in-place und -o schließen einander aus"};
    if (width && (*width < 20 || *width > 2048)) {
      throw CUsageError{"--width muss zwischen 20 und 2048 liegen: " + std::to_string(*width)};
    }
    std::string indentUnit;
    if (indent) indentUnit = ParseIndent(*indent);
    std::optional<std::uint32_t> vector;
    if (optionsVector) vector = ParseOptionsVector(*optionsVector);

    CStderrSink sink;
    CEnvironment env;
    env.Load(common, sink);
    CRunConfig config = env.MakeRunConfig();
    if (vector) {
      const bool useProfile = config.options.useProfile;
      config.options = OptimizeOptions::FromVector(*vector);
      config.options.useProfile = useProfile;
    }
    config.options.deleteComments = deleteComments;
    if (wrap) config.layout.wrap = *wrap != 0;
    if (width) config.layout.width = *width;
    if (indent) config.layout.indentUnit = indentUnit;

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
  sub->add_option("--options", command->optionsVector,
                  "Optimierungsschalter als Zahl (Standard: \"Optimieren BoolVektor\", sonst 1040)");
  sub->add_flag("--delete-comments", command->deleteComments, "Kommentare löschen");
  sub->add_option("--wrap", command->wrap, "Zeilen umbrechen (0/1)")->check(CLI::Range(0, 1));
  sub->add_option("--width", command->width, "Zeilenbreite, 20 bis 2048");
  sub->add_option("--indent", command->indent, "Einschub: tabs, none oder Anzahl Leerzeichen (0-15)");
  sub->add_option("--allowed-level", command->allowedLevel, "höchster erlaubter Fehlergrad (0-2)")
      ->check(CLI::Range(0, 2));
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

}  // namespace trimvale::cli
