#include "batch/one_file_job.h"

#include <sys/stat.h>

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

std::string InPlaceWriteTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  // Renaming a new file over a link would replace the link with a plain file and leave the page
  // it points to unoptimized; write where the link leads instead.
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
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

  std::string line(batch_text::kOptimizing);
  line.append(path).append("\r\n");
  sink_.AppendText(line);

  // Only regular files are read: a FIFO or device would block or never end.
  std::string content;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !ReadWholeFile(path, content)) {
    (messageBox ? messageBox : DefaultMessageBox)(batch_text::kCannotOpen, sink_);
    return FileOutcome::Skipped;
  }
  const std::size_t oldSize = content.size();

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
  if (run.errorLevel > settings_.allowedLevel || run.result == 0) return FileOutcome::Skipped;

  std::string target;
  if (settings_.createBackup && settings_.backupMode == BackupMode::OutputFolder) {
    const std::string rel = RelativeTarget(path);
    if (!EnsureFolders(rel)) return FileOutcome::Failed;
    target = JoinPath(settings_.folder, rel);
  } else {
    target = InPlaceWriteTarget(path);
  }
  if (!WriteReported(target, job.text)) return FileOutcome::Failed;

  // The size line follows the write, so a file is only announced as optimized once it is.
  std::string sizes(batch_text::kOldSize);
  sizes.append(std::to_string(oldSize)).append(batch_text::kOldSizeEnd);
  sizes.append(batch_text::kNewSize).append(std::to_string(job.text.size())).append(batch_text::kNewSizeEnd);
  sink_.AppendText(sizes);
  return FileOutcome::Optimized;
}

bool COneFileJob::WriteReported(const std::string& target, std::string_view bytes) {
  std::string error;
  if (WriteFileAtomically(target, bytes, &error)) return true;
  sink_.AppendText(batch_text::WriteFailed(target, error));
  return false;
}

bool COneFileJob::WriteBackupCopy(const std::string& target, const std::string& sourcePath, std::string_view bytes) {
  switch (settings_.existingBackupPolicy) {
    case ExistingBackupPolicy::OverwriteIfOlder: {
      if (!PathExists(target)) return WriteReported(target, bytes);
      const auto backupTime = LastWriteTime(target);
      const auto sourceTime = LastWriteTime(sourcePath);
      if (!sourceTime) return true;
      // A copy whose time cannot be read is treated as old enough to replace.
      if (!backupTime || *backupTime + 10 <= *sourceTime) return WriteReported(target, bytes);
      return true;
    }
    case ExistingBackupPolicy::NumberedName: {
      if (!PathExists(target)) return WriteReported(target, bytes);
      // The number goes before the ending of the file name; a dot in a folder name is not an
      // ending, and a name without a dot gets the number at its end.
      const std::size_t nameStart = target.size() - FileNamePart(target).size();
      std::size_t dot = target.find_last_of('.');
      if (dot == std::string::npos || dot < nameStart) dot = target.size();
      const std::string base = target.substr(0, dot);
      const std::string ending = target.substr(dot);
      for (long number = 0; number <= 1000000000L; ++number) {
        std::string candidate = base + std::to_string(number) + ending;
        if (!PathExists(candidate)) return WriteReported(candidate, bytes);
      }
      return true;
    }
    case ExistingBackupPolicy::KeepExisting:
      if (PathExists(target)) return true;
      return WriteReported(target, bytes);
    case ExistingBackupPolicy::AlwaysOverwrite:
    default:
      return WriteReported(target, bytes);
  }
}

std::string COneFileJob::RelativeTarget(const std::string& path) {
  if (settings_.keepWebStructure) {
    // The place below the web root is what follows it. (Counting characters from the end, as
    // if the root always stood in front, would cut a path that holds it further in.)
    const auto pos = path.find(settings_.webRoot);
    if (pos != std::string::npos) return path.substr(pos + settings_.webRoot.size());
    sink_.AppendText(batch_text::kNotInWeb);
    return std::string(FileNamePart(path));
  }
  if (settings_.keepFolderStructure && !settings_.startDirectory.empty() &&
      StartsWith(path, settings_.startDirectory)) {
    return path.substr(settings_.startDirectory.size());
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
