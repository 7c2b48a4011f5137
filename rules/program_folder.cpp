#include "rules/program_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "rules/file_io.h"

namespace trimvale {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSeedFiles[] = {"tageinst.txt", "profile.txt"};

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string FolderOf(const std::string& file) {
  const auto slash = file.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return file.substr(0, slash);
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string UserDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    return WithoutTrailingSlash(xdg) + "/trimvale";
  }
  const std::string home = UserHomeFolder();
  if (home.empty()) return {};
  return WithoutTrailingSlash(home) + "/.local/share/trimvale";
}

// Copies each default file that the folder does not hold yet. The copy is written atomically,
// so an interrupted first start never leaves a half-written rule file behind.
void SeedFolder(const std::string& folder, const std::string& executablePath) {
  if (executablePath.empty()) return;
  const std::string defaults = InstalledDataFolder(executablePath);
  for (const char* name : kSeedFiles) {
    const std::string target = folder + "/" + name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) continue;
    std::string bytes;
    if (!ReadRegularFile(defaults + "/" + name, bytes, kMaxRuleFileSize)) continue;
    WriteFileAtomically(target, bytes);
  }
}

}  // namespace

std::string InstalledDataFolder(const std::string& executablePath) {
  return executablePath.empty() ? std::string() : FolderOf(executablePath) + "/../share/trimvale";
}

std::string UserHomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir) {
    return result->pw_dir;
  }
  return {};
}

std::string ExecutablePath() {
  std::error_code ec;
  const fs::path path = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

std::string ResolveProgramFolder(const std::string& explicitFolder, const std::string& executablePath) {
  if (!explicitFolder.empty()) return WithoutTrailingSlash(explicitFolder);
  if (const char* home = std::getenv("TRIMVALE_HOME"); home && *home) return WithoutTrailingSlash(home);
  if (!executablePath.empty()) {
    const std::string own = FolderOf(executablePath);
    if (IsRegularFile(own + "/tageinst.txt")) return WithoutTrailingSlash(own);
  }
  const std::string data = UserDataFolder();
  if (data.empty()) return executablePath.empty() ? std::string(".") : FolderOf(executablePath);
  std::error_code ec;
  fs::create_directories(data, ec);
  SeedFolder(data, executablePath);
  return data;
}

}  // namespace trimvale
