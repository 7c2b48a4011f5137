#include "batch/batch_paths.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <utility>

#include "batch/batch_texts.h"
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

std::string ResolvedPath(const std::string& path) {
  // The longest leading part that exists is resolved by the system; the rest is appended.
  std::string head = path;
  std::string tail;
  for (;;) {
    if (char* resolved = ::realpath(head.empty() ? "/" : head.c_str(), nullptr)) {
      std::string out(resolved);
      std::free(resolved);
      return tail.empty() ? out : JoinPath(out, tail);
    }
    const auto slash = head.find_last_of('/');
    if (slash == std::string::npos) return path;
    tail = tail.empty() ? head.substr(slash + 1) : head.substr(slash + 1) + "/" + tail;
    head.resize(slash);
  }
}

std::string ResolvedFolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return path;
  return JoinPath(ResolvedPath(slash == 0 ? "/" : path.substr(0, slash)), path.substr(slash + 1));
}

namespace {
// `resolved` below the folder, both already resolved.
std::optional<std::string> Below(const std::string& resolved, std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder == "/") return resolved;
  if (!StartsWith(resolved, folder)) return std::nullopt;
  if (resolved.size() == folder.size()) return std::string();
  if (resolved[folder.size()] != '/') return std::nullopt;
  return resolved.substr(folder.size());
}
}  // namespace

std::optional<std::string> PathBelowFolder(const std::string& path, const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  return Below(ResolvedFolderOf(path), ResolvedPath(folder));
}

bool PathIsInFolder(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  return Below(ResolvedPath(path), ResolvedPath(folder)).has_value();
}

std::string PrintablePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  auto escape = [&](unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
  };
  auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(path[i]); };
  for (std::size_t i = 0; i < path.size();) {
    const unsigned char c = byteAt(i);
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7F) {
        escape(c);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 1;
    bool valid = length > 1 && i + length <= path.size();
    for (std::size_t k = 1; valid && k < length; ++k) valid = (byteAt(i + k) & 0xC0) == 0x80;
    if (valid && !(c == 0xC2 && byteAt(i + 1) <= 0x9F)) {
      out.append(path.substr(i, length));
      i += length;
    } else if (valid) {
      // U+0080..U+009F: a UTF-8 terminal takes these as controls as well.
      escape(c);
      escape(byteAt(i + 1));
      i += 2;
    } else {
      // A byte outside a UTF-8 sequence (a Latin-1 name): only the C1 range is a control.
      if (c <= 0x9F) {
        escape(c);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
    }
  }
  return out;
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

std::vector<std::string> UniqueFilePaths(const std::vector<std::string>& paths) {
  std::vector<std::string> unique;
  std::set<std::pair<dev_t, ino_t>> seenFiles;
  std::set<std::string> seenPaths;
  for (const std::string& path : paths) {
    struct stat st {};
    const bool fresh = ::stat(path.c_str(), &st) == 0 ? seenFiles.insert({st.st_dev, st.st_ino}).second
                                                      : seenPaths.insert(path).second;
    if (fresh) unique.push_back(path);
  }
  return unique;
}

}  // namespace trimvale

namespace trimvale::batch_text {

std::string PathLine(std::string_view text, std::string_view path) {
  std::string line(text);
  line.append(PrintablePath(path)).append("\r\n");
  return line;
}

std::string WriteFailed(std::string_view path, std::string_view reason) {
  std::string text(kWriteFailed);
  text.append(PrintablePath(path)).append(": ").append(reason).append("\r\n");
  return text;
}

}  // namespace trimvale::batch_text
