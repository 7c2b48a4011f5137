// White space that the parser drops as a token of its own (blank-only runs, a line break at the
// start of a run) still separates words and inline tags in the browser. The run must keep it
// where it shows and add nothing where it does not.
#include <gtest/gtest.h>

#include "engine/optimize_job.h"
#include "tests/test_util.h"

namespace trimvale {
namespace {

TEST(DroppedWhiteSpace, StaysWhereItShows) {
  struct Row {
    const char* name;
    std::string input;
    std::uint32_t options;
    std::string expected;
    int mode = kLayoutStandard;
  } rows[] = {
      {"blank run between two inline elements", "<p><b>Getting</b> <i>Started</i></p>", 0,
       "<p><b>Getting</b> <i>Started</i></p>\r\n"},
      {"a word processor's space span, emptied and removed", "<p>Wort<span style='mso-spacerun:yes'> </span>Wort</p>",
       1040, "<p>Wort Wort</p>\r\n"},
      {"line break at the start of a run", "<p>more <b>Fibre</b>\r\nChannel</p>", 0,
       "<p>more <b>Fibre</b> Channel</p>\r\n"},
      {"space at the end of an inline element", "<p><b>x<span> </span></b>y</p>", 1040, "<p><b>x </b>y</p>\r\n"},
      {"space kept across a deleted comment", "<p><b>x</b> <!-- c --><i>y</i></p>", 1040,
       "<p><b>x</b> <i>y</i></p>\r\n"},
      {"nothing added at block edges", "<p>\r\n  <b>a</b>\r\n</p>\r\n<p>\r\nb </p>", 0,
       "<p><b>a</b></p>\r\n<p>b </p>\r\n"},
      {"one line keeps the blank too", "<p><b>a</b>\r\n<i>b</i></p>", 0, "<p><b>a</b> <i>b</i></p>", kLayoutOneLine},
  };
  for (const auto& row : rows) {
    CRunConfig config;
    config.layoutTable = test::InstalledStandardTable();
    config.options = OptimizeOptions::FromVector(row.options);
    config.layout.mode = row.mode;
    std::atomic<bool> cancel{false};
    CNullSink sink;
    COptimizeJob job;
    job.text = row.input;
    job.Run(config, sink, cancel);
    EXPECT_EQ(job.text, row.expected) << row.name;
  }
}

}  // namespace
}  // namespace trimvale
