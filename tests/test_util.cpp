#include "tests/test_util.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "rules/section_file.h"

namespace trimvale::test {

std::optional<std::filesystem::path> CorpusDir() {
  std::filesystem::path dir = TRIMVALE_CORPUS_DIR;
  if (const char* env = std::getenv("TRIMVALE_CORPUS")) dir = env;
  std::error_code ec;
  if (std::filesystem::is_regular_file(dir / "MANIFEST.tsv", ec)) return dir;
  return std::nullopt;
}

std::vector<std::filesystem::path> CorpusPages() {
  std::vector<std::filesystem::path> pages;
  auto dir = CorpusDir();
  if (!dir) return pages;
  for (const auto& entry : std::filesystem::directory_iterator(*dir)) {
    const auto ext = entry.path().extension().string();
    if (ext == ".htm" || ext == ".html") pages.push_back(entry.path());
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

CTempDir::CTempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("trimvale-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

CTempDir::~CTempDir() {
  std::error_code ec;
  // Tests may take write permission away from files and folders; give it back before removing.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

CEnvVar::CEnvVar(const char* name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

CEnvVar::~CEnvVar() {
  if (old_) {
    ::setenv(name_, old_->c_str(), 1);
  } else {
    ::unsetenv(name_);
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const std::shared_ptr<const CTagLayoutTable>& InstalledStandardTable() {
  static const auto table = [] {
    CLayoutProfileRead read = ReadLayoutProfile(std::string(TRIMVALE_SOURCE_DIR) + "/resources/tageinst.txt", "standard");
    EXPECT_TRUE(read.found) << "resources/tageinst.txt has no \"standard\"";
    return std::make_shared<const CTagLayoutTable>(std::move(read.table));
  }();
  return table;
}

}  // namespace trimvale::test
