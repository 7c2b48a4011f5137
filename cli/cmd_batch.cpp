// `trimvale-cli files` and `trimvale-cli dir`: unattended runs over a list of pages or a
// directory tree, with the backup and filter settings of the store and per-run overrides.

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <mutex>
#include <utility>

#include "batch/batch_optimizer.h"
#include "batch/batch_paths.h"
#include "cli/commands.h"
#include "cli/common.h"
#include "rules/text_util.h"

namespace trimvale::cli {

namespace {

// Messages and the progress line share standard error. One lock keeps them apart: the line is
// taken away before a message is written and drawn again once the message has ended its line.
class CConsole : public IOutputSink {
 public:
  explicit CConsole(bool drawProgress) : drawProgress_(drawProgress) {}

  void AppendText(std::string_view text) override {
    if (text.empty()) return;
    std::lock_guard lock(mutex_);
    ClearLine();
    out_.AppendText(text);
    atLineStart_ = text.back() == '\n';
    if (atLineStart_) DrawLine();
  }
  void Clear() override {}

  void ShowProgress(const CBatchProgress& progress) {
    std::lock_guard lock(mutex_);
    if (!drawProgress_ || ended_) return;
    progress_ = progress;
    hasProgress_ = true;
    if (atLineStart_) DrawLine();
  }

  // Takes the line away for good: what follows (the summary) stands alone.
  void EndProgress() {
    std::lock_guard lock(mutex_);
    ClearLine();
    ended_ = true;
  }

 private:
  void ClearLine() {
    if (!lineShown_) return;
    WriteStderr("\r\x1b[K");
    lineShown_ = false;
  }

  void DrawLine() {
    if (!drawProgress_ || ended_ || !hasProgress_) return;
    std::string line =
        std::to_string(progress_.filesDone) + " von " + std::to_string(progress_.filesFound) + " Dateien fertig: ";
    // A line longer than the terminal would wrap, and the clearing would then take away only its
    // last row; the file name gives way from the left.
    winsize size{};
    const std::size_t columns =
        ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : std::size_t{80};
    const std::string printable = PrintablePath(progress_.currentFile);
    std::string_view file = printable;
    const std::size_t room = columns > line.size() + 4 ? columns - line.size() - 1 : 0;
    if (file.size() > room) {
      file.remove_prefix(file.size() - (room > 3 ? room - 3 : 0));
      while (!file.empty() && (static_cast<unsigned char>(file.front()) & 0xC0) == 0x80) file.remove_prefix(1);
      line += "...";
    }
    line.append(file);
    WriteStderr("\r\x1b[K" + line);
    lineShown_ = true;
  }

  std::mutex mutex_;
  CStderrSink out_;
  const bool drawProgress_;
  bool lineShown_ = false;   // the progress line stands on the terminal now
  bool atLineStart_ = true;  // the last message ended its line, so the progress line may follow
  bool ended_ = false;
  bool hasProgress_ = false;
  CBatchProgress progress_;  // what the line shows, kept to draw it again after a message
};

// A filter string as the settings page keeps it: lower-cased, each token ended by ";" (the page
// appends a missing final one when the field is left).
std::string FilterString(std::string text) {
  if (!text.empty() && text.back() != ';') text += ';';
  return ToLowerAscii(text);
}

// One flag per batch setting; each one given replaces the stored value for this run only.
struct CBatchFlags {
  std::optional<int> createBackup, backupMode, keepFolders, keepWeb, existingBackup, allowedLevel;
  std::optional<std::string> backupEnding, folder, webRoot;
  // Directory filters.
  std::optional<int> byDate, byCreated, byChanged, days, skipDirStrings, skipListedDirs, useFileStrings, anyString,
      onlyMatching;
  std::optional<std::string> dirStrings, fileStrings;

  void ApplyTo(BatchSettings& s) const {
    if (createBackup) s.createBackup = *createBackup != 0;
    if (backupMode) s.backupMode = static_cast<BackupMode>(*backupMode);
    if (backupEnding) s.backupEnding = *backupEnding;
    if (folder) s.folder = *folder;
    if (keepFolders) s.keepFolderStructure = *keepFolders != 0;
    if (keepWeb) s.keepWebStructure = *keepWeb != 0;
    if (webRoot) s.webRoot = *webRoot;
    if (existingBackup) s.existingBackupPolicy = static_cast<ExistingBackupPolicy>(*existingBackup);
    if (allowedLevel) s.allowedLevel = static_cast<std::int8_t>(*allowedLevel);
    // The folders are compared with the pages' absolute paths ("is this file below the backup
    // folder?", "is it inside the web?"), so a relative spelling is made absolute like the pages.
    if (!s.folder.empty()) s.folder = AbsolutePath(s.folder);
    if (!s.webRoot.empty()) s.webRoot = AbsolutePath(s.webRoot);
  }

  void ApplyTo(DirectoryFilters& f) const {
    if (byDate) f.byDate = *byDate != 0;
    if (byCreated) f.byCreated = *byCreated != 0;
    if (byChanged) f.byChanged = *byChanged != 0;
    if (days) f.days = *days;
    if (skipDirStrings) f.skipDirStrings = *skipDirStrings != 0;
    if (dirStrings) f.dirStrings = FilterString(*dirStrings);
    if (skipListedDirs) f.skipListedDirs = *skipListedDirs != 0;
    if (useFileStrings) f.useFileStrings = *useFileStrings != 0;
    if (fileStrings) f.fileStrings = FilterString(*fileStrings);
    if (anyString) f.anyString = *anyString != 0;
    if (onlyMatching) f.onlyMatching = *onlyMatching != 0;
  }
};

struct CBatchCommand {
  bool isDirectoryRun = false;
  CCommonOptions common;
  COptimizeOverrides overrides;
  CBatchFlags flags;
  int jobs = 1;
  std::vector<std::string> files;  // files: the pages
  std::string directory;           // dir: the start directory
  bool subfoldersOn = false;       // --subfolders
  bool subfoldersOff = false;      // --no-subfolders
  std::optional<std::string> extensions;

  int Run() {
    overrides.Check();
    // Ctrl+C is taken by this thread alone, synchronously, while it waits for the run
    // (CInterruptWatch); the mask must be in place before the batch starts its threads, which inherit it.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);

    CConsole console(::isatty(STDERR_FILENO) == 1);
    CEnvironment env;
    env.Load(common, overrides, console);
    const CRunConfig& config = env.Config();
    ISettingsStore& store = env.Store();
    BatchSettings settings = ReadBatchSettings(store);
    flags.ApplyTo(settings);

    CDirectoryRun run;
    std::vector<std::string> paths;
    if (isDirectoryRun) {
      run.directory = AbsolutePath(directory);
      if (!IsDirectory(run.directory)) {
        throw CUsageError{"Bitte wählen Sie ein gültiges Verzeichnis: " + PrintablePath(run.directory)};
      }
      CDirectoryChoice choice = ReadDirectoryChoice(store);
      choice.directory = run.directory;
      if (subfoldersOn) choice.includeSubfolders = true;
      if (subfoldersOff) choice.includeSubfolders = false;
      if (extensions) choice.extensions = NormalizeExtensions(*extensions);
      // As the directory chooser does: the next run starts from what this one chose.
      WriteDirectoryChoice(store, choice);
      run.includeSubfolders = choice.includeSubfolders;
      run.extensions = choice.extensions;
    } else {
      // Each file once, also when named twice through a link or another spelling.
      for (const std::string& name : files) paths.push_back(AbsolutePath(name));
      paths = UniqueFilePaths(paths);
    }

    if (auto why = ValidateBatchSettings(settings)) {
      WriteStderr(*why + "\n");
      return kExitUsage;
    }
    if (isDirectoryRun) {
      DirectoryFilters filters;
      LoadDirectoryFilters(store, env.ProgramFolder(), filters);
      flags.ApplyTo(filters);
      run.filters = std::move(filters);
      run.settings = settings;
    }

    CBatchCallbacks callbacks;
    if (::isatty(STDERR_FILENO) == 1) {
      callbacks.progress = [&console](const CBatchProgress& progress) { console.ShowProgress(progress); };
    }
    if (common.positions) {
      // The prefix goes on inside the job, before a parallel file's messages are held back.
      callbacks.runJob = [](COptimizeJob& job, const CRunConfig& runConfig, IOutputSink& sink,
                            const std::atomic<bool>& cancel) {
        CPositionSink positionSink(sink);
        return RunOptimizeJob(job, runConfig, positionSink, cancel);
      };
    }
    CBatchOptimizer batch(store, config, console, env.ProgramFolder(), jobs, callbacks);
    CInterruptWatch watch(batch, interrupt);
    watch.Poll(0);  // a Ctrl+C during the preparation cancels the run before its first file
    const RunStart start =
        isDirectoryRun ? batch.RunDirectory(std::move(run)) : batch.RunFileList(std::move(paths), std::move(settings));
    if (start == RunStart::InvalidSettings) return kExitUsage;  // the reason has been printed
    if (start != RunStart::Started) {
      WriteStderr("Fehler: Der Optimierungsvorgang konnte nicht gestartet werden.\n");
      return kExitIoError;
    }
    while (batch.Busy()) watch.Poll(50'000'000);
    batch.WaitUntilIdle();
    console.EndProgress();
    batch.PrintSummary();
    if (batch.LastRunCancelled()) return kExitCancelled;
    if (batch.FailedCount() > 0) return kExitIoError;
    return batch.WithheldCount() > 0 ? kExitWithheld : kExitOk;
  }

  // Waits for Ctrl+C on the calling thread, which has it blocked. On the first one the run is
  // cancelled: "Breche ab..." appears at once, then the batch lets the file in hand go.
  class CInterruptWatch {
   public:
    CInterruptWatch(CBatchOptimizer& batch, const sigset_t& set) : batch_(batch), set_(set) {}
    void Poll(long nanoseconds) {
      const timespec timeout{0, nanoseconds};
      if (::sigtimedwait(&set_, nullptr, &timeout) == SIGINT && !cancelling_) {
        cancelling_ = true;
        batch_.Cancel();
      }
    }

   private:
    CBatchOptimizer& batch_;
    const sigset_t set_;
    bool cancelling_ = false;
  };
};

void AddBatchOptions(CLI::App& sub, CBatchCommand& command) {
  CBatchFlags& f = command.flags;
  AddCommonOptions(sub, command.common);
  AddOptimizeOptions(sub, command.overrides);
  sub.add_option("-j,--jobs", command.jobs, "Anzahl Dateien, die gleichzeitig optimiert werden (Standard 1)")
      ->check(CLI::Range(1, 256));
  sub.add_option("--backup", f.createBackup, "Sicherungskopie erstellen (0/1)")->check(CLI::Range(0, 1));
  sub.add_option("--backup-mode", f.backupMode,
                 "0 Kopie neben dem Original; 1 Original in den Ordner, optimierte Datei am Ursprungsort; "
                 "2 Original behalten, optimierte Datei in den Ordner")
      ->check(CLI::Range(0, 2));
  sub.add_option("--backup-ending", f.backupEnding, "Dateiendung der Sicherungskopie (Modus 0)");
  sub.add_option("--folder", f.folder, "Ordner für Sicherungskopien bzw. optimierte Dateien (Modus 1 und 2)");
  sub.add_option("--keep-folders", f.keepFolders, "Ordnerstruktur im Ordner beibehalten (0/1, nur für Verzeichnisse)")
      ->check(CLI::Range(0, 1));
  sub.add_option("--keep-web", f.keepWeb, "Webstruktur im Ordner beibehalten (0/1)")->check(CLI::Range(0, 1));
  sub.add_option("--web-root", f.webRoot, "Stammordner des Webs");
  sub.add_option("--existing-backup", f.existingBackup,
                 "wenn die Sicherungskopie bereits besteht: 0 überschreiben wenn älter, 1 immer überschreiben, "
                 "2 neue unter neuem Namen erstellen, 3 keine neue erstellen")
      ->check(CLI::Range(0, 3));
  sub.add_option("--allowed-level", f.allowedLevel,
                 "höchster Fehlergrad, bei dem eine Datei noch optimiert wird (0-2, Standard \"Fehlerbehandlung\", "
                 "sonst 1)")
      ->check(CLI::Range(0, 2));
}

void AddFilterOptions(CLI::App& sub, CBatchCommand& command) {
  CBatchFlags& f = command.flags;
  const auto bit = CLI::Range(0, 1);
  sub.add_option("--by-date", f.byDate,
                 "nur Dateien optimieren, die in den letzten --days Tagen geändert oder "
                 "erstellt wurden (0/1)")
      ->check(bit);
  sub.add_option("--created", f.byCreated, "Datumsfilter nach dem Erstellungsdatum (0/1)")->check(bit);
  sub.add_option("--changed", f.byChanged, "Datumsfilter nach dem Änderungsdatum (0/1)")->check(bit);
  sub.add_option("--days", f.days, "Anzahl Tage des Datumsfilters");
  sub.add_option("--skip-dir-strings", f.skipDirStrings,
                 "Verzeichnisse, deren Pfad einen der Strings enthält, nicht optimieren (0/1)")
      ->check(bit);
  sub.add_option("--dir-strings", f.dirStrings, "Strings für Verzeichnisse (mit ; trennen)");
  sub.add_option("--skip-listed-dirs", f.skipListedDirs,
                 "Verzeichnisse der Liste lst.dat und ihre Unterverzeichnisse nicht optimieren (0/1)")
      ->check(bit);
  sub.add_option("--file-strings-filter", f.useFileStrings, "Dateien nach Zeichenfolgen im Namen auswählen (0/1)")
      ->check(bit);
  sub.add_option("--file-strings", f.fileStrings, "Zeichenfolgen für Dateinamen (mit ; trennen)");
  sub.add_option("--any-string", f.anyString, "1: eine Zeichenfolge genügt (ODER); 0: alle müssen enthalten sein (UND)")
      ->check(bit);
  sub.add_option("--only-matching", f.onlyMatching,
                 "1: nur passende Dateien optimieren; 0: passende Dateien nicht optimieren")
      ->check(bit);
}

}  // namespace

CommandRunner RegisterFiles(CLI::App& app) {
  auto command = std::make_shared<CBatchCommand>();
  CLI::App* sub = app.add_subcommand("files", "mehrere Dateien optimieren, mit Sicherungskopie oder Ausgabeordner");
  AddBatchOptions(*sub, *command);
  sub->add_option("FILE", command->files, "zu optimierende HTML-Dateien")->required();
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

CommandRunner RegisterDir(CLI::App& app) {
  auto command = std::make_shared<CBatchCommand>();
  command->isDirectoryRun = true;
  CLI::App* sub = app.add_subcommand("dir", "alle passenden Dateien eines Verzeichnisses optimieren");
  AddBatchOptions(*sub, *command);
  CLI::Option* on =
      sub->add_flag("--subfolders", command->subfoldersOn, "Unterordner mit optimieren (Standard: zuletzt gewählt)");
  CLI::Option* off = sub->add_flag("--no-subfolders", command->subfoldersOff, "Unterordner nicht optimieren");
  on->excludes(off);
  sub->add_option("--extensions", command->extensions,
                  "Dateiendungen, mit ; oder , getrennt, mit oder ohne Punkt (Standard: zuletzt gewählt, sonst "
                  ".htm;.html;)");
  AddFilterOptions(*sub, *command);
  sub->add_option("DIR", command->directory, "zu optimierendes Verzeichnis")->required();
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

}  // namespace trimvale::cli
