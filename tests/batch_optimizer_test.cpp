#include "batch/batch_optimizer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
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
    ASSERT_EQ(batch->RunFileList({P("a.htm"), P("b.htm"), P("c.htm")}), RunStart::Started);
    batch->WaitUntilIdle();
    batch->PrintSummary();
    const std::string text = sink.Text();
    EXPECT_EQ(Count(text, "Optimiere: "), 3);
    EXPECT_TRUE(text.ends_with("Byte\r\n\r\n" + Summary(3))) << text;
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
  settings.keepFolderStructure = true;
  auto batch = Make();

  CDirectoryRun run;
  run.directory = P("web");
  run.includeSubfolders = true;
  run.settings = settings;
  ASSERT_EQ(batch->RunDirectory(run), RunStart::Started);
  batch->WaitUntilIdle();
  EXPECT_EQ(batch->StartDirectory(), P("web"));
  batch->PrintSummary();
  EXPECT_EQ(batch->StartDirectory(), "");
  EXPECT_EQ(Read("aus/de/a.htm"), "OPT[a]");

  // Even a start directory handed in by mistake is not used by a file-list run.
  Make("web/de/b.htm", "b");
  settings.startDirectory = P("web");
  ASSERT_EQ(batch->RunFileList({P("web/de/b.htm")}, settings), RunStart::Started);
  batch->WaitUntilIdle();
  EXPECT_EQ(Read("aus/b.htm"), "OPT[b]");
  EXPECT_FALSE(fs::exists(dir / "aus/de/b.htm"));
}

TEST_F(BatchOptimizerTest, CancelDuringFileListRun) {
  for (const char* f : {"a.htm", "b.htm", "c.htm"}) Make(f, f);
  std::unique_ptr<CBatchOptimizer> batch = Make();
  onRun = [&](const std::string& text, const std::atomic<bool>& flag) {
    if (text == "b.htm") {
      batch->Cancel();
      WaitFor(flag);
    }
  };
  ASSERT_EQ(batch->RunFileList({P("a.htm"), P("b.htm"), P("c.htm")}), RunStart::Started);
  batch->WaitUntilIdle();
  batch->PrintSummary();
  EXPECT_EQ(Read("a.htm"), "OPT[a.htm]");
  EXPECT_EQ(Read("b.htm"), "b.htm");
  EXPECT_EQ(Read("c.htm"), "c.htm");
  const std::string text = sink.Text();
  EXPECT_EQ(Count(text, "Optimiere: "), 2);
  EXPECT_TRUE(text.ends_with("Optimiere: " + P("b.htm") + "\r\nBreche ab...\r\n" + kCancelledNote + Summary(1)))
      << text;
  EXPECT_TRUE(batch->LastRunCancelled());
  EXPECT_FALSE(batch->CancelFlag().load());

  // The flag was cleared with the end of the run: the next run is not cancelled.
  onRun = nullptr;
  sink.Clear();
  ASSERT_EQ(batch->RunFileList({P("c.htm")}), RunStart::Started);
  batch->WaitUntilIdle();
  batch->PrintSummary();
  EXPECT_TRUE(sink.Text().ends_with(Summary(1)));
  EXPECT_FALSE(batch->LastRunCancelled());
}

TEST_F(BatchOptimizerTest, CancelledEmptyListStillGetsTheNote) {
  auto batch = Make();
  batch->CancelFlag() = true;
  ASSERT_EQ(batch->RunFileList({}), RunStart::Started);
  batch->WaitUntilIdle();
  EXPECT_EQ(sink.Text(), kCancelledNote);
}

TEST_F(BatchOptimizerTest, SeveralWorkersDoTheSameFilesAsOne) {
  NoLstDatMessage();
  for (int i = 0; i < 30; ++i) {
    Make("web/" + std::to_string(i % 3) + "/seite" + std::to_string(i) + ".htm", std::string(i * 10, 'x'));
  }
  Make("web/nicht.txt", "x");
  store.WriteInt(setting::kGeneral, "Sikop Art", 2);
  store.WriteString(setting::kGeneral, "Neuordnername", P("aus"));

  std::map<int, std::string> texts;
  for (int jobs : {1, 3}) {
    SCOPED_TRACE(jobs);
    fs::remove_all(dir / "aus");
    fs::create_directory(dir / "aus");
    sink.Clear();
    std::atomic<int> lastDone{0}, lastFound{0};
    callbacks.progress = [&](const CBatchProgress& p) {
      lastDone = p.filesDone;
      lastFound = p.filesFound;
    };
    auto batch = Make(jobs);
    CDirectoryRun run;
    run.directory = P("web");
    run.includeSubfolders = true;
    ASSERT_EQ(batch->RunDirectory(run), RunStart::Started);
    batch->WaitUntilIdle();
    batch->PrintSummary();
    EXPECT_EQ(lastDone.load(), 30);
    EXPECT_EQ(lastFound.load(), 30);
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir / "aus")) {
      if (!e.is_regular_file()) continue;
      ++files;
      const std::string name = e.path().filename().string();
      const int i = std::stoi(name.substr(5));
      EXPECT_EQ(test::ReadFile(e.path()), "OPT[" + std::string(i * 10, 'x') + "]");
      EXPECT_EQ(e.path().parent_path().filename().string(), std::to_string(i % 3));
    }
    EXPECT_EQ(files, 30);
    const std::string text = sink.Text();
    EXPECT_TRUE(text.ends_with(Summary(30)));
    // The lines of each file stay together.
    for (int i = 0; i < 30; ++i) {
      const std::string path = P("web/" + std::to_string(i % 3) + "/seite" + std::to_string(i) + ".htm");
      EXPECT_NE(text.find("Optimiere: " + path + "\r\nOptimiert, alte Grösse: " + std::to_string(i * 10) + " Byte,"),
                std::string::npos)
          << path;
    }
    texts[jobs] = text;
  }
  EXPECT_EQ(texts[1].size(), texts[3].size());
}

std::string NumberedName(int i) {
  std::string name = std::to_string(i);
  name.append(".htm");
  return name;
}

TEST_F(BatchOptimizerTest, CancelWithSeveralWorkersLeavesUnfinishedFilesAlone) {
  std::vector<std::string> paths;
  for (int i = 0; i < 20; ++i) {
    Make(NumberedName(i), "quelle");
    paths.push_back(P(NumberedName(i)));
  }
  std::unique_ptr<CBatchOptimizer> batch = Make(3);
  std::atomic<int> started{0};
  onRun = [&](const std::string&, const std::atomic<bool>& flag) {
    if (++started == 4) batch->CancelFlag() = true;
    if (started >= 4) WaitFor(flag);
  };
  ASSERT_EQ(batch->RunFileList(paths), RunStart::Started);
  batch->WaitUntilIdle();
  batch->PrintSummary();
  int optimized = 0;
  for (int i = 0; i < 20; ++i) {
    const std::string content = Read(NumberedName(i));
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
  const std::string message = "Bitte wählen Sie einen gültigen Namen für den Ordner für die Sicherungskopie";
  struct Case {
    const char* name;
    bool createBackup;
    BackupMode mode;
    std::string folder;
    bool refused;
    std::string ending = ".bak";
  };
  const Case cases[] = {
      {"mode-2-empty", true, BackupMode::OutputFolder, "", true},
      {"mode-1-empty", true, BackupMode::MoveOriginal, "", true},
      {"mode-2-missing", true, BackupMode::OutputFolder, P("fehlt"), true},
      {"mode-1-a-file", true, BackupMode::MoveOriginal, P("a.htm"), true},
      {"mode-0-empty", true, BackupMode::SameFolder, "", false},
      {"backup-off", false, BackupMode::OutputFolder, "", false},
      {"mode-0-no-ending", true, BackupMode::SameFolder, "", true, ""},
      {"mode-0-no-ending-backup-off", false, BackupMode::SameFolder, "", false, ""},
  };
  auto batch = Make();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BatchSettings settings;
    settings.createBackup = c.createBackup;
    settings.backupMode = c.mode;
    settings.folder = c.folder;
    settings.backupEnding = c.ending;
    const std::string expected =
        c.ending.empty() ? "Bitte geben Sie eine Dateiendung für die Sicherungskopie an." : message;
    EXPECT_EQ(ValidateBatchSettings(settings), c.refused ? std::optional<std::string>(expected) : std::nullopt);
    sink.Clear();
    CDirectoryRun run;
    run.directory = P("leer");
    run.settings = settings;
    run.filters = DirectoryFilters();
    EXPECT_EQ(batch->RunDirectory(run), c.refused ? RunStart::InvalidSettings : RunStart::Started);
    batch->WaitUntilIdle();
    if (c.refused) {
      EXPECT_EQ(sink.Text(), expected + "\r\n");
    }
    EXPECT_EQ(batch->RunFileList({P("a.htm")}, settings), c.refused ? RunStart::InvalidSettings : RunStart::Started);
    batch->WaitUntilIdle();
  }
  EXPECT_EQ(Read("a.htm"), "OPT[OPT[OPT[quelle]]]");
}

TEST_F(BatchOptimizerTest, DirectoryRunReportsAnUnreadableExclusionList) {
  Make("web/a.htm", "a");
  std::vector<std::string> boxes;
  callbacks.messageBox = [&](std::string_view text, IOutputSink&) { boxes.emplace_back(text); };
  auto batch = Make();
  CDirectoryRun run;
  run.directory = P("web");
  ASSERT_EQ(batch->RunDirectory(run), RunStart::Started);
  batch->WaitUntilIdle();
  const std::string message =
      "Fehler beim Lesen der Liste der nicht zu optimierenden Verzeichnisse. Diese Option wird ignoriert.";
  EXPECT_TRUE(sink.Text().starts_with(message + "\r\nOptimiere: ")) << sink.Text();
  EXPECT_EQ(boxes, std::vector<std::string>{message});

  // A readable list is used from the store's run as it is: no message.
  store.WriteInt(setting::kGeneral, "Verz nach Liste n opt", 1);
  ASSERT_TRUE(WriteExclusionList((programFolder / "lst.dat").string(), {P("WEB")}));
  sink.Clear();
  run.includeSubfolders = true;
  run.directory = dir.path().string();
  ASSERT_EQ(batch->RunDirectory(run), RunStart::Started);
  batch->WaitUntilIdle();
  batch->PrintSummary();
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
  CDirectoryRun run;
  run.directory = P("web");
  run.includeSubfolders = true;
  run.settings = settings;
  ASSERT_EQ(batch->RunDirectory(run), RunStart::Started);
  batch->WaitUntilIdle();
  EXPECT_TRUE(sink.Text().starts_with(
      "Das zu optimierende Verzeichnis liegt nicht im aktuellen Web. Die Option 'Webstruktur beibehalten' wird "
      "ignoriert.\r\nOptimiere: "));
  EXPECT_EQ(Count(sink.Text(), "nicht im aktuellen Web"), 1);
  EXPECT_EQ(Read("aus/de/a.htm"), "OPT[a]");  // the folder structure applies instead
}

TEST_F(BatchOptimizerTest, DocumentRunCountsOneUnlessCancelled) {
  auto batch = Make();
  ASSERT_EQ(batch->RunDocument([](IOutputSink& s, const std::atomic<bool>&) { s.AppendText("Dokument\r\n"); }),
            RunStart::Started);
  batch->WaitUntilIdle();
  batch->PrintSummary();
  EXPECT_EQ(sink.Text(), "Dokument\r\n" + Summary(1));

  sink.Clear();
  ASSERT_EQ(batch->RunDocument([&](IOutputSink&, const std::atomic<bool>&) { batch->Cancel(); }), RunStart::Started);
  batch->WaitUntilIdle();
  batch->PrintSummary();
  EXPECT_EQ(sink.Text(), "Breche ab...\r\n" + kCancelledNote + Summary(0));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1].command, BatchCommand::RunDocument);
  EXPECT_TRUE(results[1].cancelled);
}

TEST_F(BatchOptimizerTest, SettingsComeFromTheStoreWithBatchDefaults) {
  // Nothing stored: mode 0 (copy beside) and level 1 for a batch run.
  const BatchSettings defaults = ReadBatchSettings(store);
  EXPECT_EQ(defaults.backupMode, BackupMode::SameFolder);
  EXPECT_EQ(defaults.allowedLevel, 1);
  EXPECT_TRUE(defaults.createBackup);
  EXPECT_EQ(defaults.backupEnding, ".bak");

  BatchSettings s;
  s.createBackup = false;
  s.backupEnding = ".alt";
  s.folder = "/srv/kopie";
  s.keepFolderStructure = false;
  s.backupMode = BackupMode::MoveOriginal;
  s.keepWebStructure = true;
  s.webRoot = "/srv/web";
  s.existingBackupPolicy = ExistingBackupPolicy::KeepExisting;
  s.allowedLevel = 2;
  WriteBatchSettings(store, s);
  const BatchSettings back = ReadBatchSettings(store);
  EXPECT_EQ(back.createBackup, s.createBackup);
  EXPECT_EQ(back.backupEnding, s.backupEnding);
  EXPECT_EQ(back.folder, s.folder);
  EXPECT_EQ(back.keepFolderStructure, s.keepFolderStructure);
  EXPECT_EQ(back.backupMode, s.backupMode);
  EXPECT_EQ(back.keepWebStructure, s.keepWebStructure);
  EXPECT_EQ(back.webRoot, s.webRoot);
  EXPECT_EQ(back.existingBackupPolicy, s.existingBackupPolicy);
  EXPECT_EQ(back.allowedLevel, s.allowedLevel);

  // An allowed level beyond 8 bits is clamped, not wrapped round to 0.
  store.WriteInt(setting::kGeneral, "Fehlerbehandlung", 256);
  EXPECT_EQ(ReadBatchSettings(store).allowedLevel, 127);

  const CDirectoryChoice choice = ReadDirectoryChoice(store);
  EXPECT_EQ(choice.extensions, ".htm;.html;");
  EXPECT_FALSE(choice.includeSubfolders);
  WriteDirectoryChoice(store, {"/srv/web", true, ".htm;"});
  EXPECT_EQ(ReadDirectoryChoice(store).directory, "/srv/web");
  EXPECT_TRUE(ReadDirectoryChoice(store).includeSubfolders);
}

TEST_F(BatchOptimizerTest, KilledRunLeavesEachFileWholeOrOptimized) {
  NoLstDatMessage();
  const int kFiles = 300;
  std::vector<std::string> originals;
  for (int i = 0; i < kFiles; ++i) {
    originals.push_back(std::string(2000 + i, static_cast<char>('a' + i % 26)));
    Make("web/" + NumberedName(i), originals.back());
  }
  store.WriteInt(setting::kGeneral, "Sikop erstellen", 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    auto batch = Make(2);
    CDirectoryRun run;
    run.directory = P("web");
    batch->RunDirectory(run);
    batch->WaitUntilIdle();
    ::_exit(0);
  }
  ASSERT_GT(pid, 0);
  // Kill the child once some files are done, with the rest still to come.
  for (int wait = 0; wait < 2000; ++wait) {
    int done = 0;
    for (int i = 0; i < kFiles; i += 10) done += Read("web/" + NumberedName(i)).starts_with("OPT[") ? 1 : 0;
    if (done >= 3) break;
    std::this_thread::sleep_for(2ms);
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  int optimized = 0;
  for (int i = 0; i < kFiles; ++i) {
    const std::string content = Read("web/" + NumberedName(i));
    const bool whole = content == originals[i];
    const bool done = content == "OPT[" + originals[i] + "]";
    EXPECT_TRUE(whole || done) << NumberedName(i);
    optimized += done ? 1 : 0;
  }
  EXPECT_GT(optimized, 0);
}

TEST_F(BatchOptimizerTest, RealEngineRunsThroughTheDefaultJob) {
  // Without a test seam the page goes through COptimizeJob itself.
  callbacks.runJob = nullptr;
  const std::string page = "<html><body><p>Hallo</p></body></html>";
  Make("seite.htm", page);
  auto batch = Make();
  ASSERT_EQ(batch->RunFileList({P("seite.htm")}), RunStart::Started);
  batch->WaitUntilIdle();
  EXPECT_EQ(Read("seite.htm.bak"), page);
  EXPECT_NE(sink.Text().find("Parse Datei\r\n"), std::string::npos);
}

}  // namespace
}  // namespace trimvale
