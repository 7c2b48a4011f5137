#include "rules/section_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <optional>
#include <random>

#include "rules/ini_text.h"
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
      {"name", "name", "name", ""},              // no separator
      {R"(a\#b)", "a", "b", ""},                 // one separator
      {R"(ab\#)", "ab", "ab", ""},               // separator at the very end
      {R"(\#\#)", "", "", ""},                   //
      {R"(x"\#"y\#1\#z)", R"(x\#y)", "1", "z"},  // quoted separator inside a field
      {R"("\#")", R"(\#)", R"(\#)", ""},         // the quoted form alone
      {R"(x\#y"\#"z)", "x", R"(y\#z)", ""},      // quoted separator in the second field
      {R"(a\#b\#"\#")", "a", "b", R"(\#)"},      // and in the third
      {R"(a"\#b)", R"(a")", "b", ""},            // one quote is not the quoted form
      {R"(a\#b\#c\#d)", "a", "b", "cd"},         // the third field runs on; \# in it drops out
      {R"(a\#b\#c\#)", "a", "b", R"(c\#)"},      // except as its last two characters
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

TEST(SectionFile, EnumeratesKeysInFileOrder) {
  CTempDir dir;
  WriteFile(dir / "t.txt",
            "[standard]\r\n5=a\r\n2=b\r\n9=c\r\n"
            "[numbers]\r\n-3=x\r\n+7=x\r\n12abc=x\r\nabc=x\r\n ; 4=comment\r\n  8  =  spaced  \r\n"
            "[empty]\r\n; only a comment\r\n");
  CSectionFile file((dir / "t.txt").string());
  ASSERT_TRUE(file.ReadKeys());
  EXPECT_EQ(file.Keys(), (std::vector<std::int32_t>{5, 2, 9}));
  ASSERT_TRUE(file.ReadKeys("NUMBERS"));
  EXPECT_EQ(file.Keys(), (std::vector<std::int32_t>{-3, 7, 12, 0, 8}));
  // A missing or empty section leaves the previous list as it was.
  EXPECT_FALSE(file.ReadKeys("empty"));
  EXPECT_FALSE(file.ReadKeys("nowhere"));
  EXPECT_EQ(file.Keys(), (std::vector<std::int32_t>{-3, 7, 12, 0, 8}));
}

TEST(SectionFile, ReadsEntriesWithPlaceholdersForMissingOnes) {
  CTempDir dir;
  WriteFile(dir / "t.txt",
            "; rules\n[Standard]\n0=p\\#2\\#10000001\n1=\n  2 =  li \\#2\\#10000001   \n[other]\n0=x\\#1\\#11111111\n");
  CSectionFile file((dir / "t.txt").string());
  EXPECT_EQ(file.ReadEntry(0), 14);
  EXPECT_EQ(file.GetField1(), "p");
  EXPECT_EQ(file.GetField3(), "10000001");

  struct Row {
    const char* name;
    std::int32_t key;
    const char* section;
    int length;
    const char* field1;
    const char* field2;
  } rows[] = {
      {"missing key", 7, "standard", 0, "---", "----"},
      {"empty value", 1, "standard", 0, "---", "----"},
      {"missing section", 0, "absent", 0, "---", "----"},
      {"blanks around key and = are not part of it", 2, "standard", 16, "li ", "2"},
      {"section name ignores case", 0, "OTHER", 14, "x", "1"},
  };
  for (const Row& row : rows) {
    CSectionFile probe;
    probe.ReadEntry(0);  // field 3 becomes "10000001"
    EXPECT_EQ(probe.ReadEntry(row.key, row.section), row.length) << row.name;
    EXPECT_EQ(probe.GetField1(), row.field1) << row.name;
    EXPECT_EQ(probe.GetField2(), row.field2) << row.name;
    if (row.length == 0) {
      EXPECT_EQ(probe.GetField3(), "10000001") << row.name << ": field 3 is kept";
    }
  }
}

TEST(SectionFile, ReadsLongValuesAndBigSectionsWhole) {
  CTempDir dir;
  const std::string longName(1000, 'n');
  std::string text = "[big]\r\n";
  for (int key = 0; key < 2000; ++key)
    text += std::to_string(key) + "=tag" + std::to_string(key) + "\\#1\\#10000001\r\n";
  text += "[long]\r\n0=" + longName + "\\#1\\#" + std::string(300, '1') + "\r\n";
  WriteFile(dir / "t.txt", text);
  CSectionFile file((dir / "t.txt").string());
  ASSERT_TRUE(file.ReadKeys("big"));
  ASSERT_EQ(file.Keys().size(), 2000u);
  EXPECT_EQ(file.Keys().back(), 1999);
  EXPECT_GT(file.ReadEntry(1999, "big"), 0);
  EXPECT_EQ(file.GetField1(), "tag1999");
  EXPECT_EQ(file.ReadEntry(0, "long"), static_cast<int>(longName.size() + 5 + 300));
  EXPECT_EQ(file.GetField1(), longName);
  EXPECT_EQ(file.GetField3().size(), 300u);
}

TEST(SectionFile, CurrentPathIsClassWide) {
  CTempDir dir;
  WriteFile(dir / "tageinst.txt", "[standard]\n0=from tageinst\n");
  WriteFile(dir / "profile.txt", "[standard]\n0=from profile\n");
  EXPECT_TRUE(CSectionFile::FileExists((dir / "tageinst.txt").string()));
  CSectionFile early;
  early.ReadEntry(0);
  EXPECT_EQ(early.GetField1(), "from tageinst");

  CSectionFile profile((dir / "profile.txt").string());
  CSectionFile later;
  later.ReadEntry(0);
  EXPECT_EQ(later.GetField1(), "from profile");
  early.ReadEntry(0);
  EXPECT_EQ(early.GetField1(), "from profile") << "an object made before the change follows it";
  EXPECT_EQ(CSectionFile::CurrentPath(), (dir / "profile.txt").string());

  EXPECT_FALSE(CSectionFile::FileExists((dir / "missing.txt").string()));
  EXPECT_EQ(CSectionFile::CurrentPath(), (dir / "missing.txt").string()) << "a failed check still sets the path";
  EXPECT_FALSE(CSectionFile::FileExists(dir.path().string())) << "a folder is no rule file";
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
      {"new entry into a section with no entry goes after its header", "[standard]\n\n[x]\n",
       [](CSectionFile& f) { return f.WriteValue(0, "v", "X"); }, "[standard]\n\n[x]\n0=v\n"},
      {"new section at the end of an LF file", "[a]\n1=x\n",
       [](CSectionFile& f) { return f.WriteEntry(0, "p", "2", "10000001", "neu"); },
       "[a]\n1=x\n\n[neu]\n0=p\\#2\\#10000001\n"},
      {"new section after a file without final line end", "[a]\r\n1=x",
       [](CSectionFile& f) { return f.WriteValue(1, "y", "b"); }, "[a]\r\n1=x\r\n\r\n[b]\r\n1=y\r\n"},
      {"new entry after a last line without line end", "[a]\r\n1=x",
       [](CSectionFile& f) { return f.WriteValue(2, "y", "A"); }, "[a]\r\n1=x\r\n2=y"},
      {"new entry after a last line cut off between CR and LF", "[a]\r\n1=x\r",
       [](CSectionFile& f) {
         return f.WriteValue(2, "y", "A") && f.ReadEntry(1, "A") == 1 && f.ReadEntry(2, "A") == 1;
       },
       "[a]\r\n1=x\r\n2=y\r"},
      {"new section after a trailing blank line adds no second one", "[a]\r\n1=x\r\n\r\n",
       [](CSectionFile& f) { return f.WriteValue(1, "y", "b"); }, "[a]\r\n1=x\r\n\r\n[b]\r\n1=y\r\n"},
      {"delete entry, every copy of its key", "[standard]\r\n0=a\r\n1=b\r\n0=c\r\n[x]\r\n0=keep\r\n",
       [](CSectionFile& f) { return f.DeleteEntry(0); }, "[standard]\r\n1=b\r\n[x]\r\n0=keep\r\n"},
      {"delete section with its comments, names ignore case",
       "; top\r\n[a]\r\n1=x\r\n\r\n[Weg]\r\n; inside\r\n1=y\r\n\r\n[c]\r\n1=z\r\n",
       [](CSectionFile& f) { return f.DeleteSection("weg"); }, "; top\r\n[a]\r\n1=x\r\n\r\n[c]\r\n1=z\r\n"},
      {"delete a section named twice removes both", "[a]\n1=x\n[b]\n1=y\n[A]\n2=z\n",
       [](CSectionFile& f) { return f.DeleteSection("a"); }, "[b]\n1=y\n"},
      {"deleting what is not there changes nothing", "[a]\n1=x\n",
       [](CSectionFile& f) { return f.DeleteEntry(5, "a") && f.DeleteSection("b"); }, "[a]\n1=x\n"},
      {"a value with a line break is refused", "[a]\n1=x\n",
       [](CSectionFile& f) { return !f.WriteValue(1, "x\r\n[evil]", "a"); }, "[a]\n1=x\n"},
      {"fields are written unchanged, no escaping added", "",
       [](CSectionFile& f) { return f.WriteEntry(0, "x\\#y", "", "1"); }, "[standard]\r\n0=x\\#y\\#\\#1\r\n"},
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

TEST(SectionFile, WrittenEntriesReadBack) {
  CTempDir dir;
  CSectionFile writer((dir / "t.txt").string());
  CSectionFile reader;
  EXPECT_EQ(reader.ReadEntry(3, "sec"), 0);
  // Replace the value three times with one of the same length: the reader must see each.
  for (const char* tag : {"aa", "bb", "cc"}) {
    ASSERT_TRUE(writer.WriteEntry(3, tag, "1", "10110101", "sec"));
    EXPECT_GT(reader.ReadEntry(3, "SEC"), 0);
    EXPECT_EQ(reader.GetField1(), tag);
  }
  ASSERT_TRUE(writer.DeleteEntry(3, "sec"));
  EXPECT_EQ(reader.ReadEntry(3, "sec"), 0);
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

TEST(SectionFile, MissingOrUnusableFiles) {
  CTempDir dir;
  CSectionFile missing((dir / "none.txt").string());
  EXPECT_FALSE(missing.ReadKeys());
  EXPECT_EQ(missing.ReadEntry(1), 0);
  EXPECT_EQ(missing.GetField1(), "---");
  EXPECT_FALSE(std::filesystem::exists(dir / "none.txt"));
  CSectionFile missingFolder((dir / "no" / "t.txt").string());
  EXPECT_FALSE(missingFolder.WriteValue(1, "x"));
  std::filesystem::create_directory(dir / "folder");
  CSectionFile folder((dir / "folder").string());
  EXPECT_FALSE(folder.ReadKeys());
  EXPECT_FALSE(folder.WriteValue(1, "x"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
}

// Every edit of the line model must do exactly what it says and leave every other entry as it
// was, whatever the text looks like around it: line ends of both kinds, no final line end,
// sections named twice, comments, unknown lines, entries before the first section.
TEST(IniText, EditsChangeOnlyWhatTheyAddress) {
  const char* fragments[] = {"[a]", "[A]", "[b]",     " [ c ] ", "1=x",    " 2 = y ",         "3=",        ";1=comment",
                             "",    "   ", "garbage", "[broken", "=nokey", "\xEF\xBB\xBF[a]", "1=\"q\\#\""};
  const char* sections[] = {"a", "b", "c", "new"};
  const char* keys[] = {"1", "2", "3", "9"};
  std::mt19937 random(12345);
  auto pick = [&](auto& array) { return array[random() % std::size(array)]; };
  auto snapshot = [&](const CIniText& text) {
    std::map<std::string, std::optional<std::string>> values;
    for (const char* s : sections) {
      for (const char* k : keys) {
        auto v = text.Find(s, k);
        values[std::string(s) + "/" + k] = v ? std::optional<std::string>(std::string(*v)) : std::nullopt;
      }
    }
    return values;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string source;
    const int lines = static_cast<int>(random() % 8);
    for (int i = 0; i < lines; ++i) {
      source += pick(fragments);
      if (i + 1 < lines || random() % 2) source += random() % 2 ? "\r\n" : "\n";
    }
    CIniText text(source);
    const auto before = snapshot(text);
    const std::string section = pick(sections), key = pick(keys);
    const std::string address = section + "/" + key;
    auto expected = before;
    switch (random() % 3) {
      case 0: {
        const std::string value = "v" + std::to_string(round);
        ASSERT_TRUE(text.Set(section, key, value)) << source;
        expected[address] = value;
        break;
      }
      case 1:
        text.Remove(section, key);
        expected[address] = std::nullopt;
        break;
      default:
        text.RemoveSection(section);
        for (const char* k : keys) expected[section + "/" + k] = std::nullopt;
        EXPECT_FALSE(text.HasSection(section)) << source;
    }
    EXPECT_EQ(snapshot(text), expected) << "round " << round << " on:\n" << source << "\nafter:\n" << text.Text();
    // The edited text reads the same when parsed afresh.
    EXPECT_EQ(snapshot(CIniText(text.Text())), expected) << source;
  }
}

}  // namespace
}  // namespace trimvale
