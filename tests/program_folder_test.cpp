#include "rules/program_folder.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/test_util.h"

namespace trimvale {
namespace {

using test::CEnvVar;
using test::CTempDir;
using test::ReadFile;
using test::WriteFile;

// An installed layout: <root>/prefix/bin/trimvale-cli with the defaults in
// <root>/prefix/share/trimvale, a portable copy in <root>/portable, and a home folder.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    fs::create_directories(root_ / "prefix" / "bin");
    fs::create_directories(root_ / "prefix" / "share" / "trimvale");
    fs::create_directories(root_ / "portable");
    fs::create_directories(root_ / "home");
    WriteFile(root_ / "prefix" / "share" / "trimvale" / "tageinst.txt", "[vorlagen]\r\n1=standard\r\n");
    WriteFile(root_ / "prefix" / "share" / "trimvale" / "profile.txt", "[#profile]\r\n");
    WriteFile(root_ / "portable" / "tageinst.txt", "[vorlagen]\r\n");
  }
  std::string Path(const std::string& relative) const { return (root_.path() / relative).string(); }

  CTempDir root_;
};

TEST_F(ProgramFolderTest, ResolutionOrder) {
  struct Row {
    const char* name;
    std::string explicitFolder;
    std::optional<std::string> home;  // TRIMVALE_HOME
    std::string executable;
    std::optional<std::string> xdgData;
    std::string expected;
  } rows[] = {
      {"option first", Path("opt") + "/", Path("env"), Path("portable/trimvale-cli"), Path("data"), Path("opt")},
      {"then TRIMVALE_HOME", "", Path("env") + "//", Path("portable/trimvale-cli"), Path("data"), Path("env")},
      {"then the executable's folder with tageinst.txt", "", std::nullopt, Path("portable/trimvale-cli"), Path("data"),
       Path("portable")},
      {"then the user's data folder", "", std::nullopt, Path("prefix/bin/trimvale-cli"), Path("data"),
       Path("data/trimvale")},
      {"relative XDG_DATA_HOME ignored", "", std::nullopt, Path("prefix/bin/trimvale-cli"), std::string("rel"),
       Path("home/.local/share/trimvale")},
  };
  for (const Row& row : rows) {
    CEnvVar home("TRIMVALE_HOME", row.home);
    CEnvVar xdg("XDG_DATA_HOME", row.xdgData);
    CEnvVar user("HOME", Path("home"));
    EXPECT_EQ(ResolveProgramFolder(row.explicitFolder, row.executable), row.expected) << row.name;
  }
}

TEST_F(ProgramFolderTest, SeedsTheDataFolderOnceAndKeepsUserEdits) {
  CEnvVar home("TRIMVALE_HOME", std::nullopt);
  CEnvVar xdg("XDG_DATA_HOME", Path("data"));
  const std::string exe = Path("prefix/bin/trimvale-cli");

  const std::string folder = ResolveProgramFolder("", exe);
  ASSERT_EQ(folder, Path("data/trimvale"));
  EXPECT_EQ(ReadFile(folder + "/tageinst.txt"), "[vorlagen]\r\n1=standard\r\n");
  EXPECT_EQ(ReadFile(folder + "/profile.txt"), "[#profile]\r\n");

  // The user edits one file and removes the other: the edit stays, the missing one comes back.
  WriteFile(folder + "/profile.txt", "[#profile]\r\n1=Meins\r\n");
  std::filesystem::remove(folder + "/tageinst.txt");
  EXPECT_EQ(ResolveProgramFolder("", exe), folder);
  EXPECT_EQ(ReadFile(folder + "/profile.txt"), "[#profile]\r\n1=Meins\r\n");
  EXPECT_EQ(ReadFile(folder + "/tageinst.txt"), "[vorlagen]\r\n1=standard\r\n");
}

}  // namespace
}  // namespace trimvale
