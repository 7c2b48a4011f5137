#include "bench/bench_pages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "rules/section_file.h"

namespace trimvale::bench {

namespace {
std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string SeedPage() {
  const std::filesystem::path corpus = TRIMVALE_CORPUS_DIR;
  // The fastpath manual: 1.3 MB of tables, lists, fields and vector markup in Windows-1252.
  const auto big = corpus / "018-fastpath-index.htm";
  if (std::filesystem::exists(big)) return Read(big);
  return Read(std::filesystem::path(TRIMVALE_SOURCE_DIR) / "resources/samples/rundschreiben.htm");
}

std::size_t FindNoCase(const std::string& text, const std::string& needle, std::size_t from = 0) {
  auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), needle.begin(), needle.end(),
                        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
  return it == text.end() ? std::string::npos : static_cast<std::size_t>(it - text.begin());
}
}  // namespace

const std::shared_ptr<const CTagLayoutTable>& StandardTable() {
  static const auto table = std::make_shared<const CTagLayoutTable>(
      ReadLayoutProfile(std::string(TRIMVALE_SOURCE_DIR) + "/resources/tageinst.txt", "standard").table);
  return table;
}

const std::vector<std::string>& CorpusPages() {
  static const std::vector<std::string> pages = [] {
    std::vector<std::string> out;
    const std::filesystem::path corpus = TRIMVALE_CORPUS_DIR;
    if (!std::filesystem::exists(corpus)) return out;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
      const auto ext = entry.path().extension();
      if (ext == ".htm" || ext == ".html") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& p : paths) out.push_back(Read(p));
    return out;
  }();
  return pages;
}

std::string RepeatedPage(std::size_t bytes) {
  const std::string seed = SeedPage();
  std::size_t bodyStart = FindNoCase(seed, "<body");
  bodyStart = bodyStart == std::string::npos ? 0 : seed.find('>', bodyStart) + 1;
  std::size_t bodyEnd = FindNoCase(seed, "</body", bodyStart);
  if (bodyEnd == std::string::npos) bodyEnd = seed.size();
  const std::string body = seed.substr(bodyStart, bodyEnd - bodyStart);
  std::string page = seed.substr(0, bodyStart);
  page.reserve(bytes + seed.size());
  while (page.size() < bytes) page += body;
  page += seed.substr(bodyEnd);
  return page;
}

}  // namespace trimvale::bench
