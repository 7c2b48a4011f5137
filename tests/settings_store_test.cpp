#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>


#include "rules/file_settings_store.h"
#include "rules/settings_table.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

using test::CEnvVar;
using test::CTempDir;
using test::ReadFile;
using test::WriteFile;

TEST(FileSettingsStore, AwkwardStringsSurviveARoundTrip) {
  const std::string values[] = {
      " leading blank",
      "two\r\nlines",
      "C:\\Webs\\alt",
      "\"",
      "tab\tand\x01\x1f\x7f controls",
      "[Einstellungen]",
      std::string("nul\0inside", 10),
  };
  CTempDir dir;
  const std::string path = (dir / "Trimvale.ini").string();
  {
    CFileSettingsStore store(path);
    for (std::size_t i = 0; i < std::size(values); ++i) {
      ASSERT_TRUE(store.WriteString("Test", "Wert" + std::to_string(i), values[i]));
    }
  }
  CFileSettingsStore reopened(path);
  for (std::size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(reopened.ReadString("Test", "Wert" + std::to_string(i), "default"), values[i]) << "value " << i;
  }
}

// Hand-edited or damaged quoted values are read literally where they make no sense.
TEST(FileSettingsStore, DamagedQuotedValuesReadLiterally) {
  struct Decode {
    const char* stored;
    const char* value;
  } rows[] = {{"\"abc", "\"abc"}, {"\"", "\""}, {"\"a\\x4\"", "a\\x4"}, {"\"a\\\"", "a\\"}};
  for (const Decode& row : rows) EXPECT_EQ(DecodeSettingValue(row.stored), row.value) << row.stored;
}

TEST(FileSettingsStore, DamagedFileGivesDefaults) {
  struct Row {
    const char* name;
    std::string text;
    std::int32_t width;  // what "Zeilenbreite" reads as, default 70
  } rows[] = {
      {"not a number", "[Einstellungen]\nZeilenbreite=abc\n", 70},
      {"beyond 32 bits", "[Einstellungen]\nZeilenbreite=99999999999\n", 70},
      {"blanks around are fine", "[Einstellungen]\r\n  Zeilenbreite =  80  \r\n", 80},
      {"binary garbage", std::string("\0\xff[\x01]\n=\n\xfe=\xfd\n[", 13), 70},
  };
  for (const Row& row : rows) {
    CTempDir dir;
    WriteFile(dir / "t.ini", row.text);
    CFileSettingsStore store((dir / "t.ini").string());
    EXPECT_EQ(ReadSetting(store, setting::kLineWidth), row.width) << row.name;
    EXPECT_EQ(ReadStringSetting(store, setting::kBackupEnding), ".bak") << row.name;
    EXPECT_TRUE(store.LoadError().empty()) << row.name;
  }
}

TEST(FileSettingsStore, WritingKeepsTheRestOfTheFile) {
  CTempDir dir;
  const auto path = dir / "t.ini";
  WriteFile(path, "; von Hand\n[Einstellungen]\nZeilenbreite=80\nUnbekannt=1\n\n[Tip]\nStartUp=1\n");
  CFileSettingsStore store(path.string());
  ASSERT_TRUE(store.WriteInt("einstellungen", "zeilenbreite", 100));
  ASSERT_TRUE(store.WriteInt("Einstellungen", "Baumart", 2));
  EXPECT_EQ(ReadFile(path),
            "; von Hand\n[Einstellungen]\nZeilenbreite=100\nUnbekannt=1\nBaumart=2\n\n[Tip]\nStartUp=1\n");
}

TEST(FileSettingsStore, RefusesNamesThatCannotBeReadBack) {
  CTempDir dir;
  CFileSettingsStore store((dir / "t.ini").string());
  struct Row {
    const char* section;
    const char* name;
  } rows[] = {{"Einstellungen", "a=b"},
              {"Einstellungen", "x\ny"},
              {"Ein]", "x"}};
  for (const Row& row : rows) {
    EXPECT_FALSE(store.WriteString(row.section, row.name, "v")) << row.section << "/" << row.name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "t.ini"));
}

TEST(FileSettingsStore, UnusableFileIsNeverOverwritten) {
  CTempDir dir;
  // A folder where the file should be.
  std::filesystem::create_directory(dir / "t.ini");
  CFileSettingsStore folder((dir / "t.ini").string());
  EXPECT_FALSE(folder.LoadError().empty());
  EXPECT_EQ(folder.ReadInt("Einstellungen", "Zeilenbreite", 70), 70);
  EXPECT_FALSE(folder.WriteInt("Einstellungen", "Zeilenbreite", 90));
  EXPECT_EQ(folder.ReadInt("Einstellungen", "Zeilenbreite", 70), 90) << "memory keeps the value for this run";

  if (::geteuid() == 0) return;  // root reads every file
  WriteFile(dir / "locked.ini", "[Einstellungen]\nZeilenbreite=80\n");
  ASSERT_EQ(::chmod((dir / "locked.ini").c_str(), 0200), 0);
  CFileSettingsStore locked((dir / "locked.ini").string());
  EXPECT_EQ(locked.ReadInt("Einstellungen", "Zeilenbreite", 70), 70);
  EXPECT_FALSE(locked.WriteInt("Einstellungen", "Baumart", 1));
  ASSERT_EQ(::chmod((dir / "locked.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadFile(dir / "locked.ini"), "[Einstellungen]\nZeilenbreite=80\n");
}

TEST(FileSettingsStore, DefaultPathOrder) {
  struct Row {
    const char* name;
    const char* explicitPath;
    const char* settingsEnv;
    const char* xdg;
    const char* home;
    const char* expected;
  } rows[] = {
      {"then the variable", "", "/env/y.ini", "/xdg", "/home/a", "/env/y.ini"},
      {"then XDG_CONFIG_HOME", "", nullptr, "/xdg/", "/home/a", "/xdg/Harbeck/Trimvale.ini"},
      {"a relative XDG_CONFIG_HOME is ignored", "", nullptr, "rel", "/home/a", "/home/a/.config/Harbeck/Trimvale.ini"},
  };
  for (const Row& row : rows) {
    CEnvVar settings("TRIMVALE_SETTINGS", row.settingsEnv);
    CEnvVar xdg("XDG_CONFIG_HOME", row.xdg);
    CEnvVar home("HOME", row.home);
    EXPECT_EQ(DefaultSettingsPath(row.explicitPath), row.expected) << row.name;
  }
}

}  // namespace
}  // namespace trimvale
