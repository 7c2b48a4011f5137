#include "batch/directory_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "batch/batch_paths.h"
#include "batch/batch_texts.h"
#include "batch/exclusion_list.h"
#include "rules/settings_table.h"
#include "rules/text_util.h"

namespace trimvale {

bool LoadDirectoryFilters(const ISettingsStore& store, const std::string& programFolder, DirectoryFilters& f) {
  using namespace setting;
  f.byDate = ReadSetting(store, kFilterByDate) != 0;
  f.byCreated = ReadSetting(store, kDateCreated) != 0;
  f.byChanged = ReadSetting(store, kDateChanged) != 0;
  f.days = ReadSetting(store, kDays);
  f.skipDirStrings = ReadSetting(store, kSkipDirStrings) != 0;
  f.dirStrings = CurrentHistoryEntry(ReadStringSetting(store, kDirStrings));
  f.skipListedDirs = ReadSetting(store, kSkipListedDirs) != 0;
  f.useFileStrings = ReadSetting(store, kUseFileStrings) != 0;
  f.fileStrings = CurrentHistoryEntry(ReadStringSetting(store, kFileStrings));
  f.anyString = ReadSetting(store, kAnyString) != 0;
  f.onlyMatching = ReadSetting(store, kOnlyMatching) != 0;
  const bool read = ReadExclusionList(JoinPath(programFolder, kExclusionListFileName), f.excludedDirs);
  f.exclusionListFailed = !read;
  return read;
}

std::string CurrentHistoryEntry(std::string_view history) {
  const auto first = history.find('%');
  if (first == std::string_view::npos) return ToLowerAscii(history);
  const auto next = history.find('%', first + 1);
  const auto end = next == std::string_view::npos ? history.size() : next;
  return ToLowerAscii(history.substr(first + 1, end - first - 1));
}

std::vector<std::string> SplitTokens(std::string_view text) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::vector<std::string> tokens;
  std::size_t start = 0;
  for (std::size_t semi = text.find(';'); semi != std::string_view::npos; semi = text.find(';', start)) {
    std::string_view token = text.substr(start, semi - start);
    while (!token.empty() && isBlank(token.front())) token.remove_prefix(1);
    while (!token.empty() && isBlank(token.back())) token.remove_suffix(1);
    tokens.emplace_back(token);
    start = semi + 1;
  }
  return tokens;
}

namespace {
std::string_view WithoutTrailingSeparator(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

// Creation time where the file system keeps one; the last-write time otherwise, which is never
// earlier than the creation.
std::optional<std::time_t> CreationTime(const std::string& path) {
  struct statx stx {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &stx) != 0) return std::nullopt;
  if (stx.stx_mask & STATX_BTIME) return static_cast<std::time_t>(stx.stx_btime.tv_sec);
  return static_cast<std::time_t>(stx.stx_mtime.tv_sec);
}

bool PassesAge(std::optional<std::time_t> t, int days, std::time_t now) {
  if (!t) return false;
  if (now < *t) return false;  // a time in the future
  const std::int64_t minutes = (static_cast<std::int64_t>(now) - *t) / 60;
  return minutes <= static_cast<std::int64_t>(days) * 1440;
}
}  // namespace

bool SkipsDirectory(const DirectoryFilters& filters, const std::string& dir) {
  const std::string p = ToLowerAscii(dir);
  if (filters.skipDirStrings) {
    for (const std::string& token : SplitTokens(filters.dirStrings)) {
      if (Contains(p, token)) return true;
    }
  }
  if (filters.skipListedDirs) {
    // Compared resolved and as whole folders from the front, so a listed folder is skipped
    // however the walk reaches it, and a folder that only begins with a listed name is not.
    for (const std::string& entry : filters.excludedDirs) {
      if (PathIsInFolder(dir, std::string(WithoutTrailingSeparator(entry)))) return true;
    }
  }
  return false;
}

std::vector<std::string> ParseExtensions(std::string_view list) {
  std::vector<std::string> endings;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(";,", start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view ending = list.substr(start, end - start);
    while (!ending.empty() && (ending.front() == ' ' || ending.front() == '\t')) ending.remove_prefix(1);
    while (!ending.empty() && (ending.back() == ' ' || ending.back() == '\t')) ending.remove_suffix(1);
    if (!ending.empty() && ending.front() == '.') ending.remove_prefix(1);
    if (!ending.empty()) endings.push_back(ToLowerAscii(ending));
    start = end + 1;
  }
  return endings;
}

std::string NormalizeExtensions(std::string_view list) {
  std::string out;
  for (const std::string& ending : ParseExtensions(list)) out.append(".").append(ending).append(";");
  return out;
}

bool PassesFileFilters(const DirectoryFilters& filters, std::string_view extensions, const std::string& path,
                       std::string_view name, std::time_t now) {
  if (filters.byDate) {
    if (filters.byCreated && !PassesAge(CreationTime(path), filters.days, now)) return false;
    if (filters.byChanged && !PassesAge(LastWriteTime(path), filters.days, now)) return false;
  }

  const std::string m = ToLowerAscii(name);
  // A name without a dot is its own ending, so a file named "htm" passes ".htm;".
  const auto dot = m.find_last_of('.');
  const std::string_view ending = dot == std::string::npos ? std::string_view(m) : std::string_view(m).substr(dot + 1);
  const std::vector<std::string> endings = ParseExtensions(extensions);
  if (std::find(endings.begin(), endings.end(), ending) == endings.end()) return false;

  if (filters.useFileStrings && !filters.fileStrings.empty()) {
    const auto tokens = SplitTokens(filters.fileStrings);
    if (!tokens.empty()) {
      std::size_t found = 0;
      for (const std::string& token : tokens) {
        if (Contains(m, token)) ++found;
      }
      const bool any = found > 0;
      const bool all = found == tokens.size();
      if (filters.onlyMatching) return filters.anyString ? any : all;
      return filters.anyString ? !any : !all;
    }
  }
  return true;
}

namespace {
struct CDirEntry {
  std::string name;
  std::string key;  // the name with ASCII letters upper-cased: the sort key
};

// The entries of `dir` without "." and "..", sorted; nullopt when it cannot be listed.
std::optional<std::vector<CDirEntry>> ListSorted(const std::string& dir) {
  std::vector<CDirEntry> entries;
  std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), ::closedir);
  if (!handle) return std::nullopt;
  while (const dirent* e = ::readdir(handle.get())) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    CDirEntry entry{std::string(name), std::string(name)};
    for (char& c : entry.key) c = AsciiUpper(c);
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const CDirEntry& a, const CDirEntry& b) {
    // Compared as unsigned bytes; the raw name breaks ties between names that differ in case only.
    const auto ua =
        std::basic_string_view<unsigned char>(reinterpret_cast<const unsigned char*>(a.key.data()), a.key.size());
    const auto ub =
        std::basic_string_view<unsigned char>(reinterpret_cast<const unsigned char*>(b.key.data()), b.key.size());
    if (ua != ub) return ua < ub;
    return a.name < b.name;
  });
  return entries;
}

struct CWalkFrame {
  std::string dir;
  std::vector<CDirEntry> entries;
  std::size_t next = 0;
};
}  // namespace

int WalkDirectory(const std::string& dir, const CWalkOptions& options,
                  const std::function<void(const std::string& file)>& onFile) {
  const BatchSettings& settings = options.settings;
  auto cancelled = [&] { return options.cancelRequested.load(std::memory_order_relaxed); };
  int unreadable = 0;

  // Entering a directory: refused below the backup folder (an empty folder names none).
  auto enter = [&](const std::string& d, std::vector<CWalkFrame>& stack) {
    if (cancelled()) return;
    if (settings.backupMode != BackupMode::SameFolder && PathIsInFolder(d, settings.folder)) {
      options.sink.AppendText(batch_text::kBackupFolderRefused);
      return;
    }
    auto entries = ListSorted(d);
    if (!entries) {
      // Pages in it would otherwise be left out without a word, and the run would look complete.
      options.sink.AppendText(batch_text::PathLine(batch_text::kCannotListFolder, d));
      ++unreadable;
      return;
    }
    stack.push_back(CWalkFrame{d, std::move(*entries), 0});
  };

  std::vector<CWalkFrame> stack;
  enter(dir, stack);
  while (!stack.empty()) {
    if (cancelled()) break;
    CWalkFrame& frame = stack.back();
    if (frame.next == frame.entries.size()) {
      stack.pop_back();
      continue;
    }
    const CDirEntry& entry = frame.entries[frame.next++];
    std::string path = JoinPath(frame.dir, entry.name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (!options.includeSubfolders || SkipsDirectory(options.filters, path)) continue;
      enter(path, stack);  // may invalidate `frame` and `entry`
    } else if (S_ISREG(st.st_mode)) {
      if (!PassesFileFilters(options.filters, options.extensions, path, entry.name, std::time(nullptr))) continue;
      onFile(path);
    }
  }
  return unreadable;
}

}  // namespace trimvale
