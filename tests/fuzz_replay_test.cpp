// Replays every input kept in fuzz/regressions/<target>/ through the fuzz target's own entry
// function, so an input that once crashed, hung or leaked stays fixed in the normal test run
// (under the sanitizers of the asan build). Files ending in ".note" describe an input and are
// not replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/test_util.h"

#define TRIMVALE_FUZZ_TARGET(name) extern "C" int TrimvaleFuzz_##name(const std::uint8_t* data, std::size_t size);
#include "fuzz_targets.inc"
#undef TRIMVALE_FUZZ_TARGET

namespace trimvale {
namespace {

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

const std::map<std::string, FuzzEntry>& FuzzTargets() {
  static const std::map<std::string, FuzzEntry> targets = {
#define TRIMVALE_FUZZ_TARGET(name) {#name, &TrimvaleFuzz_##name},
#include "fuzz_targets.inc"
#undef TRIMVALE_FUZZ_TARGET
  };
  return targets;
}

const std::filesystem::path kRegressions = std::filesystem::path(TRIMVALE_SOURCE_DIR) / "fuzz" / "regressions";

struct CSavedInput {
  std::string target;
  std::filesystem::path path;
};

void PrintTo(const CSavedInput& input, std::ostream* out) { *out << input.path.string(); }

std::vector<CSavedInput> SavedInputs() {
  std::vector<CSavedInput> inputs;
  for (const auto& [target, entry] : FuzzTargets()) {
    std::error_code ec;
    for (const auto& file : std::filesystem::directory_iterator(kRegressions / target, ec)) {
      if (file.is_regular_file() && file.path().extension() != ".note") inputs.push_back({target, file.path()});
    }
  }
  std::sort(inputs.begin(), inputs.end(), [](const CSavedInput& a, const CSavedInput& b) { return a.path < b.path; });
  return inputs;
}

std::string TestName(const testing::TestParamInfo<CSavedInput>& info) {
  std::string name = info.param.target + "_" + info.param.path.filename().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name + "_" + std::to_string(info.index);
}

class FuzzReplay : public testing::TestWithParam<CSavedInput> {};

TEST_P(FuzzReplay, RunsCleanly) {
  const std::string bytes = test::ReadFile(GetParam().path);
  // The target aborts on a broken invariant and the sanitizers stop the program on a fault; both
  // fail this test. Reaching the end is the pass.
  EXPECT_EQ(FuzzTargets().at(GetParam().target)(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0)
      << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Saved, FuzzReplay, testing::ValuesIn(SavedInputs()), TestName);

// A folder of saved inputs whose target was renamed or removed would silently stop being replayed.
TEST(FuzzReplayFolders, EachFolderBelongsToATarget) {
  for (const auto& folder : std::filesystem::directory_iterator(kRegressions)) {
    if (!folder.is_directory()) continue;
    EXPECT_TRUE(FuzzTargets().count(folder.path().filename().string()))
        << folder.path() << " has no fuzz target fuzz/" << folder.path().filename().string() << "_fuzz.cpp";
  }
}

}  // namespace
}  // namespace trimvale
