#include "rules/file_settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "rules/file_io.h"
#include "rules/program_folder.h"
#include "rules/rule_texts.h"

namespace trimvale {

namespace {

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (value.front() == ' ' || value.back() == ' ') return true;
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\' || c == ';' || c == '=') return true;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ValidNames(std::string_view section, std::string_view name) {
  return CIniText::IsValidSectionName(section) && CIniText::IsValidKey(name);
}

// An exclusive lock on the settings file itself, held for one read-change-write, so that two
// programs writing at once (the desktop program and a command line, or twenty scripts) never
// write a file that lacks the other's value. Every write replaces the file by a new one; a lock
// won on a file that was replaced while waiting guards nothing, so then the new file is locked.
class CSettingsFileLock {
 public:
  // Opens the file, creating it empty when missing (an empty file is an empty store), and waits
  // for the lock. False with the reason in `error` when the file cannot be opened or locked.
  bool Acquire(const std::string& path, std::string& error) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      // O_NONBLOCK: a FIFO in the file's place must not hang the open; it is refused below.
      fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
      if (fd_ < 0) return Fail(errno, error);
      while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) return Fail(errno, error);
      }
      struct stat locked {}, current {};
      if (::fstat(fd_, &locked) != 0) return Fail(errno, error);
      if (!S_ISREG(locked.st_mode)) {
        error = std::string(file_text::kNotARegularFile);
        Release();
        return false;
      }
      if (::stat(path.c_str(), &current) == 0 && current.st_dev == locked.st_dev && current.st_ino == locked.st_ino) {
        return true;
      }
      Release();
    }
    return Fail(EAGAIN, error);
  }
  ~CSettingsFileLock() { Release(); }

 private:
  bool Fail(int code, std::string& error) {
    error = SystemErrorText(code);
    Release();
    return false;
  }
  void Release() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor of the file drops the lock
    fd_ = -1;
  }
  int fd_ = -1;
};

}  // namespace

std::string EncodeSettingValue(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

std::string DecodeSettingValue(std::string_view stored) {
  if (stored.size() < 2 || stored.front() != '"' || stored.back() != '"') return std::string(stored);
  const std::string_view inner = stored.substr(1, stored.size() - 2);
  std::string out;
  out.reserve(inner.size());
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] != '\\' || i + 1 == inner.size()) {
      out += inner[i];
      continue;
    }
    const char e = inner[i + 1];
    switch (e) {
      case '\\':
        out += '\\';
        ++i;
        break;
      case '"':
        out += '"';
        ++i;
        break;
      case 'r':
        out += '\r';
        ++i;
        break;
      case 'n':
        out += '\n';
        ++i;
        break;
      case 't':
        out += '\t';
        ++i;
        break;
      case 'x':
        if (i + 3 < inner.size() && HexDigit(inner[i + 2]) >= 0 && HexDigit(inner[i + 3]) >= 0) {
          out += static_cast<char>(HexDigit(inner[i + 2]) * 16 + HexDigit(inner[i + 3]));
          i += 3;
        } else {
          out += '\\';
        }
        break;
      default:
        out += '\\';  // not an escape: the backslash stands for itself
    }
  }
  return out;
}

CFileSettingsStore::CFileSettingsStore(std::string path) : path_(std::move(path)) {
  if (path_.empty()) {
    fileWritable_ = false;
    return;
  }
  std::error_code ec;
  const auto status = std::filesystem::status(path_, ec);
  if (status.type() == std::filesystem::file_type::not_found) return;  // first run: created by the first write
  std::string bytes;
  if (ReadRegularFile(path_, bytes, kMaxRuleFileSize, &loadError_)) {
    text_ = CIniText(std::move(bytes));
  } else {
    fileWritable_ = false;
  }
}

std::int32_t CFileSettingsStore::ReadInt(std::string_view section, std::string_view name, std::int32_t def) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto stored = text_.Find(section, name);
  if (!stored) return def;
  const std::string decoded = DecodeSettingValue(*stored);
  const std::string_view digits = TrimBlanks(decoded);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty()) ? value : def;
}

std::string CFileSettingsStore::ReadString(std::string_view section, std::string_view name,
                                           std::string_view def) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto stored = text_.Find(section, name);
  return stored ? DecodeSettingValue(*stored) : std::string(def);
}

bool CFileSettingsStore::WriteInt(std::string_view section, std::string_view name, std::int32_t value) {
  return Store(section, name, std::to_string(value));
}

bool CFileSettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value) {
  return Store(section, name, EncodeSettingValue(value));
}

bool CFileSettingsStore::Store(std::string_view section, std::string_view name, const std::string& encoded) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ValidNames(section, name)) return false;
  auto keepInMemory = [&] {
    text_.Set(section, name, encoded);
    return false;
  };
  if (!fileWritable_) return keepInMemory();
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(path_).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  CSettingsFileLock fileLock;
  std::string error, bytes;
  if (!fileLock.Acquire(path_, error)) return keepInMemory();
  // Another program may have written since this store read the file: the change goes into the
  // file as it is now, so that no one's value is lost.
  if (!ReadRegularFile(path_, bytes, kMaxRuleFileSize, &error)) return keepInMemory();
  CIniText current(std::move(bytes));
  if (!current.Set(section, name, encoded)) return keepInMemory();
  text_ = std::move(current);
  return WriteFileAtomically(path_, text_.Text());
}

std::string DefaultSettingsPath(const std::string& explicitPath) {
  if (!explicitPath.empty()) return explicitPath;
  if (const char* env = std::getenv("TRIMVALE_SETTINGS"); env && *env) return env;
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    config = xdg;
  } else {
    const std::string home = UserHomeFolder();
    if (home.empty()) return {};
    config = home + "/.config";
  }
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  return config + "/Harbeck/Trimvale.ini";
}

}  // namespace trimvale
