#include "rules/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/test_util.h"

namespace trimvale {
namespace {

namespace fs = std::filesystem;

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

int EntriesIn(const fs::path& dir) {
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++entries;
  return entries;
}

TEST(FileIo, AtomicWriteKeepsModeAndOwnerOfTheReplacedOrTheModelFile) {
  test::CTempDir dir;
  const fs::path page = dir / "a.htm", copy = dir / "a.htm.bak";
  test::WriteFile(page, "old");
  ::chmod(page.c_str(), 0640);
  // Root may give the file away; it must then keep its owner rather than become root's.
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(page.c_str(), 65534, 65534), 0);
  }
  ASSERT_TRUE(WriteFileAtomically(page.string(), std::string("new\0bytes", 9)));
  EXPECT_EQ(test::ReadFile(page), std::string("new\0bytes", 9));
  EXPECT_EQ(StatOf(page).st_mode & 07777, 0640u);
  // A new copy is made like the page, not readable by everyone.
  ASSERT_TRUE(WriteFileAtomically(copy.string(), "old", nullptr, page.string()));
  EXPECT_EQ(StatOf(copy).st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(StatOf(page).st_uid, 65534u);
    EXPECT_EQ(StatOf(copy).st_gid, 65534u);
  }
  EXPECT_EQ(EntriesIn(dir.path()), 2) << "a temporary file was left";
}

// The link stays a link and the file it leads to (here through a relative link in another
// folder) is replaced beside itself. The temporary name is short, so a name near the 255-byte
// limit can be written.
TEST(FileIo, AtomicWriteGoesThroughLinks) {
  test::CTempDir dir;
  fs::create_directories(dir / "echt");
  fs::create_directories(dir / "links");
  const std::string name = std::string(250, 'n') + ".htm";
  test::WriteFile(dir / "echt" / name, "alt");
  fs::create_symlink("../echt/" + name, dir / "links/eins.htm");
  fs::create_symlink(dir / "links/eins.htm", dir / "links/zwei.htm");
  ASSERT_TRUE(WriteFileAtomically((dir / "links/zwei.htm").string(), "neu"));
  EXPECT_TRUE(fs::is_symlink(dir / "links/zwei.htm"));
  EXPECT_TRUE(fs::is_symlink(dir / "links/eins.htm"));
  EXPECT_EQ(test::ReadFile(dir / "echt" / name), "neu");
  EXPECT_EQ(EntriesIn(dir / "echt"), 1);
  EXPECT_EQ(EntriesIn(dir / "links"), 2);
}

// A page its owner protected is not replaced, although the folder allows the rename. Root
// ignores permissions, so the write runs in a child as nobody.
TEST(FileIo, AtomicWriteRefusesAWriteProtectedFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to become nobody";
  test::CTempDir dir;
  const fs::path page = dir / "a.htm";
  test::WriteFile(page, "alt");
  ::chmod(page.c_str(), 0644);
  ::chmod(dir.path().c_str(), 0777);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    std::string error;
    const bool written = WriteFileAtomically(page.string(), "neu", &error);
    ::_exit(!written && error == "Zugriff verweigert" ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(test::ReadFile(page), "alt");
  EXPECT_EQ(EntriesIn(dir.path()), 1);
}

TEST(FileIo, SystemReasonsInGermanWhereCommon) {
  EXPECT_EQ(SystemErrorText(ENOENT), "Datei oder Verzeichnis nicht gefunden");
  EXPECT_EQ(SystemErrorText(ENOSPC), "Kein Speicherplatz mehr auf dem Datenträger");
  EXPECT_EQ(SystemErrorText(EROFS), "Schreibgeschütztes Dateisystem");
  // Anything else in the system's own words.
  EXPECT_EQ(SystemErrorText(EXDEV), std::strerror(EXDEV));
}

}  // namespace
}  // namespace trimvale
