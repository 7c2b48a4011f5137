#include "engine/optimize_job.h"

#include <gtest/gtest.h>

namespace trimvale {
namespace {

CTagLayoutTable SmallTable() {
  CTagLayoutTable table;
  for (auto [name, end, bits] : {std::tuple{"p", 2, 0x81}, {"b", 1, 0}, {"br", 0, 0x20}, {"li", 2, 0x81}}) {
    table.Append({name, static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(end), 0, ClassifyTagName(name)});
  }
  return table;
}

// Raises the cancel flag as soon as a given line arrives.
class CCancellingSink : public CStringSink {
 public:
  CCancellingSink(std::atomic<bool>& flag, std::string trigger) : flag_(flag), trigger_(std::move(trigger)) {}
  void AppendText(std::string_view text) override {
    CStringSink::AppendText(text);
    if (!trigger_.empty() && text.find(trigger_) != std::string_view::npos) flag_ = true;
  }

 private:
  std::atomic<bool>& flag_;
  std::string trigger_;
};

struct CJobResult {
  int result;
  std::int8_t level;
  std::string text;
  std::string messages;
};

CJobResult RunJob(const std::string& input, int allowedLevel, const std::string& cancelAt = {},
                  std::uint32_t options = 0) {
  static const auto table = std::make_shared<const CTagLayoutTable>(SmallTable());
  CRunConfig config;
  config.layoutTable = table;
  config.options = OptimizeOptions::FromVector(options);
  std::atomic<bool> cancel{false};
  CCancellingSink sink(cancel, cancelAt);
  COptimizeJob job;
  job.allowedLevel = static_cast<std::int8_t>(allowedLevel);
  job.text = input;
  const int result = job.Run(config, sink, cancel);
  return {result, job.ErrorLevel(), job.text, sink.Text()};
}

const std::string kParse = "Parse Datei\r\n";
const std::string kBegin = "Beginne Optimierung\r\n";
const std::string kDone = "Datei optimiert, setze Dokument zusammen...\r\n\r\n";
const std::string kWithheld =
    "Datei wird nicht optimiert, da Fehler schwerer als erlaubt (Grad kann unter Einstellungen - "
    "Fehlerbehandlung eingestellt werden).\r\n\r\n";

TEST(OptimizeJob, ErrorLevelGate) {
  struct Row {
    const char* name;
    std::string input;
    int allowed;
    int result;
    int level;
    std::string text;  // "=" means unchanged input
  } rows[] = {
      {"small error withheld at 0", "<p>x</b></p>", 0, 0, 1, "="},
      {"small error passes at 1", "<p>x</b></p>", 1, 1, 1, "<p>x</p>\r\n"},
      {"severe error withheld at 1", "<p><b>x</p>", 1, 0, 2, "="},
  };
  for (const auto& row : rows) {
    auto got = RunJob(row.input, row.allowed);
    EXPECT_EQ(got.result, row.result) << row.name;
    EXPECT_EQ(got.level, row.level) << row.name;
    EXPECT_EQ(got.text, row.text == "=" ? row.input : row.text) << row.name;
    const bool withheld = row.result == 0;
    EXPECT_EQ(got.messages.find(kWithheld) != std::string::npos, withheld) << row.name << "\n" << got.messages;
  }
}

TEST(OptimizeJob, EmptyInputReportsEndOfInputOnce) {
  auto got = RunJob("", 2);
  EXPECT_EQ(got.messages,
            kParse + "HTML Fehler: Dateiende erreicht ohne dass Inhalt dem Tag folgt\r\n" + kBegin + kDone);
}

// Wherever the run is cancelled, the page text stays as it was.
TEST(OptimizeJob, CancellationAtEachStage) {
  const std::string page = "<p>eins</p><p>zwei</p>";
  struct Row {
    const char* trigger;
    int result;
    std::string text, messages;
  } rows[] = {
      {"Parse Datei", 0, page, kParse},
      {"Beginne Optimierung", 1, page, kParse + kBegin},
      {"Datei optimiert", 1, page, kParse + kBegin + kDone},
  };
  for (const Row& row : rows) {
    auto got = RunJob(page, 2, row.trigger);
    EXPECT_EQ(got.result, row.result) << row.trigger;
    EXPECT_EQ(got.text, row.text) << row.trigger;
    EXPECT_EQ(got.messages, row.messages) << row.trigger;
  }
}

std::string Utf16Le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(OptimizeJob, Utf16PagesRoundTripInTheirOwnForm) {
  auto got = RunJob(Utf16Le("<p>x</b></p>"), 2);
  EXPECT_EQ(got.result, 1);
  EXPECT_EQ(got.text, Utf16Le("<p>x</p>\r\n"));

  const std::string bad("\xFF\xFE\x00\xD8x\x00", 6);  // a lone surrogate
  auto broken = RunJob(bad, 2);
  EXPECT_EQ(broken.result, 0);
  EXPECT_EQ(broken.level, 2);
  EXPECT_EQ(broken.text, bad);
  EXPECT_EQ(broken.messages, kParse + "HTML Fehler: Die Seite ist kein gültiges UTF-16.\r\n");
}

// Undeclared bytes that are UTF-8 are read as UTF-8, as browsers detect them; a page that
// declares a single-byte charset over UTF-8 bytes keeps its characters and is told so once.
TEST(OptimizeJob, SpecialCharsFollowWhatTheBytesAre) {
  struct Case {
    const char* name;
    std::string page, paragraph, note;
  } cases[] = {
      {"undeclared utf-8", "<p>caf\xC3\xA9 \xE4\xB8\xAD</p>", "<p>caf&eacute; \xE4\xB8\xAD</p>", ""},
      {"undeclared, not utf-8", "<p>caf\xE9\xC3\xA9</p>", "<p>caf&eacute;&Atilde;&copy;</p>", ""},
      {"declared single-byte over utf-8", "<meta charset=Windows-1252><p>caf\xC3\xA9</p><p>\xC3\xA9</p>",
       "<p>caf\xC3\xA9</p>",
       "Hinweis: Die Seite ist als UTF-8 gespeichert, erklärt aber den Zeichensatz Windows-1252. Sonderzeichen "
       "werden nicht umgewandelt.\r\n"},
  };
  for (auto& c : cases) {
    auto got = RunJob(c.page, 2, {}, 32768);
    EXPECT_NE(got.text.find(c.paragraph), std::string::npos) << c.name << ": " << got.text;
    EXPECT_EQ(got.messages, kParse + kBegin + c.note + kDone) << c.name;
  }
}

}  // namespace
}  // namespace trimvale
