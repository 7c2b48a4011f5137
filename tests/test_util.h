#pragma once
// Helpers shared by the tests: the corpus folder, temporary folders, reading and writing files.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rules/tag_layout.h"

namespace trimvale::test {

// The shared corpus of real pages, or nullopt when this machine has none (tests then skip).
// TRIMVALE_CORPUS overrides the folder.
std::optional<std::filesystem::path> CorpusDir();

// Every page of the corpus (sorted by name); empty without a corpus.
std::vector<std::filesystem::path> CorpusPages();

// Skips the current test with a notice when there is no corpus.
#define TRIMVALE_REQUIRE_CORPUS()                                                    \
  do {                                                                               \
    if (!::trimvale::test::CorpusDir()) GTEST_SKIP() << "corpus folder not present"; \
  } while (0)

// A fresh, empty folder removed with everything in it when the object goes.
class CTempDir {
 public:
  CTempDir();
  ~CTempDir();
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Sets (or, with no value, unsets) an environment variable for the life of the object and
// restores it afterwards.
class CEnvVar {
 public:
  CEnvVar(const char* name, const std::optional<std::string>& value);
  CEnvVar(const char* name, const char* value)
      : CEnvVar(name, value ? std::optional<std::string>(value) : std::nullopt) {}
  ~CEnvVar();
  CEnvVar(const CEnvVar&) = delete;
  CEnvVar& operator=(const CEnvVar&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The "standard" profile of the installed resources/tageinst.txt, loaded once.
const std::shared_ptr<const CTagLayoutTable>& InstalledStandardTable();

}  // namespace trimvale::test
