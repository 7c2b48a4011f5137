// Declaration removal and style-sheet cleaning: the examples, and a comparison with the plain
// method (search again from the start after every removal) on many random texts.
#include "engine/style_cleaning.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace trimvale {
namespace {

// The plain method, quadratic but obviously right.
bool PlainRemoveDeclaration(std::string& v, std::string_view word) {
  std::size_t p = v.find(word);
  if (p == std::string::npos) return false;
  std::size_t e = v.find(';', p);
  if (e == std::string::npos) {
    if (p == 0) {
      v.clear();
      return true;
    }
    e = v.size() - 1;
    --p;
  }
  v.erase(p, e - p + 1);
  return true;
}

void PlainRemoveEvery(std::string& v, std::string_view word, LeadingBlanks blanks) {
  while (PlainRemoveDeclaration(v, word)) {
    if (blanks == LeadingBlanks::DropOne && !v.empty() && v[0] == ' ') v.erase(0, 1);
    if (blanks == LeadingBlanks::DropAll)
      v.erase(0, v.find_first_not_of(' ') == std::string::npos ? v.size() : v.find_first_not_of(' '));
  }
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

void PlainSheetPattern(std::string& t, std::string_view pattern, bool declaration) {
  for (std::size_t p = t.find(pattern); p != std::string::npos; p = t.find(pattern)) {
    std::size_t e;
    bool keepEnd = false;
    if (declaration) {
      e = t.find_first_of(";}{", p);
      keepEnd = e != std::string::npos && t[e] != ';';
    } else {
      const std::size_t first = t.find('{', p);
      const std::size_t second = first == std::string::npos ? std::string::npos : t.find('{', first + 1);
      const std::size_t close = t.find('}', p);
      e = (close != std::string::npos && (second == std::string::npos || close < second)) ? close : second;
    }
    if (e == std::string::npos) {
      if (p == 0) {
        t.clear();
        return;
      }
      e = t.size() - 1;
      --p;
    }
    std::size_t last = keepEnd ? e - 1 : e;
    while (p > 0 && Blank(t[p - 1])) --p;
    if (!keepEnd) {
      while (last + 1 < t.size() && Blank(t[last + 1])) ++last;
      if (p >= 2 && t.compare(p - 2, 2, "\r\n") == 0 && last + 2 < t.size() && t.compare(last + 1, 2, "\r\n") == 0) {
        last += 2;
      }
    }
    t.erase(p, last - p + 1);
  }
}

std::string PlainCleanStyleSheet(std::string t, StyleSheetHolder holder) {
  const bool closed = holder == StyleSheetHolder::Comment && t.size() >= 2 && t.compare(t.size() - 2, 2, "--") == 0;
  PlainSheetPattern(t, "mso-", true);
  PlainSheetPattern(t, "panose-", true);
  PlainSheetPattern(t, "page-break-", true);
  PlainSheetPattern(t, "@font-face", false);
  PlainSheetPattern(t, "@list", false);
  PlainSheetPattern(t, "@page", false);
  const std::size_t b = t.find_first_not_of(' ');
  t = b == std::string::npos ? std::string() : t.substr(b, t.find_last_not_of(' ') - b + 1);
  if (holder == StyleSheetHolder::TagRest && !t.empty()) t.insert(t.begin(), ' ');
  if (closed && (t.size() < 2 || t.compare(t.size() - 2, 2, "--") != 0)) t += "--";
  return t;
}

TEST(RemoveDeclaration, StartsWhereTheWordOccurs) {
  struct Case {
    std::string value, word, expected;
    bool found;
  } cases[] = {
      {"background-color:red", "color", "background", true},  // no ";": the separator before goes too
      {"background-color:red;x:1", "color", "background-x:1", true},
      {"color:red", "color", "", true},
      {"color:red;font-weight:normal", "font-weight:normal", "color:red", true},
      {"a:1; mso-x:2; b:3", "mso-", "a:1;  b:3", true},
      {"a:1", "mso-", "a:1", false},
  };
  for (auto& c : cases) {
    std::string value = c.value;
    EXPECT_EQ(RemoveDeclaration(value, c.word), c.found) << c.value;
    EXPECT_EQ(value, c.expected) << c.value;
  }
}

TEST(RemoveEveryDeclaration, LeadingBlanksAndReformedWords) {
  struct Case {
    std::string value, word;
    LeadingBlanks blanks;
    std::string expected;
  } cases[] = {
      {"mso-a:1; mso-b:2; color:red", "mso-", LeadingBlanks::DropAll, "color:red"},
      {"mso-a:1; mso-b:2; color:red", "mso-", LeadingBlanks::DropOne, "color:red"},
      {"mso-a:1;  mso-b:2;  color:red", "mso-", LeadingBlanks::DropOne, "  color:red"},
      {"mso-a:1; color:red", "mso-", LeadingBlanks::Keep, " color:red"},
      {"font-size:1pt;font-family:x", "font", LeadingBlanks::DropOne, ""},
      // Removing a word can join two pieces into a new occurrence, which goes as well.
      {"mmso-a;so-b:1;c", "mso-", LeadingBlanks::Keep, "c"},
      {"x:1;mso-mso-a;;", "mso-", LeadingBlanks::Keep, "x:1;;"},
  };
  for (auto& c : cases) {
    std::string value = c.value;
    RemoveEveryDeclaration(value, c.word, c.blanks);
    EXPECT_EQ(value, c.expected) << c.value;
  }
}

TEST(CleanStyleSheet, Examples) {
  struct Case {
    const char* name;
    std::string text;
    StyleSheetHolder holder;
    std::string expected;
  } cases[] = {
      {"font face loses panose, then goes whole", "@font-face {font-family:Wingdings; panose-1:5 0 0 0 0 0 0 0 0 0;}",
       StyleSheetHolder::Text, ""},
      {"a line of its own goes with its line break", "p\r\n\t{margin:0;\r\n\tmso-pagination:none;\r\n\tcolor:red;}",
       StyleSheetHolder::Text, "p\r\n\t{margin:0;\r\n\tcolor:red;}"},
      {"a last declaration keeps the closing brace", "p {margin:0; mso-x:y}\r\ndiv {color:red}", StyleSheetHolder::Text,
       "p {margin:0;}\r\ndiv {color:red}"},
      {"page and list blocks", "@page Section1 {size:595pt;}\r\ndiv.Section1 {page:Section1;}\r\n@list l0 {x:1}",
       StyleSheetHolder::Text, "\r\ndiv.Section1 {page:Section1;}\r\n"},
      {"page breaks", "h1 {page-break-before:always; color:red}", StyleSheetHolder::Text, "h1 {color:red}"},
      {"a block without end runs to the end", "a {x:1}\r\n@list l0 {y:1", StyleSheetHolder::Text, "a {x:1}\r"},
      {"the whole text when it starts with the block", "@list l0 {y:1", StyleSheetHolder::Text, ""},
      {"a block ends at a second opening brace", "@list l0 {y:1 p {z:1}", StyleSheetHolder::Text, "z:1}"},
      {"a tag rest keeps its separating blank", " type=\"text/css\"", StyleSheetHolder::TagRest, " type=\"text/css\""},
      {"an emptied tag rest stays empty", "  ", StyleSheetHolder::TagRest, ""},
      {"a comment keeps its closing dashes", "\r\np {mso-x:1\r\n--", StyleSheetHolder::Comment, "\r\np--"},
      {"blanks at both ends go", "  a {b:c}  ", StyleSheetHolder::Text, "a {b:c}"},
  };
  for (auto& c : cases) {
    std::string text = c.text;
    CleanStyleSheet(text, c.holder);
    EXPECT_EQ(text, c.expected) << c.name;
  }
}

TEST(IsBlankText, BlanksAndNbspOnly) {
  struct Case {
    std::string text;
    bool blank;
  } cases[] = {{"", true},    {" ", true},        {"&nbsp;", true}, {" &nbsp;&nbsp; ", true}, {"&nbsp", false},
               {"\t", false}, {"&nbsp;x", false}, {"\xA0", false},  {"&NBSP;", false},        {"&nbsp;&", false}};
  for (auto& c : cases) EXPECT_EQ(IsBlankText(c.text), c.blank) << c.text;
}

std::string RandomStyleText(std::mt19937& rng) {
  static const char* const kPieces[] = {
      "mso-", "m",           "so-",        "ms",    "o-",    "panose-", "pan",
      "ose-", "page-break-", "@font-face", "@font", "-face", "@list",   "@page",
      "@",    ";",           "{",          "}",     " ",     "\t",      "\r\n",
      "\r",   "\n",          "a:1",        "font",  "color", "-",       "font-weight:normal",
      "x",    "--",          "!--"};
  std::uniform_int_distribution<std::size_t> count(0, 30);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
  std::string text;
  for (std::size_t n = count(rng); n > 0; --n) text += kPieces[pick(rng)];
  return text;
}

TEST(StyleCleaningSweep, MatchesThePlainMethodOnRandomTexts) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomStyleText(rng);
    for (auto holder : {StyleSheetHolder::TagRest, StyleSheetHolder::Comment, StyleSheetHolder::Text}) {
      std::string fast = text;
      CleanStyleSheet(fast, holder);
      ASSERT_EQ(fast, PlainCleanStyleSheet(text, holder)) << "text: " << text;
    }
    for (std::string_view word : {"mso-", "font", "color", "font-weight:normal"}) {
      for (auto blanks : {LeadingBlanks::Keep, LeadingBlanks::DropOne, LeadingBlanks::DropAll}) {
        std::string fast = text;
        std::string plain = text;
        RemoveEveryDeclaration(fast, word, blanks);
        PlainRemoveEvery(plain, word, blanks);
        ASSERT_EQ(fast, plain) << "word " << word << " text: " << text;
      }
      std::string fast = text;
      std::string plain = text;
      ASSERT_EQ(RemoveDeclaration(fast, word), PlainRemoveDeclaration(plain, word));
      ASSERT_EQ(fast, plain) << "word " << word << " text: " << text;
    }
  }
}

}  // namespace
}  // namespace trimvale
