#include "engine/run_context.h"

namespace trimvale {

std::string MakeIndentUnit(int kind, int spaces) {
  if (kind == 0) return "\t";
  if (kind == 1) return std::string(static_cast<std::size_t>(spaces < 0 ? 0 : (spaces > 15 ? 15 : spaces)), ' ');
  return {};
}

std::string_view LineEndFor(LineEnds kind, std::string_view page) {
  if (kind == LineEnds::Lf) return "\n";
  if (kind != LineEnds::AsPage) return "\r\n";
  std::size_t crlf = 0, lf = 0, cr = 0;
  for (std::size_t i = page.find_first_of("\r\n"); i != std::string_view::npos; i = page.find_first_of("\r\n", i + 1)) {
    if (page[i] == '\n') {
      ++lf;
    } else if (i + 1 < page.size() && page[i + 1] == '\n') {
      ++crlf;
      ++i;
    } else {
      ++cr;
    }
  }
  if (lf > crlf && lf >= cr) return "\n";
  if (cr > crlf && cr > lf) return "\r";
  return "\r\n";
}

const CTagLayoutTable& CRunContext::LayoutTable() const {
  static const CTagLayoutTable kEmpty;
  return config.layoutTable ? *config.layoutTable : kEmpty;
}

}  // namespace trimvale
