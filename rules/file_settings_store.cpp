#include "rules/file_settings_store.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "rules/file_io.h"
#include "rules/program_folder.h"

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
  if (ReadWholeFile(path_, bytes, &loadError_)) {
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
  if (!text_.Set(section, name, encoded)) return false;
  if (!fileWritable_) return false;
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(path_).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
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
