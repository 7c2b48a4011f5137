#include "rules/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>

#include "rules/rule_texts.h"

namespace trimvale {

namespace {
// The reasons a user meets every day, in the program's language; any other reason is given in
// the system's own words, which are at least exact.
struct CErrorText {
  int code;
  const char* text;
};
constexpr CErrorText kErrorTexts[] = {
    {ENOENT, "Datei oder Verzeichnis nicht gefunden"},
    {EACCES, "Zugriff verweigert"},
    {EPERM, "Zugriff verweigert"},
    {ENOSPC, "Kein Speicherplatz mehr auf dem Datenträger"},
    {EDQUOT, "Speicherplatzkontingent überschritten"},
    {EFBIG, "Datei zu groß"},
    {EROFS, "Schreibgeschütztes Dateisystem"},
    {ENAMETOOLONG, "Dateiname zu lang"},
    {EISDIR, "Ist ein Verzeichnis"},
    {ENOTDIR, "Ist kein Verzeichnis"},
};
}  // namespace

std::string SystemErrorText(int code) {
  for (const CErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  // strerror may share one buffer between threads; the batch reports from several.
  char buffer[256];
  return ::strerror_r(code, buffer, sizeof buffer);
}

namespace {
void SetError(std::string* error, int code) {
  if (error) *error = SystemErrorText(code);
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}
}  // namespace

namespace {

enum class ReadKind { AnyFile, RegularOnly };

bool ReadFileImpl(const std::string& path, std::string& out, ReadKind kind, std::uint64_t maxBytes,
                  std::string* error) {
  out.clear();
  // Without O_NONBLOCK the open of a FIFO waits for a writer, possibly for ever. A regular file
  // ignores the flag.
  const int flags = O_RDONLY | O_CLOEXEC | (kind == ReadKind::RegularOnly ? O_NONBLOCK : 0);
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int code = errno;
    ::close(fd);
    SetError(error, code);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    SetError(error, EISDIR);
    return false;
  }
  if (kind == ReadKind::RegularOnly && !S_ISREG(st.st_mode)) {
    ::close(fd);
    if (error) *error = std::string(file_text::kNotARegularFile);
    return false;
  }
  auto tooLarge = [&] {
    ::close(fd);
    if (error) *error = file_text::TooLarge(maxBytes);
    return false;
  };
  if (st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > maxBytes) return tooLarge();
  if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      ::close(fd);
      out.clear();
      SetError(error, code);
      return false;
    }
    if (n == 0) break;
    if (out.size() + static_cast<std::uint64_t>(n) > maxBytes) {
      out.clear();
      return tooLarge();
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
  return ReadFileImpl(path, out, ReadKind::AnyFile, UINT64_MAX, error);
}

bool ReadRegularFile(const std::string& path, std::string& out, std::uint64_t maxBytes, std::string* error) {
  return ReadFileImpl(path, out, ReadKind::RegularOnly, maxBytes, error);
}


namespace {
// Where a write to `path` must land so that a symbolic link stays a link: the end of its chain
// of links, which may not exist yet. Relative link targets count from the link's own folder.
// After too many links (a loop) the path itself is returned; the write then fails as the
// system says.
std::string FinalLinkTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return path;
    std::string target(buffer, static_cast<std::size_t>(n));
    if (target.front() != '/') target = DirectoryOf(path) + "/" + target;
    path = std::move(target);
  }
  return path;
}

// A name for the temporary file that stays short whatever the target's name, so a target whose
// name is near the system's limit can still be written.
std::string TemporaryName(const std::string& dir, std::mt19937& random) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = dir + "/.tv";
  for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
  return name + ".tmp";
}
}  // namespace

bool WriteFileAtomically(const std::string& requestedPath, std::string_view bytes, std::string* error,
                         const std::string& likeFile) {
  const std::string path = FinalLinkTarget(requestedPath);
  const std::string dir = DirectoryOf(path);

  // What the new file takes over: the mode, owner and group of the file it is made like, else of
  // the file it replaces. A file this user may not write is not replaced: the folder may allow
  // the rename, but the file's own protection says no.
  struct stat existing {};
  const bool replaces = ::stat(path.c_str(), &existing) == 0;
  if (replaces && S_ISDIR(existing.st_mode)) {
    SetError(error, EISDIR);
    return false;
  }
  if (replaces && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    SetError(error, errno);
    return false;
  }
  struct stat model = existing;
  bool hasModel = replaces;
  if (!likeFile.empty()) {
    struct stat like {};
    if (::stat(likeFile.c_str(), &like) == 0) {
      model = like;
      hasModel = true;
    }
  }

  std::random_device seed;
  std::mt19937 random(seed());
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TemporaryName(dir, random);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  if (hasModel) {
    // Only a privileged process may give a file away; anyone else keeps at least the group where
    // it belongs to it, and otherwise the file as its own, which is no reason to fail. The mode
    // follows the owner, since a change of owner clears it partly; set-id bits are never copied.
    if (::fchown(fd, model.st_uid, model.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), model.st_gid) != 0) {
      errno = 0;
    }
    ::fchmod(fd, model.st_mode & 0777);
  }
  int code = 0;
  if (!WriteAll(fd, bytes)) code = errno;
  if (code == 0 && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && ::rename(temp.c_str(), path.c_str()) != 0) code = errno;
  if (code != 0) {
    ::unlink(temp.c_str());
    SetError(error, code);
    return false;
  }
  return true;
}

}  // namespace trimvale
