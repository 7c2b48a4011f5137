#pragma once
// Line and column of places in a page, for the positions that parse reports carry.

#include <cstddef>
#include <string_view>
#include <vector>

namespace trimvale {

// Lines end at LF, CR LF or CR. Columns count characters: every byte of a single-byte page, every
// UTF-8 sequence once in a UTF-8 page. Both are 1-based.
//
// Reports come roughly in page order, so the counter moves forward from its last answer. A
// place before it (an attribute warning is given after the element's content was read) starts
// from the nearest checkpoint, one of which is kept every kCheckpointBytes: a page with a report
// per tag still costs one pass plus at most that many bytes per report, never a rescan.
class CSourceLines {
 public:
  void Reset(std::string_view text, bool utf8);
  // Line and column of byte offset `at` (clamped to the end of the text).
  void Locate(std::size_t at, int& line, int& column);

 private:
  struct CCursor {
    std::size_t pos = 0;  // the byte the line and column belong to
    int line = 1;
    int column = 1;
  };
  static constexpr std::size_t kCheckpointBytes = 1024;
  void Advance(CCursor& cursor, std::size_t to) const;

  std::string_view text_;  // not owned; the text being parsed
  bool utf8_ = false;
  CCursor cursor_;                   // the furthest place located so far
  std::vector<CCursor> checkpoints_;  // at every multiple of kCheckpointBytes up to cursor_
};

}  // namespace trimvale
