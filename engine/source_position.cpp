#include "engine/source_position.h"

#include <algorithm>

namespace trimvale {

void CSourceLines::Reset(std::string_view text, bool utf8) {
  text_ = text;
  utf8_ = utf8;
  cursor_ = CCursor{};
  // A byte-order mark is no character of the page.
  if (utf8 && text.substr(0, 3) == "\xEF\xBB\xBF") cursor_.pos = 3;
  checkpoints_.assign(1, cursor_);
}

void CSourceLines::Advance(CCursor& c, std::size_t to) const {
  for (; c.pos < to; ++c.pos) {
    const char b = text_[c.pos];
    if (b == '\r' || (b == '\n' && (c.pos == 0 || text_[c.pos - 1] != '\r'))) {
      ++c.line;
      c.column = 1;
    } else if (b != '\n' && (!utf8_ || (static_cast<unsigned char>(b) & 0xC0) != 0x80)) {
      ++c.column;
    }
  }
}

void CSourceLines::Locate(std::size_t at, int& line, int& column) {
  at = std::clamp(at, checkpoints_.empty() ? 0 : checkpoints_.front().pos, text_.size());
  if (at >= cursor_.pos) {
    while (cursor_.pos < at) {
      const std::size_t next = (cursor_.pos / kCheckpointBytes + 1) * kCheckpointBytes;
      Advance(cursor_, std::min(at, next));
      if (cursor_.pos == next) checkpoints_.push_back(cursor_);
    }
    line = cursor_.line;
    column = cursor_.column;
    return;
  }
  auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), at,
                             [](std::size_t pos, const CCursor& c) { return pos < c.pos; });
  CCursor from = *(it - 1);
  Advance(from, at);
  line = from.line;
  column = from.column;
}

}  // namespace trimvale
