// Directory runs over 2,000 pages with one and with two workers. The pages are the corpus's
// pages, repeated (or a synthetic word-processor page when there is no corpus); the results go
// to an output folder, so every iteration optimizes the same sources. Compare the wall times of
// jobs:1 and jobs:2 for the speed-up of the second worker.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_optimizer.h"
#include "batch/exclusion_list.h"
#include "rules/settings_store.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;

constexpr int kPages = 2000;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string SyntheticWordPage() {
  std::string page =
      "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">\r\n<head>\r\n"
      "<meta http-equiv=Content-Type content=\"text/html; charset=windows-1252\">\r\n"
      "<style>\r\n<!-- p.MsoNormal {mso-style-parent:\"\"; margin:0cm; font-size:12.0pt;} -->\r\n</style>\r\n"
      "<!--[if gte mso 9]><xml><o:DocumentProperties><o:Author>A</o:Author></o:DocumentProperties></xml><![endif]-->"
      "\r\n</head>\r\n<body lang=DE style='tab-interval:35.4pt'>\r\n<div class=Section1>\r\n";
  for (int i = 0; i < 60; ++i) {
    page +=
        "<p class=MsoNormal style='mso-layout-grid-align:none'><span style='font-size:10.0pt;"
        "mso-bidi-font-size:12.0pt'>Absatz " +
        std::to_string(i) + " mit etwas Text, der umbrochen wird.<o:p></o:p></span></p>\r\n";
  }
  page += "</div>\r\n</body>\r\n</html>\r\n";
  return page;
}

// The page tree, made once per process and removed at its end.
class CBenchTree {
 public:
  CBenchTree() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("trimvale-batch-bench-" + std::to_string(rd()));
    fs::create_directories(root_ / "web");
    fs::create_directories(root_ / "aus");
    fs::create_directories(root_ / "programm");
    WriteExclusionList((root_ / "programm/lst.dat").string(), {});

    std::vector<std::string> pages;
    fs::path corpus = TRIMVALE_CORPUS_DIR;
    if (const char* env = std::getenv("TRIMVALE_CORPUS")) corpus = env;
    std::error_code ec;
    if (fs::is_regular_file(corpus / "MANIFEST.tsv", ec)) {
      std::vector<fs::path> paths;
      for (const auto& e : fs::directory_iterator(corpus)) {
        const auto ext = e.path().extension().string();
        if (ext == ".htm" || ext == ".html") paths.push_back(e.path());
      }
      std::sort(paths.begin(), paths.end());
      for (const auto& p : paths) pages.push_back(ReadAll(p));
    }
    usedCorpus_ = !pages.empty();
    if (pages.empty()) pages.push_back(SyntheticWordPage());
    for (int i = 0; i < kPages; ++i) {
      const fs::path folder = root_ / "web" / ("teil" + std::to_string(i / 100));
      fs::create_directories(folder);
      const std::string& page = pages[static_cast<std::size_t>(i) % pages.size()];
      std::ofstream(folder / ("seite" + std::to_string(i) + ".htm"), std::ios::binary) << page;
      bytes_ += page.size();
    }
    // Write the fresh tree out now, so that the first measured run does not pay for it.
    ::sync();
  }
  ~CBenchTree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const fs::path& Root() const { return root_; }
  std::size_t Bytes() const { return bytes_; }
  bool UsedCorpus() const { return usedCorpus_; }

 private:
  fs::path root_;
  std::size_t bytes_ = 0;
  bool usedCorpus_ = false;
};

CBenchTree& Tree() {
  static CBenchTree tree;
  return tree;
}

void BM_DirectoryRun(benchmark::State& state) {
  CBenchTree& tree = Tree();
  CMemorySettingsStore store;
  BatchSettings settings;
  settings.backupMode = BackupMode::OutputFolder;
  settings.folder = (tree.Root() / "aus").string();
  settings.allowedLevel = 2;
  CRunConfig config;
  CNullSink sink;
  CBatchOptimizer batch(store, config, sink, (tree.Root() / "programm").string(), static_cast<int>(state.range(0)));
  int optimized = 0;
  for (auto _ : state) {
    CDirectoryRun run;
    run.directory = (tree.Root() / "web").string();
    run.includeSubfolders = true;
    run.settings = settings;
    if (batch.RunDirectory(run) != RunStart::Started) {
      state.SkipWithError("run did not start");
      break;
    }
    batch.WaitUntilIdle();
    optimized = batch.OptimizedCount();
  }
  state.counters["files"] = optimized;
  state.counters["corpus"] = tree.UsedCorpus() ? 1 : 0;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(tree.Bytes()));
}

BENCHMARK(BM_DirectoryRun)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace trimvale
