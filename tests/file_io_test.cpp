#include "rules/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/test_util.h"

namespace trimvale {
namespace {

TEST(FileIo, AtomicWriteReplacesContentAndKeepsPermissions) {
  test::CTempDir dir;
  const std::string path = (dir / "a.htm").string();
  test::WriteFile(path, "old");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(path, std::string("new\0bytes", 9)));
  EXPECT_EQ(test::ReadFile(path), std::string("new\0bytes", 9));
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // Nothing but the file itself is left in the folder.
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace trimvale
