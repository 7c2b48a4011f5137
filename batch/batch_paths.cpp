#include "batch/batch_paths.h"

#include <sys/stat.h>

#include "rules/text_util.h"

namespace trimvale {

std::string JoinPath(std::string_view folder, std::string_view rel) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  while (!rel.empty() && rel.front() == '/') rel.remove_prefix(1);
  std::string out(folder);
  if (rel.empty()) return out;
  if (out.empty() || out.back() != '/') out += '/';
  out.append(rel);
  return out;
}

std::string_view FileNamePart(std::string_view path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool PathIsInFolder(std::string_view path, std::string_view folder) {
  if (folder.empty()) return false;
  while (!folder.empty() && folder.back() == '/') folder.remove_suffix(1);
  if (folder.empty()) return true;  // the root holds everything
  const std::string lowerPath = ToLowerAscii(path);
  const std::string lowerFolder = ToLowerAscii(folder);
  for (std::size_t at = lowerPath.find(lowerFolder); at != std::string::npos;
       at = lowerPath.find(lowerFolder, at + 1)) {
    const std::size_t end = at + lowerFolder.size();
    if (end == lowerPath.size() || lowerPath[end] == '/') return true;
  }
  return false;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::time_t> LastWriteTime(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return st.st_mtime;
}

}  // namespace trimvale
