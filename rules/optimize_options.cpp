#include "rules/optimize_options.h"

#include "rules/text_util.h"

namespace trimvale {

namespace {
// Member pointers in bit order, so both directions of the conversion share one table.
constexpr bool OptimizeOptions::*kBits[16] = {
    &OptimizeOptions::spanDelete,      &OptimizeOptions::deleteAllStyles, &OptimizeOptions::strongToB,
    &OptimizeOptions::deleteXml,       &OptimizeOptions::automatic,       &OptimizeOptions::deleteEmptyTags,
    &OptimizeOptions::emptyTagsAll,    &OptimizeOptions::spanAll,         &OptimizeOptions::blankLineFormats,
    &OptimizeOptions::removeWordIf,    &OptimizeOptions::commentsRest,    &OptimizeOptions::commentsScript,
    &OptimizeOptions::commentsStyle,   &OptimizeOptions::unneededFormats, &OptimizeOptions::commentsWebbot,
    &OptimizeOptions::specialChars,
};
}  // namespace

OptimizeOptions OptimizeOptions::FromVector(std::uint32_t vector) {
  OptimizeOptions options;
  for (int bit = 0; bit < 16; ++bit) options.*kBits[bit] = (vector >> bit) & 1u;
  return options;
}

std::uint32_t OptimizeOptions::ToVector() const {
  std::uint32_t vector = 0;
  for (int bit = 0; bit < 16; ++bit) {
    if (this->*kBits[bit]) vector |= 1u << bit;
  }
  return vector;
}

const CTagRule* FindTagRule(const CTagRuleList& rules, std::string_view name) {
  for (const CTagRule& rule : rules) {
    if (EqualsNoCase(rule.name, name)) return &rule;
  }
  return nullptr;
}

}  // namespace trimvale
