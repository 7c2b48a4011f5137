#include "rules/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "rules/rule_texts.h"

namespace trimvale {

std::string SystemErrorText(int code) { return std::strerror(code); }

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

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string dir = DirectoryOf(path);
  std::string base = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
  std::random_device rd;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = dir + "/." + base + ".trimvale-" + std::to_string(rd() % 1000000000u) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
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
