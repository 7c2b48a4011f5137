#include "cli/common.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <vector>

#include "rules/file_io.h"
#include "rules/file_settings_store.h"
#include "rules/program_folder.h"
#include "rules/rule_texts.h"
#include "rules/settings_table.h"

namespace trimvale::cli {

void CStderrSink::Flush() {
  if (pending_.empty()) return;
  WriteStderr(pending_);
  pending_.clear();
}

void CStderrSink::AppendText(std::string_view text) {
  constexpr std::size_t kFlushSize = 16 * 1024;
  std::string& out = pending_;
  std::size_t i = 0;
  if (pendingCr_) {
    pendingCr_ = false;
    if (!text.empty() && text[0] == '\n') {
      out += '\n';
      i = 1;
    } else {
      out += '\r';
    }
  }
  for (; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 == text.size()) {
        pendingCr_ = true;
        break;
      }
      if (text[i + 1] == '\n') continue;  // the LF that follows is written alone
    }
    out += text[i];
  }
  if (!buffered_ || out.size() >= kFlushSize) Flush();
}

void AddStoreOptions(CLI::App& command, CCommonOptions& options) {
  command.add_option("--rules-dir", options.rulesDir, "Programmordner mit tageinst.txt und profile.txt");
  command.add_option("--settings", options.settingsPath,
                     "Einstellungsdatei (sonst TRIMVALE_SETTINGS oder die Benutzerdatei)");
}

void AddCommonOptions(CLI::App& command, CCommonOptions& options) {
  AddStoreOptions(command, options);
  command
      .add_option("--layout-mode", options.layoutMode, "Code-Layout: 0 Standard, 1 eine Zeile, 2 nach Baum, 3 Profil")
      ->check(CLI::Range(0, 3));
  command.add_option("--layout-profile", options.layoutProfile, "Layoutprofil aus tageinst.txt statt \"standard\"");
  command.add_option("--profile", options.profile, "Optimierungsprofil aus profile.txt");
  command.add_flag("--positions", options.positions, "jeder Meldung DATEI:ZEILE:SPALTE: voranstellen");
}

void CPositionSink::AppendText(std::string_view text) {
  if (text.empty()) return;
  next_.AppendText(text);
  atLineStart_ = text.back() == '\n';
}

void CPositionSink::AppendReport(std::string_view text, const CMessageInfo& info) {
  std::string line = atLineStart_ ? std::string() : std::string("\r\n");
  line.append(info.file.empty() ? std::string_view("-") : info.file);
  line.append(":").append(std::to_string(info.line)).append(":").append(std::to_string(info.column)).append(": ");
  line.append(text);
  AppendText(line);
}

void CEnvironment::LoadStore(const CCommonOptions& options) {
  settingsPath_ = DefaultSettingsPath(options.settingsPath);
  auto store = std::make_unique<CFileSettingsStore>(settingsPath_);
  if (!store->LoadError().empty()) WriteStderr(file_text::SettingsUnreadable(settingsPath_, store->LoadError()) + "\n");
  store_ = std::move(store);
}

void CEnvironment::Load(const CCommonOptions& options, const COptimizeOverrides& overrides, IOutputSink& sink) {
  LoadStore(options);
  programFolder_ = ResolveProgramFolder(options.rulesDir, ExecutablePath());
  CRunOverrides run;
  run.layoutMode = options.layoutMode;
  run.layoutProfile = options.layoutProfile;
  run.profile = options.profile;
  overrides.ApplyTo(run);
  CRunSetup setup = LoadRunSetup(*store_, programFolder_, run);
  for (const std::string& warning : setup.warnings) sink.AppendText(warning);
  if (setup.refusal != RunSetupRefusal::None) throw CUsageError{setup.refusalText};
  config_ = std::move(setup.config);
}

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

LineEnds ParseLineEnds(const std::string& text) {
  if (text == "crlf") return LineEnds::CrLf;
  if (text == "lf") return LineEnds::Lf;
  if (text == "keep") return LineEnds::AsPage;
  throw CUsageError{"--line-ends erwartet crlf, lf oder keep: " + text};
}

}  // namespace

void COptimizeOverrides::Check() const {
  if (width && (*width < 20 || *width > 2048)) {
    throw CUsageError{"--width muss zwischen 20 und 2048 liegen: " + std::to_string(*width)};
  }
  if (indent) ParseIndent(*indent);
  if (lineEnds) ParseLineEnds(*lineEnds);
  if (optionsVector) ParseOptionsVector(*optionsVector);
}

void COptimizeOverrides::ApplyTo(CRunOverrides& overrides) const {
  Check();
  if (optionsVector) overrides.optionsVector = ParseOptionsVector(*optionsVector);
  overrides.deleteComments = deleteComments;
  if (wrap) overrides.wrap = *wrap != 0;
  if (width) overrides.width = *width;
  if (indent) overrides.indentUnit = ParseIndent(*indent);
  if (lineEnds) overrides.lineEnds = ParseLineEnds(*lineEnds);
  if (keepLook) overrides.keepLook = true;
}

void AddOptimizeOptions(CLI::App& command, COptimizeOverrides& overrides) {
  command.add_option("--options", overrides.optionsVector,
                     "Optimierungsschalter als Zahl (Standard: \"Optimieren BoolVektor\", sonst 1040)");
  command.add_flag("--delete-comments", overrides.deleteComments, "Kommentare löschen");
  command.add_option("--wrap", overrides.wrap, "Zeilen umbrechen (0/1)")->check(CLI::Range(0, 1));
  command.add_option("--width", overrides.width, "Zeilenbreite, 20 bis 2048");
  command.add_option("--indent", overrides.indent, "Einschub: tabs, none oder Anzahl Leerzeichen (0-15)");
  command.add_option("--line-ends", overrides.lineEnds,
                     "Zeilenende: crlf, lf oder keep (wie die Seite; Standard: \"Zeilenende\", sonst crlf)");
  command.add_flag("--keep-look", overrides.keepLook,
                   "Darstellung bewahren (lang und Smart Tags bleiben, Formatierung wird wie im Browser verschachtelt)");
}

std::string AbsolutePath(const std::string& path) {
  std::string full;
  if (!path.empty() && path.front() == '/') {
    full = path;
  } else {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE || buffer.size() > (1u << 20)) {
        throw CUsageError{"Das aktuelle Verzeichnis kann nicht bestimmt werden: " + SystemErrorText(errno)};
      }
      buffer.resize(buffer.size() * 2);
    }
    full = std::string(buffer.data()) + "/" + path;
  }
  // Lexical only: a link is never asked where it leads, so ".." after a link named in the path
  // goes back to the link's own folder, as the user wrote it.
  std::vector<std::string_view> parts;
  const std::string_view view(full);
  std::size_t start = 0;
  while (start <= view.size()) {
    std::size_t end = view.find('/', start);
    if (end == std::string_view::npos) end = view.size();
    const std::string_view part = view.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();  // ".." of the root is the root
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string_view part : parts) out.append("/").append(part);
  return out.empty() ? "/" : out;
}

bool ReadInput(const std::string& file, std::string& out, std::string& error) {
  if (!file.empty() && file != "-") return ReadWholeFile(file, out, &error);
  out.clear();
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = SystemErrorText(errno);
      return false;
    }
    if (n == 0) return true;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

std::atomic<bool>& InterruptFlag() {
  static std::atomic<bool> flag{false};
  return flag;
}

namespace {
extern "C" void OnInterrupt(int) { InterruptFlag().store(true); }
}  // namespace

void InstallInterruptHandler() {
  // The flag is made before the handler can run: a handler must not be the first to touch a
  // function-local static, whose initialisation may take a lock.
  static_cast<void>(InterruptFlag());
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

namespace {
// 0 when every byte was written, else the errno of the failed write.
int WriteAllTo(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}
}  // namespace

bool WriteStdout(std::string_view bytes, std::string* error) {
  const int code = WriteAllTo(STDOUT_FILENO, bytes);
  if (code != 0 && error) *error = SystemErrorText(code);
  return code == 0;
}

bool CloseStdout(std::string* error) {
  if (::close(STDOUT_FILENO) == 0 || errno == EINTR) return true;
  if (error) *error = SystemErrorText(errno);
  return false;
}

std::string StdoutFailed(std::string_view reason) {
  return "Fehler: Die Standardausgabe kann nicht geschrieben werden: " + std::string(reason);
}

void WriteStderr(std::string_view text) { static_cast<void>(WriteAllTo(STDERR_FILENO, text)); }

}  // namespace trimvale::cli
