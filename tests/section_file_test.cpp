#include "rules/section_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "tests/test_util.h"

namespace trimvale {
namespace {

using test::CTempDir;
using test::ReadFile;
using test::WriteFile;

TEST(SectionFile, SplitsValuesIntoThreeFields) {
  struct Row {
    const char* value;
    const char* field1;
    const char* field2;
    const char* field3;
  } rows[] = {
      {R"(p\#2\#10000101)", "p", "2", "10000101"},
      {R"(a\#\#b)", "a", "a", "b"},              // empty second field takes the first
      {R"(\#b\#c)", "b", "b", "c"},              // empty first field takes the second
      {R"(x"\#"y\#1\#z)", R"(x\#y)", "1", "z"},  // quoted separator inside a field
      {R"(a"\#b)", R"(a")", "b", ""},            // one quote is not the quoted form
      {R"(a\#b\#c\#d)", "a", "b", "cd"},         // the third field runs on; \# in it drops out
      {R"(a\#b\#c\#\#d)", "a", "b", R"(c\#d)"},  // the character after a dropped \# stays
  };
  for (const Row& row : rows) {
    std::string f1 = "old", f2 = "old", f3 = "old";
    CSectionFile::SplitValue(row.value, f1, f2, f3);
    EXPECT_EQ(f1, row.field1) << row.value;
    EXPECT_EQ(f2, row.field2) << row.value;
    EXPECT_EQ(f3, row.field3) << row.value;
  }
}

// A missing or empty entry reads as length 0 with placeholders in the first two fields and
// leaves the third as it was; blanks around the key and "=" are not part of the value.
TEST(SectionFile, ReadsEntriesWithPlaceholdersForMissingOnes) {
  CTempDir dir;
  WriteFile(dir / "t.txt", "[Standard]\n0=p\\#2\\#10000001\n1=\n  2 =  li \\#2\\#10000001   \n");
  CSectionFile file((dir / "t.txt").string());
  EXPECT_EQ(file.ReadEntry(0), 14);
  for (std::int32_t key : {1, 7}) {
    EXPECT_EQ(file.ReadEntry(key, "standard"), 0);
    EXPECT_EQ(file.GetField1() + file.GetField2() + file.GetField3(), "-------10000001") << key;
  }
  EXPECT_EQ(file.ReadEntry(2, "STANDARD"), 16);
  EXPECT_EQ(file.GetField1(), "li ");
}

TEST(SectionFile, WritesKeepEveryOtherLineByteForByte) {
  using Op = std::function<bool(CSectionFile&)>;
  struct Row {
    const char* name;
    std::string before;
    Op op;
    std::string after;
  } rows[] = {
      {"replace in place, other lines untouched",
       "; Kopf\r\n[standard]\r\n0=a\r\n  1 = old  \r\n2=c\n\r\n[x]\r\n1=keep\r\n",
       [](CSectionFile& f) { return f.WriteEntry(1, "b", "1", "10000001"); },
       "; Kopf\r\n[standard]\r\n0=a\r\n1=b\\#1\\#10000001\r\n2=c\n\r\n[x]\r\n1=keep\r\n"},
      {"new entry after the section's last entry, before the blank line",
       "[standard]\r\n0=a\r\n; note\r\n\r\n[x]\r\n1=keep\r\n", [](CSectionFile& f) { return f.WriteValue(7, "new"); },
       "[standard]\r\n0=a\r\n7=new\r\n; note\r\n\r\n[x]\r\n1=keep\r\n"},
      {"new section at the end of an LF file", "[a]\n1=x\n",
       [](CSectionFile& f) { return f.WriteEntry(0, "p", "2", "10000001", "neu"); },
       "[a]\n1=x\n\n[neu]\n0=p\\#2\\#10000001\n"},
      {"new entry after a last line cut off between CR and LF", "[a]\r\n1=x\r",
       [](CSectionFile& f) {
         return f.WriteValue(2, "y", "A") && f.ReadEntry(1, "A") == 1 && f.ReadEntry(2, "A") == 1;
       },
       "[a]\r\n1=x\r\n2=y\r"},
      {"delete entry, every copy of its key", "[standard]\r\n0=a\r\n1=b\r\n0=c\r\n[x]\r\n0=keep\r\n",
       [](CSectionFile& f) { return f.DeleteEntry(0); }, "[standard]\r\n1=b\r\n[x]\r\n0=keep\r\n"},
      {"delete section with its comments, names ignore case",
       "; top\r\n[a]\r\n1=x\r\n\r\n[Weg]\r\n; inside\r\n1=y\r\n\r\n[c]\r\n1=z\r\n",
       [](CSectionFile& f) { return f.DeleteSection("weg"); }, "; top\r\n[a]\r\n1=x\r\n\r\n[c]\r\n1=z\r\n"},
      {"a value with a line break is refused", "[a]\n1=x\n",
       [](CSectionFile& f) { return !f.WriteValue(1, "x\r\n[evil]", "a"); }, "[a]\n1=x\n"},
  };
  for (const Row& row : rows) {
    CTempDir dir;
    const auto path = dir / "rules.txt";
    if (!row.before.empty()) WriteFile(path, row.before);
    CSectionFile file(path.string());
    EXPECT_TRUE(row.op(file)) << row.name;
    EXPECT_EQ(ReadFile(path), row.after) << row.name;
  }
}

// Two objects on one file see each other's writes; an object made for another file, or a
// question whether some file exists, changes neither of them.
TEST(SectionFile, EachObjectKeepsItsOwnFile) {
  CTempDir dir;
  const std::string path = (dir / "t.txt").string();
  WriteFile(dir / "andere.txt", "[sec]\n3=fremd\n");
  CSectionFile writer(path);
  CSectionFile reader(path);
  CSectionFile other((dir / "andere.txt").string());
  EXPECT_TRUE(CSectionFile::FileExists((dir / "andere.txt").string()));
  EXPECT_EQ(reader.ReadEntry(3, "sec"), 0);
  // Replace the value three times with one of the same length: the reader must see each.
  for (const char* tag : {"aa", "bb", "cc"}) {
    ASSERT_TRUE(writer.WriteEntry(3, tag, "1", "10110101", "sec"));
    EXPECT_GT(reader.ReadEntry(3, "SEC"), 0);
    EXPECT_EQ(reader.GetField1(), tag);
  }
  ASSERT_TRUE(writer.DeleteEntry(3, "sec"));
  EXPECT_EQ(reader.ReadEntry(3, "sec"), 0);
  EXPECT_EQ(other.ReadEntry(3, "sec"), 5);
}

TEST(SectionFile, NeverOverwritesAFileItCannotRead) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  CTempDir dir;
  const auto path = dir / "t.txt";
  WriteFile(path, "[a]\n1=x\n");
  ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
  CSectionFile file(path.string());
  EXPECT_FALSE(file.ReadKeys("a"));
  EXPECT_FALSE(file.WriteValue(2, "y", "a"));
  EXPECT_FALSE(file.DeleteSection("a"));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadFile(path), "[a]\n1=x\n");
}

}  // namespace
}  // namespace trimvale
