#include "engine/run_context.h"

namespace trimvale {

std::string MakeIndentUnit(int kind, int spaces) {
  if (kind == 0) return "\t";
  if (kind == 1) return std::string(static_cast<std::size_t>(spaces < 0 ? 0 : (spaces > 15 ? 15 : spaces)), ' ');
  return {};
}

const CTagLayoutTable& CRunContext::LayoutTable() const {
  static const CTagLayoutTable kEmpty;
  return config.layoutTable ? *config.layoutTable : kEmpty;
}

}  // namespace trimvale
