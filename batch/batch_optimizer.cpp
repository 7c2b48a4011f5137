#include "batch/batch_optimizer.h"

#include <deque>
#include <system_error>

#include "batch/batch_paths.h"
#include "batch/batch_texts.h"
#include "rules/text_util.h"

namespace trimvale {

struct CBatchOptimizer::CPendingRun {
  BatchCommand command = BatchCommand::RunFileList;
  BatchSettings settings;
  DirectoryFilters filters;
  bool includeSubfolders = false;
  std::string extensions;
  std::string directory;
  std::vector<std::string> paths;
  DocumentFunction work;
  CRunWrites writes;  // what the run has written so far, shared by its file workers
};

namespace {
// The paths between the producer (the list or the walk) and the file workers. Bounded, so that a
// walk over a huge tree does not run far ahead of the workers.
class CFileQueue {
 public:
  explicit CFileQueue(std::size_t capacity) : capacity_(capacity) {}

  void Push(std::string path) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [&] { return items_.size() < capacity_; });
    items_.push_back(std::move(path));
    notEmpty_.notify_one();
  }

  // The next path, or nullopt once the queue is closed and empty.
  std::optional<std::string> Pop() {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return std::nullopt;
    std::string path = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return path;
  }

  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    notEmpty_.notify_all();
  }

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable notEmpty_;
  std::condition_variable notFull_;
  std::deque<std::string> items_;
  bool closed_ = false;
};

constexpr int kMaxJobs = 256;
}  // namespace

CBatchOptimizer::CBatchOptimizer(ISettingsStore& store, const CRunConfig& config, IOutputSink& sink,
                                 std::string programFolder, int jobs, CBatchCallbacks callbacks)
    : store_(store),
      config_(config),
      sink_(sink),
      programFolder_(std::move(programFolder)),
      jobs_(jobs < 1 ? 1 : (jobs > kMaxJobs ? kMaxJobs : jobs)),
      callbacks_(std::move(callbacks)) {
  try {
    worker_ = std::thread([this] { WorkerLoop(); });
    workerRunning_ = true;
  } catch (const std::system_error&) {
    // No run can start; the run entries answer NoWorker.
  }
}

CBatchOptimizer::~CBatchOptimizer() { Quit(); }

void CBatchOptimizer::Quit() {
  {
    std::lock_guard lock(mutex_);
    if (quit_) return;
    // The flag comes first: the file in hand stops before anything of it is renamed into place.
    cancelRequested_.store(true);
    quit_ = true;
    wake_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
  std::lock_guard lock(mutex_);
  workerRunning_ = false;
}

void CBatchOptimizer::Cancel() {
  sink_.AppendText(batch_text::kCancelling);
  cancelRequested_.store(true);
}

void CBatchOptimizer::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [&] { return !busy_.load(); });
}

void CBatchOptimizer::PrintSummary() {
  std::string text(batch_text::kSummary);
  text.append(std::to_string(optimizedCount_.load())).append("\r\n");
  // Always after a run over files, so that a reader (or a script) finds the line in every run.
  if (lastRunWasFiles_.load())
    text.append(batch_text::kFailedCount).append(std::to_string(failedCount_.load())).append("\r\n");
  text.append("\r\n");
  sink_.AppendText(text);
  std::lock_guard lock(mutex_);
  startDirectory_.clear();
}

std::string CBatchOptimizer::StartDirectory() const {
  std::lock_guard lock(mutex_);
  return startDirectory_;
}

bool CBatchOptimizer::SetRunConfig(const CRunConfig& config) {
  std::lock_guard lock(mutex_);
  if (busy_.load()) return false;
  config_ = config;
  return true;
}

bool CBatchOptimizer::SetTreeTarget(IParseObserver* target) {
  std::lock_guard lock(mutex_);
  if (busy_.load()) return false;
  treeTarget_ = target;
  return true;
}

void CBatchOptimizer::ShowMessageBox(std::string_view text) {
  (callbacks_.messageBox ? callbacks_.messageBox : DefaultMessageBox)(text, sink_);
}

RunStart CBatchOptimizer::RunFileList(std::vector<std::string> paths) {
  return RunFileList(std::move(paths), ReadBatchSettings(store_));
}

RunStart CBatchOptimizer::RunFileList(std::vector<std::string> paths, BatchSettings settings) {
  if (Busy()) return RunStart::Busy;
  if (auto why = ValidateBatchSettings(settings)) {
    ShowMessageBox(*why);
    return RunStart::InvalidSettings;
  }
  auto run = std::make_unique<CPendingRun>();
  run->command = BatchCommand::RunFileList;
  // A list of files has no start directory, whatever an earlier directory run left.
  settings.startDirectory.clear();
  run->settings = std::move(settings);
  run->paths = std::move(paths);
  return Hand(std::move(run));
}

RunStart CBatchOptimizer::RunDirectory(CDirectoryRun request) {
  if (Busy()) return RunStart::Busy;
  BatchSettings settings = request.settings ? std::move(*request.settings) : ReadBatchSettings(store_);
  if (auto why = ValidateBatchSettings(settings)) {
    ShowMessageBox(*why);
    return RunStart::InvalidSettings;
  }
  settings.startDirectory = request.directory;
  if (settings.createBackup && settings.backupMode != BackupMode::SameFolder && settings.keepWebStructure &&
      !PathIsInFolder(settings.startDirectory, settings.webRoot)) {
    settings.keepWebStructure = false;
    sink_.AppendText(batch_text::kNotInWeb);
  }

  DirectoryFilters filters;
  if (request.filters) {
    filters = std::move(*request.filters);
  } else {
    LoadDirectoryFilters(store_, programFolder_, filters);
  }
  // A list the run does not use is no concern of this run, missing or not.
  if (filters.exclusionListFailed && filters.skipListedDirs) {
    std::string line(batch_text::kExclusionListUnreadable);
    line += "\r\n";
    sink_.AppendText(line);
    if (callbacks_.messageBox) callbacks_.messageBox(batch_text::kExclusionListUnreadable, sink_);
    filters.excludedDirs.clear();
  }

  auto run = std::make_unique<CPendingRun>();
  run->command = BatchCommand::RunDirectory;
  run->directory = request.directory;
  run->includeSubfolders = request.includeSubfolders;
  run->extensions = std::move(request.extensions);
  run->settings = std::move(settings);
  run->filters = std::move(filters);
  return Hand(std::move(run));
}

RunStart CBatchOptimizer::RunDocument(DocumentFunction work) {
  auto run = std::make_unique<CPendingRun>();
  run->command = BatchCommand::RunDocument;
  run->work = std::move(work);
  return Hand(std::move(run));
}

RunStart CBatchOptimizer::Hand(std::unique_ptr<CPendingRun> run) {
  std::lock_guard lock(mutex_);
  if (!workerRunning_ || quit_) return RunStart::NoWorker;
  if (busy_.load()) return RunStart::Busy;
  optimizedCount_.store(0);
  failedCount_.store(0);
  withheldCount_.store(0);
  filesDone_.store(0);
  filesFound_.store(0);
  if (run->command == BatchCommand::RunDirectory) startDirectory_ = run->directory;
  busy_.store(true);
  pending_ = std::move(run);
  wake_.notify_all();
  return RunStart::Started;
}

void CBatchOptimizer::WorkerLoop() {
  for (;;) {
    std::unique_ptr<CPendingRun> run;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return quit_ || pending_ != nullptr; });
      // A run handed over just before Quit still ends properly (at once, as the flag is set),
      // so that its caller sees the run finish.
      if (!pending_) return;
      run = std::move(pending_);
    }
    const bool cancelled = Execute(*run);

    CBatchRunResult result;
    result.command = run->command;
    result.optimizedCount = optimizedCount_.load();
    result.failedCount = failedCount_.load();
    result.withheldCount = withheldCount_.load();
    result.cancelled = cancelled;
    lastRunCancelled_.store(result.cancelled);
    lastRunWasFiles_.store(result.command != BatchCommand::RunDocument);
    if (callbacks_.completed) callbacks_.completed(result);

    std::lock_guard lock(mutex_);
    cancelRequested_.store(false);
    busy_.store(false);
    idle_.notify_all();
  }
}

bool CBatchOptimizer::Execute(CPendingRun& run) {
  // The flag is read once for the note and the result, so that a cancel arriving in between
  // cannot report a cancelled run without its note (or a note for a run reported as complete).
  bool cancelled = false;
  switch (run.command) {
    case BatchCommand::RunFileList:
    case BatchCommand::RunDirectory:
      RunFiles(run);
      cancelled = cancelRequested_.load();
      if (cancelled) sink_.AppendText(batch_text::kCancelled);
      break;
    case BatchCommand::RunDocument:
      if (run.work) run.work(sink_, cancelRequested_);
      cancelled = cancelRequested_.load();
      if (cancelled) {
        sink_.AppendText(batch_text::kCancelled);
        optimizedCount_.store(0);
      } else {
        optimizedCount_.store(1);
      }
      break;
    case BatchCommand::Quit:
      break;
  }
  return cancelled;
}

void CBatchOptimizer::RunFiles(CPendingRun& run) {
  auto cancelled = [&] { return cancelRequested_.load(std::memory_order_relaxed); };
  if (run.command == BatchCommand::RunFileList) filesFound_.store(static_cast<int>(run.paths.size()));

  if (jobs_ == 1) {
    auto one = [&](const std::string& path) { OptimizeOne(run, path, false); };
    if (run.command == BatchCommand::RunFileList) {
      for (const std::string& path : run.paths) {
        if (cancelled()) break;
        one(path);
      }
    } else {
      CWalkOptions options{run.filters, run.settings, run.includeSubfolders, run.extensions, sink_, cancelRequested_};
      failedCount_.fetch_add(WalkDirectory(run.directory, options, [&](const std::string& path) {
        filesFound_.fetch_add(1);
        one(path);
      }));
    }
    return;
  }

  CFileQueue queue(static_cast<std::size_t>(jobs_) * 4);
  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(jobs_));
  try {
    for (int i = 0; i < jobs_; ++i) {
      workers.emplace_back([&] {
        while (auto path = queue.Pop()) OptimizeOne(run, *path, true);
      });
    }
  } catch (const std::system_error&) {
    // Fewer file workers than asked for; with none at all the files are done right here.
  }
  const bool runHere = workers.empty();
  auto feed = [&](const std::string& path) {
    if (runHere) {
      OptimizeOne(run, path, false);
    } else {
      queue.Push(path);
    }
  };
  if (run.command == BatchCommand::RunFileList) {
    for (const std::string& path : run.paths) {
      if (cancelled()) break;
      feed(path);
    }
  } else {
    CWalkOptions options{run.filters, run.settings, run.includeSubfolders, run.extensions, sink_, cancelRequested_};
    failedCount_.fetch_add(WalkDirectory(run.directory, options, [&](const std::string& path) {
      filesFound_.fetch_add(1);
      feed(path);
    }));
  }
  queue.Close();
  for (std::thread& t : workers) t.join();
}

void CBatchOptimizer::OptimizeOne(CPendingRun& run, const std::string& path, bool buffered) {
  CStringSink buffer;
  IOutputSink& fileSink = buffered ? static_cast<IOutputSink&>(buffer) : sink_;
  COneFileJob job(run.settings, config_, fileSink, cancelRequested_);
  job.treeTarget = jobs_ == 1 ? treeTarget_ : nullptr;
  job.runJob = callbacks_.runJob;
  job.messageBox = callbacks_.messageBox;
  job.runWrites = &run.writes;

  ReportProgress(path);
  switch (job.OptimizeFile(path)) {
    case FileOutcome::Optimized:
      optimizedCount_.fetch_add(1);
      break;
    case FileOutcome::Failed:
      failedCount_.fetch_add(1);
      break;
    case FileOutcome::Withheld:
      withheldCount_.fetch_add(1);
      break;
    case FileOutcome::Skipped:
    case FileOutcome::Cancelled:
      break;
  }
  if (buffered) {
    const std::string text = buffer.Text();
    if (!text.empty()) sink_.AppendText(text);
  }
  filesDone_.fetch_add(1);
  ReportProgress(path);
}

void CBatchOptimizer::ReportProgress(const std::string& file) {
  if (!callbacks_.progress) return;
  std::lock_guard lock(progressMutex_);
  CBatchProgress progress;
  progress.filesDone = filesDone_.load();
  progress.filesFound = filesFound_.load();
  progress.currentFile = file;
  callbacks_.progress(progress);
}

}  // namespace trimvale
