#include "batch/one_file_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "batch/batch_paths.h"
#include "batch/batch_texts.h"
#include "engine/messages.h"
#include "rules/file_io.h"
#include "rules/text_util.h"

namespace trimvale {

CJobRunResult RunOptimizeJob(COptimizeJob& job, const CRunConfig& config, IOutputSink& sink,
                             const std::atomic<bool>& cancelRequested) {
  CJobRunResult r;
  r.result = job.Run(config, sink, cancelRequested);
  r.errorLevel = job.ErrorLevel();
  return r;
}

void DefaultMessageBox(std::string_view text, IOutputSink& sink) {
  std::string line(text);
  line += "\r\n";
  sink.AppendText(line);
}

namespace {
// `target` with " (n)" before the ending of its file name; a dot in a folder name is no ending,
// and a name without a dot gets the number at its end.
std::string NumberedTarget(const std::string& target, long number) {
  const std::size_t nameStart = target.size() - FileNamePart(target).size();
  std::size_t dot = target.find_last_of('.');
  if (dot == std::string::npos || dot <= nameStart) dot = target.size();
  return target.substr(0, dot) + " (" + std::to_string(number) + ")" + target.substr(dot);
}
}  // namespace

std::string CRunWrites::Claim(const std::string& target) {
  std::lock_guard lock(mutex_);
  if (claimed_.insert(ResolvedPath(target)).second) return target;
  for (long number = 2;; ++number) {
    std::string candidate = NumberedTarget(target, number);
    if (!PathExists(candidate) && claimed_.insert(ResolvedPath(candidate)).second) return candidate;
  }
}

bool CRunWrites::TryClaim(const std::string& path) {
  std::lock_guard lock(mutex_);
  return claimed_.insert(ResolvedPath(path)).second;
}

bool CRunWrites::Written(const std::string& path) const {
  const std::string resolved = ResolvedPath(path);
  std::lock_guard lock(mutex_);
  return claimed_.count(resolved) != 0;
}

COneFileJob::COneFileJob(const BatchSettings& settings, const CRunConfig& config, IOutputSink& sink,
                         const std::atomic<bool>& cancelRequested)
    : settings_(settings), config_(config), sink_(sink), cancelRequested_(cancelRequested) {}

FileOutcome COneFileJob::OptimizeFile(const std::string& path) {
  if (Cancelled()) return FileOutcome::Cancelled;

  // A file inside the backup folder must never be optimized (it would back up the backups).
  if (settings_.backupMode != BackupMode::SameFolder && PathIsInFolder(path, settings_.folder)) {
    sink_.AppendText(batch_text::kBackupFolderRefused);
    return FileOutcome::Skipped;
  }
  // Nor a copy or result this run has just written (a list naming a.htm and a.htm.bak): the
  // only copy of an original would be replaced by optimized text.
  if (runWrites && runWrites->Written(path)) {
    sink_.AppendText(batch_text::PathLine(batch_text::kWrittenThisRun, path));
    return FileOutcome::Skipped;
  }

  sink_.AppendText(batch_text::PathLine(batch_text::kOptimizing, path));

  // Only regular files are read: a FIFO or device would block or never end.
  std::string content;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !ReadWholeFile(path, content)) {
    (messageBox ? messageBox : DefaultMessageBox)(batch_text::kCannotOpen, sink_);
    return FileOutcome::Failed;
  }
  const std::size_t oldSize = content.size();

  // A page its owner has protected is not replaced, even where the folder would allow it; it is
  // checked before any copy is made, so such a page leaves no trace of the run.
  const bool resultInPlace = !(settings_.createBackup && settings_.backupMode == BackupMode::OutputFolder);
  if (resultInPlace && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    sink_.AppendText(batch_text::PathLine(batch_text::kWriteProtected, path));
    return FileOutcome::Failed;
  }

  // A copy that could not be written leaves the file alone: rewriting the source without its
  // backup would risk the only good version of the page.
  if (settings_.createBackup) {
    if (settings_.backupMode == BackupMode::SameFolder) {
      if (!WriteBackupCopy(path + settings_.backupEnding, path, content)) return FileOutcome::Failed;
    } else if (settings_.backupMode == BackupMode::MoveOriginal) {
      const std::string rel = RelativeTarget(path);
      if (!EnsureFolders(rel)) return FileOutcome::Failed;
      if (!WriteBackupCopy(JoinPath(settings_.folder, rel), path, content)) return FileOutcome::Failed;
    }
  }

  COptimizeJob job;
  job.treeTarget = treeTarget;
  job.allowedLevel = settings_.allowedLevel;
  job.text = std::move(content);
  job.sourceName = path;
  if (Cancelled()) return FileOutcome::Cancelled;
  const CJobRunResult run =
      runJob ? runJob(job, config_, sink_, cancelRequested_) : RunOptimizeJob(job, config_, sink_, cancelRequested_);
  // After a cancel the job's text may hold only part of the page: never write it.
  if (Cancelled()) return FileOutcome::Cancelled;
  // The job has already said why (level above the allowed one, or an undecodable page).
  if (run.errorLevel > settings_.allowedLevel || run.result == 0) return FileOutcome::Withheld;

  if (resultInPlace) {
    if (!WriteReported(path, job.text, path)) return FileOutcome::Failed;
    if (runWrites) runWrites->TryClaim(path);
  } else {
    const std::string rel = RelativeTarget(path);
    if (!EnsureFolders(rel)) return FileOutcome::Failed;
    if (!WriteClaimed(JoinPath(settings_.folder, rel), job.text, path, batch_text::kResultRenamed)) {
      return FileOutcome::Failed;
    }
  }

  // The size line follows the write, so a file is only announced as optimized once it is.
  std::string sizes(batch_text::kOldSize);
  sizes.append(std::to_string(oldSize)).append(batch_text::kOldSizeEnd);
  sizes.append(batch_text::kNewSize).append(std::to_string(job.text.size())).append(batch_text::kNewSizeEnd);
  sink_.AppendText(sizes);
  return FileOutcome::Optimized;
}

bool COneFileJob::WriteReported(const std::string& target, std::string_view bytes, const std::string& sourcePath) {
  std::string error;
  // Copies and results take the original's mode, owner and group: a private page's copy must
  // not become readable by everyone, nor a page change hands when root optimizes it.
  if (WriteFileAtomically(target, bytes, &error, sourcePath)) return true;
  sink_.AppendText(batch_text::WriteFailed(target, error));
  return false;
}

bool COneFileJob::WriteClaimed(const std::string& target, std::string_view bytes, const std::string& sourcePath,
                               std::string_view renamedText) {
  const std::string name = runWrites ? runWrites->Claim(target) : target;
  if (!WriteReported(name, bytes, sourcePath)) return false;
  if (name != target) sink_.AppendText(batch_text::PathLine(renamedText, name));
  return true;
}

bool COneFileJob::WriteBackupCopy(const std::string& target, const std::string& sourcePath, std::string_view bytes) {
  // The name is claimed before the policy looks at the disk: a copy this run has written (or is
  // writing) for another page of the same name is never taken for an old copy of this one,
  // which the policy would replace or keep instead of this page's copy.
  if (runWrites) {
    const std::string name = runWrites->Claim(target);
    if (name != target) {
      if (!WriteReported(name, bytes, sourcePath)) return false;
      sink_.AppendText(batch_text::PathLine(batch_text::kBackupRenamed, name));
      return true;
    }
  }
  auto write = [&](const std::string& name) { return WriteReported(name, bytes, sourcePath); };
  switch (settings_.existingBackupPolicy) {
    case ExistingBackupPolicy::OverwriteIfOlder: {
      if (!PathExists(target)) return write(target);
      const auto backupTime = LastWriteTime(target);
      const auto sourceTime = LastWriteTime(sourcePath);
      if (!sourceTime) return true;
      // A copy whose time cannot be read is treated as old enough to replace.
      if (!backupTime || *backupTime + 10 <= *sourceTime) return write(target);
      return true;
    }
    case ExistingBackupPolicy::NumberedName: {
      if (!PathExists(target)) return write(target);
      // The number goes before the ending of the file name; a dot in a folder name is not an
      // ending, and a name without a dot gets the number at its end.
      const std::size_t nameStart = target.size() - FileNamePart(target).size();
      std::size_t dot = target.find_last_of('.');
      if (dot == std::string::npos || dot < nameStart) dot = target.size();
      const std::string base = target.substr(0, dot);
      const std::string ending = target.substr(dot);
      for (long number = 0; number <= 1000000000L; ++number) {
        std::string candidate = base + std::to_string(number) + ending;
        if (!PathExists(candidate) && (!runWrites || runWrites->TryClaim(candidate))) return write(candidate);
      }
      return true;
    }
    case ExistingBackupPolicy::KeepExisting:
      if (PathExists(target)) return true;
      return write(target);
    case ExistingBackupPolicy::AlwaysOverwrite:
    default:
      return write(target);
  }
}

std::string COneFileJob::RelativeTarget(const std::string& path) {
  // Folders are compared resolved and from the front, so a web root or start directory reached
  // through a link still holds its pages, and a name that merely recurs further in does not.
  if (settings_.keepWebStructure) {
    if (auto below = PathBelowFolder(path, settings_.webRoot)) return *below;
    sink_.AppendText(batch_text::kNotInWeb);
    return std::string(FileNamePart(path));
  }
  if (settings_.keepFolderStructure && !settings_.startDirectory.empty()) {
    if (auto below = PathBelowFolder(path, settings_.startDirectory)) return *below;
  }
  return std::string(FileNamePart(path));
}

namespace {
// One folder level; another worker creating the same folder at the same moment is no failure.
bool MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  const int code = errno;
  if (code == EEXIST && IsDirectory(path)) return true;
  errno = code;
  return false;
}
}  // namespace

bool COneFileJob::EnsureFolders(const std::string& rel) {
  const auto lastSlash = rel.find_last_of('/');
  const std::string dirPart = lastSlash == std::string::npos ? std::string() : rel.substr(0, lastSlash);
  const std::string whole = JoinPath(settings_.folder, dirPart);
  if (PathExists(whole)) return true;
  for (std::size_t i = dirPart.find('/'); i != std::string::npos; i = dirPart.find('/', i + 1)) {
    const std::string level = JoinPath(settings_.folder, dirPart.substr(0, i));
    if (!PathExists(level) && !MakeFolder(level)) {
      ReportSystemError(errno, msg::kCreateFolderFailed);
      return false;
    }
  }
  if (!MakeFolder(whole)) {
    ReportSystemError(errno, msg::kCreateFolderFailed);
    return false;
  }
  return true;
}

void COneFileJob::ReportSystemError(int code, int messageId) {
  if (code == 0) return;
  const std::string message(MessageText(messageId));
  const std::string system = SystemErrorText(code);
  std::string text;
  if (!system.empty()) {
    text = message.empty() ? system : message + ": " + system;
  } else {
    text = message.empty() ? std::string(MessageText(msg::kUnknownError)) : message;
  }
  // The system's texts here come without a line end; the report is one line.
  text += "\r\n";
  sink_.AppendText(text);
}

}  // namespace trimvale
