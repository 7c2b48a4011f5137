#include "batch/batch_optimizer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/exclusion_list.h"
#include "rules/settings_table.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kCancelledNote = "Vorgang vom Benutzer abgebrochen.\r\n";
const std::string kNotInWeb =
    "Das zu optimierende Verzeichnis liegt nicht im aktuellen Web. Die Option 'Webstruktur beibehalten' wird "
    "ignoriert.\r\n";

std::string Summary(int n) {
  return "Optimieren beendet. Anzahl optimierter Dateien: " + std::to_string(n) + "\r\n\r\n";
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++n;
  return n;
}

// Waits (bounded) until `flag` is set; a simulated job that runs until it is cancelled.
void WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 2000 && !flag.load(); ++i) std::this_thread::sleep_for(5ms);
}

CDirectoryRun DirRun(std::string directory, bool subfolders = false, std::optional<BatchSettings> settings = {}) {
  CDirectoryRun run;
  run.directory = std::move(directory);
  run.includeSubfolders = subfolders;
  run.settings = std::move(settings);
  return run;
}

// A batch over a temporary folder whose optimization is simulated: the result is "OPT[" + input + "]".
class BatchOptimizerTest : public ::testing::Test {
 protected:
  BatchOptimizerTest() {
    callbacks.runJob = [this](COptimizeJob& job, const CRunConfig&, IOutputSink&, const std::atomic<bool>& flag) {
      if (onRun) onRun(job.text, flag);
      job.text = "OPT[" + job.text + "]";
      return CJobRunResult{1, 0};
    };
    callbacks.completed = [this](const CBatchRunResult& r) {
      std::lock_guard lock(mutex);
      results.push_back(r);
    };
    store.WriteString(setting::kGeneral, "Sikop Endung", ".bak");
  }
  std::unique_ptr<CBatchOptimizer> Make(int jobs = 1) {
    return std::make_unique<CBatchOptimizer>(store, config, sink, programFolder.path().string(), jobs, callbacks);
  }
  std::string P(const std::string& rel) const { return (dir / rel).string(); }
  void Make(const std::string& rel, const std::string& bytes) {
    fs::create_directories((dir / rel).parent_path());
    test::WriteFile(dir / rel, bytes);
  }
  std::string Read(const std::string& rel) const { return test::ReadFile(dir / rel); }
  void NoLstDatMessage() { ASSERT_TRUE(WriteExclusionList((programFolder / "lst.dat").string(), {})); }
  // Runs and waits for the end; with `summary` the summary follows.
  void Finish(CBatchOptimizer& batch, RunStart start, bool summary = true) {
    ASSERT_EQ(start, RunStart::Started);
    batch.WaitUntilIdle();
    if (summary) batch.PrintSummary();
  }

  test::CTempDir dir;
  test::CTempDir programFolder;
  CMemorySettingsStore store;
  CRunConfig config;
  CStringSink sink;
  CBatchCallbacks callbacks;
  std::function<void(const std::string& text, const std::atomic<bool>& flag)> onRun;
  std::mutex mutex;
  std::vector<CBatchRunResult> results;
};

TEST_F(BatchOptimizerTest, TwoFileListRunsCountFromZeroEachTime) {
  for (const char* f : {"a.htm", "b.htm", "c.htm"}) Make(f, "x");
  auto batch = Make();
  for (int run = 0; run < 2; ++run) {
    sink.Clear();
    Finish(*batch, batch->RunFileList({P("a.htm"), P("b.htm"), P("c.htm")}));
    EXPECT_EQ(Count(sink.Text(), "Optimiere: "), 3);
    EXPECT_TRUE(sink.Text().ends_with("Byte\r\n\r\n" + Summary(3))) << sink.Text();
    EXPECT_FALSE(batch->LastRunCancelled());
  }
  EXPECT_EQ(Read("a.htm"), "OPT[OPT[x]]");
  // The first run's copy stays: a copy is replaced only when it is at least 10 s older.
  EXPECT_EQ(Read("a.htm.bak"), "x");
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1].command, BatchCommand::RunFileList);
  EXPECT_EQ(results[1].optimizedCount, 3);
}

TEST_F(BatchOptimizerTest, SummaryEmptiesTheStartDirectoryForTheNextFileListRun) {
  NoLstDatMessage();
  Make("web/de/a.htm", "a");
  fs::create_directory(dir / "aus");
  BatchSettings settings = ReadBatchSettings(store);
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = P("aus");
  auto batch = Make();
  Finish(*batch, batch->RunDirectory(DirRun(P("web"), true, settings)), false);
  EXPECT_EQ(batch->StartDirectory(), P("web"));
  batch->PrintSummary();
  EXPECT_EQ(batch->StartDirectory(), "");
  EXPECT_EQ(Read("aus/de/a.htm"), "OPT[a]");

  // Even a start directory handed in by mistake is not used by a file-list run.
  Make("web/de/b.htm", "b");
  settings.startDirectory = P("web");
  Finish(*batch, batch->RunFileList({P("web/de/b.htm")}, settings), false);
  EXPECT_EQ(Read("aus/b.htm"), "OPT[b]");
  EXPECT_FALSE(fs::exists(dir / "aus/de/b.htm"));
}

TEST_F(BatchOptimizerTest, CancelDuringFileListRun) {
  auto batch = Make();
  batch->CancelFlag() = true;
  Finish(*batch, batch->RunFileList({}), false);
  EXPECT_EQ(sink.Text(), kCancelledNote) << "an empty list cancelled still gets the note";

  for (const char* f : {"a.htm", "b.htm", "c.htm"}) Make(f, f);
  onRun = [&](const std::string& text, const std::atomic<bool>& flag) {
    if (text == "b.htm") {
      batch->Cancel();
      WaitFor(flag);
    }
  };
  sink.Clear();
  Finish(*batch, batch->RunFileList({P("a.htm"), P("b.htm"), P("c.htm")}));
  EXPECT_EQ(Read("a.htm"), "OPT[a.htm]");
  EXPECT_EQ(Read("b.htm"), "b.htm");
  EXPECT_EQ(Read("c.htm"), "c.htm");
  EXPECT_EQ(Count(sink.Text(), "Optimiere: "), 2);
  EXPECT_TRUE(sink.Text().ends_with("Optimiere: " + P("b.htm") + "\r\nBreche ab...\r\n" + kCancelledNote + Summary(1)))
      << sink.Text();
  EXPECT_TRUE(batch->LastRunCancelled());
  EXPECT_FALSE(batch->CancelFlag().load());

  // The flag was cleared with the end of the run: the next run is not cancelled.
  onRun = nullptr;
  sink.Clear();
  Finish(*batch, batch->RunFileList({P("c.htm")}));
  EXPECT_TRUE(sink.Text().ends_with(Summary(1)));
  EXPECT_FALSE(batch->LastRunCancelled());
}

TEST_F(BatchOptimizerTest, SeveralWorkersDoEveryFileOnceAndKeepItsLinesTogether) {
  NoLstDatMessage();
  auto name = [](int i) { return "web/" + std::to_string(i % 3) + "/seite" + std::to_string(i) + ".htm"; };
  for (int i = 0; i < 30; ++i) Make(name(i), std::string(i * 10, 'x'));
  Make("web/nicht.txt", "x");
  store.WriteInt(setting::kGeneral, "Sikop Art", 2);
  store.WriteString(setting::kGeneral, "Neuordnername", P("aus"));
  fs::create_directory(dir / "aus");
  // The job writes a line of its own: it must stay between the file's other lines.
  callbacks.runJob = [](COptimizeJob& job, const CRunConfig&, IOutputSink& out, const std::atomic<bool>&) {
    out.AppendText("Lauf\r\n");
    job.text = "OPT[" + job.text + "]";
    return CJobRunResult{1, 0};
  };
  std::atomic<int> lastDone{0}, lastFound{0};
  callbacks.progress = [&](const CBatchProgress& p) {
    lastDone = p.filesDone;
    lastFound = p.filesFound;
  };
  auto batch = Make(3);
  Finish(*batch, batch->RunDirectory(DirRun(P("web"), true)));
  EXPECT_EQ(lastDone.load(), 30);
  EXPECT_EQ(lastFound.load(), 30);
  const std::string text = sink.Text();
  EXPECT_TRUE(text.ends_with(Summary(30)));
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(test::ReadFile(dir / "aus" / name(i).substr(4)), "OPT[" + std::string(i * 10, 'x') + "]");
    EXPECT_NE(text.find("Optimiere: " + P(name(i)) + "\r\nLauf\r\nOptimiert, alte Grösse: " + std::to_string(i * 10) +
                        " Byte,"),
              std::string::npos)
        << name(i);
  }
}

TEST_F(BatchOptimizerTest, CancelWithSeveralWorkersLeavesUnfinishedFilesAlone) {
  std::vector<std::string> paths;
  for (int i = 0; i < 20; ++i) {
    Make(std::to_string(i) + ".htm", "quelle");
    paths.push_back(P(std::to_string(i) + ".htm"));
  }
  std::unique_ptr<CBatchOptimizer> batch = Make(3);
  std::atomic<int> started{0};
  onRun = [&](const std::string&, const std::atomic<bool>& flag) {
    if (++started == 4) batch->CancelFlag() = true;
    if (started >= 4) WaitFor(flag);
  };
  Finish(*batch, batch->RunFileList(paths));
  int optimized = 0;
  for (const std::string& path : paths) {
    const std::string content = test::ReadFile(path);
    EXPECT_TRUE(content == "quelle" || content == "OPT[quelle]") << content;
    if (content == "OPT[quelle]") ++optimized;
  }
  EXPECT_LE(optimized, 3);
  EXPECT_TRUE(sink.Text().ends_with(kCancelledNote + Summary(optimized))) << sink.Text();
  EXPECT_TRUE(batch->LastRunCancelled());
}

TEST_F(BatchOptimizerTest, QuitStopsARunningFileWithoutWritingIt) {
  Make("a.htm", "quelle");
  std::atomic<bool> inRun{false};
  onRun = [&](const std::string&, const std::atomic<bool>& flag) {
    inRun = true;
    WaitFor(flag);
  };
  auto batch = Make();
  ASSERT_EQ(batch->RunFileList({P("a.htm")}), RunStart::Started);
  WaitFor(inRun);
  EXPECT_EQ(batch->RunFileList({P("a.htm")}), RunStart::Busy);
  batch->Quit();
  EXPECT_FALSE(batch->Busy());
  EXPECT_EQ(Read("a.htm"), "quelle");
  EXPECT_EQ(sink.Text(), "Optimiere: " + P("a.htm") + "\r\n" + kCancelledNote);
  EXPECT_EQ(batch->RunFileList({P("a.htm")}), RunStart::NoWorker);
  batch.reset();  // a second Quit through the destructor is harmless
}

TEST_F(BatchOptimizerTest, RunsWithoutAValidBackupFolderDoNotStart) {
  Make("a.htm", "quelle");
  const std::string folder = "Bitte wählen Sie einen gültigen Namen für den Ordner für die Sicherungskopie";
  const std::string ending = "Bitte geben Sie eine Dateiendung für die Sicherungskopie an.";
  struct Case {
    const char* name;
    bool createBackup;
    BackupMode mode;
    std::string folder;
    std::string ending;
    std::string refusal;  // empty when the run starts
  };
  const Case cases[] = {
      {"mode-2-empty", true, BackupMode::OutputFolder, "", ".bak", folder},
      {"mode-1-empty", true, BackupMode::MoveOriginal, "", ".bak", folder},
      {"mode-2-missing", true, BackupMode::OutputFolder, P("fehlt"), ".bak", folder},
      {"mode-1-a-file", true, BackupMode::MoveOriginal, P("a.htm"), ".bak", folder},
      {"mode-0-no-ending", true, BackupMode::SameFolder, "", "", ending},
      {"mode-0-empty", true, BackupMode::SameFolder, "", ".bak", ""},
      {"backup-off", false, BackupMode::OutputFolder, "", ".bak", ""},
      {"mode-0-no-ending-backup-off", false, BackupMode::SameFolder, "", "", ""},
  };
  auto batch = Make();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BatchSettings settings;
    settings.createBackup = c.createBackup;
    settings.backupMode = c.mode;
    settings.folder = c.folder;
    settings.backupEnding = c.ending;
    const bool refused = !c.refusal.empty();
    EXPECT_EQ(ValidateBatchSettings(settings), refused ? std::optional<std::string>(c.refusal) : std::nullopt);
    sink.Clear();
    CDirectoryRun run = DirRun(P("leer"), false, settings);
    run.filters = DirectoryFilters();
    EXPECT_EQ(batch->RunDirectory(run), refused ? RunStart::InvalidSettings : RunStart::Started);
    batch->WaitUntilIdle();
    if (refused) {
      EXPECT_EQ(sink.Text(), c.refusal + "\r\n");
    }
    EXPECT_EQ(batch->RunFileList({P("a.htm")}, settings), refused ? RunStart::InvalidSettings : RunStart::Started);
    batch->WaitUntilIdle();
  }
  EXPECT_EQ(Read("a.htm"), "OPT[OPT[OPT[quelle]]]");
}

TEST_F(BatchOptimizerTest, DirectoryRunReportsAnUnreadableExclusionList) {
  Make("web/a.htm", "a");
  std::vector<std::string> boxes;
  callbacks.messageBox = [&](std::string_view text, IOutputSink&) { boxes.emplace_back(text); };
  auto batch = Make();
  Finish(*batch, batch->RunDirectory(DirRun(P("web"))), false);
  const std::string message =
      "Fehler beim Lesen der Liste der nicht zu optimierenden Verzeichnisse. Diese Option wird ignoriert.";
  EXPECT_TRUE(sink.Text().starts_with(message + "\r\nOptimiere: ")) << sink.Text();
  EXPECT_EQ(boxes, std::vector<std::string>{message});

  // A readable list is used from the store's run as it is: no message.
  store.WriteInt(setting::kGeneral, "Verz nach Liste n opt", 1);
  ASSERT_TRUE(WriteExclusionList((programFolder / "lst.dat").string(), {P("WEB")}));
  sink.Clear();
  Finish(*batch, batch->RunDirectory(DirRun(dir.path().string(), true)));
  EXPECT_EQ(sink.Text(), Summary(0));
}

TEST_F(BatchOptimizerTest, DirectoryOutsideTheWebTurnsWebStructureOff) {
  NoLstDatMessage();
  Make("web/de/a.htm", "a");
  fs::create_directory(dir / "aus");
  BatchSettings settings;
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = P("aus");
  settings.keepWebStructure = true;
  settings.webRoot = P("anderes");
  auto batch = Make();
  Finish(*batch, batch->RunDirectory(DirRun(P("web"), true, settings)), false);
  EXPECT_TRUE(sink.Text().starts_with(kNotInWeb + "Optimiere: "));
  EXPECT_EQ(Count(sink.Text(), "nicht im aktuellen Web"), 1);
  EXPECT_EQ(Read("aus/de/a.htm"), "OPT[a]");  // the folder structure applies instead
}

TEST_F(BatchOptimizerTest, DocumentRunCountsOneUnlessCancelled) {
  auto batch = Make();
  Finish(*batch, batch->RunDocument([](IOutputSink& s, const std::atomic<bool>&) { s.AppendText("Dokument\r\n"); }));
  EXPECT_EQ(sink.Text(), "Dokument\r\n" + Summary(1));

  sink.Clear();
  Finish(*batch, batch->RunDocument([&](IOutputSink&, const std::atomic<bool>&) { batch->Cancel(); }));
  EXPECT_EQ(sink.Text(), "Breche ab...\r\n" + kCancelledNote + Summary(0));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1].command, BatchCommand::RunDocument);
  EXPECT_TRUE(results[1].cancelled);
}

TEST_F(BatchOptimizerTest, SettingsComeFromTheStoreWithBatchDefaults) {
  auto describe = [](const BatchSettings& s) {
    return std::to_string(s.createBackup) + "|" + s.backupEnding + "|" + s.folder + "|" +
           std::to_string(s.keepFolderStructure) + "|" + std::to_string(static_cast<int>(s.backupMode)) + "|" +
           std::to_string(s.keepWebStructure) + "|" + s.webRoot + "|" +
           std::to_string(static_cast<int>(s.existingBackupPolicy)) + "|" + std::to_string(s.allowedLevel);
  };
  // Nothing stored: a copy beside the source (mode 0) and small errors allowed (level 1).
  EXPECT_EQ(describe(ReadBatchSettings(CMemorySettingsStore())), "1|.bak||1|0|0||0|1");

  // The names the settings page writes.
  using setting::kGeneral;
  for (const auto& [name, value] : {std::pair{"Sikop erstellen", 0},
                                    {"Ordnerstruktur behalten", 0},
                                    {"Sikop Art", 1},
                                    {"Webstruktur behalten", 1},
                                    {"Sikop besteht", 3},
                                    {"Fehlerbehandlung", 2}}) {
    store.WriteInt(kGeneral, name, value);
  }
  store.WriteString(kGeneral, "Sikop Endung", ".alt");
  store.WriteString(kGeneral, "Neuordnername", "/srv/kopie");
  store.WriteString(kGeneral, "Webordner", "/srv/web");
  const BatchSettings stored = ReadBatchSettings(store);
  EXPECT_EQ(describe(stored), "0|.alt|/srv/kopie|0|1|1|/srv/web|3|2");
  CMemorySettingsStore written;
  WriteBatchSettings(written, stored);
  EXPECT_EQ(describe(ReadBatchSettings(written)), describe(stored));

  // An allowed level beyond 8 bits is clamped, not wrapped round to 0.
  store.WriteInt(kGeneral, "Fehlerbehandlung", 256);
  EXPECT_EQ(ReadBatchSettings(store).allowedLevel, 127);

  const CDirectoryChoice choice = ReadDirectoryChoice(store);
  EXPECT_EQ(choice.extensions, ".htm;.html;");
  EXPECT_FALSE(choice.includeSubfolders);
  WriteDirectoryChoice(store, {"/srv/web", true, ".htm;"});
  EXPECT_EQ(ReadDirectoryChoice(store).directory, "/srv/web");
  EXPECT_TRUE(ReadDirectoryChoice(store).includeSubfolders);
}

TEST_F(BatchOptimizerTest, RealEngineRunsThroughTheDefaultJob) {
  callbacks.runJob = nullptr;
  const std::string page = "<html><body><p>Hallo</p></body></html>";
  Make("seite.htm", page);
  auto batch = Make();
  Finish(*batch, batch->RunFileList({P("seite.htm")}), false);
  EXPECT_EQ(Read("seite.htm.bak"), page);
  EXPECT_NE(sink.Text().find("Parse Datei\r\n"), std::string::npos);
}

}  // namespace
}  // namespace trimvale
