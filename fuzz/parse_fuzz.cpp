// Fuzz target: parses any input with a small layout table, the first byte choosing the layout
// mode, whether a profile's rules are attached and whether the look is kept, then checks the tree
// and frees it.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/parser.h"
#include "engine/run_context.h"
#include "rules/optimize_options.h"
#include "rules/tag_layout.h"

namespace {

using namespace trimvale;

CTagLayoutTable MakeTable() {
  CTagLayoutTable table;
  const std::pair<const char*, std::uint8_t> records[] = {
      {"li", kEndTagOptional},        {"p", kEndTagOptional},        {"td", kEndTagOptional},
      {"b", kEndTagRequired},         {"div", kEndTagRequired},      {"ul", kEndTagRequired},
      {"span", kEndTagRequired},      {"br", kEndTagNone},           {"script", kEndTagRequired},
      {"pre", kEndTagRequired},       {"textarea", kEndTagRequired}, {"xmp", kEndTagRequired},
      {"plaintext", kEndTagRequired}, {"!--", kEndTagNone},          {"![if", kEndTagRequired},
      {"!--[if", kEndTagRequired},    {"h", kEndTagRequired},        {"o:", kEndTagOptional},
  };
  std::int32_t key = 0;
  for (const auto& [name, endTagKind] : records) {
    CTagLayout record;
    record.name = name;
    record.endTagKind = endTagKind;
    record.layoutBits = static_cast<std::uint8_t>(key * 37);
    record.key = key++;
    record.kind = ClassifyTagName(name);
    table.Append(record);
  }
  return table;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto table = std::make_shared<const CTagLayoutTable>(MakeTable());
  static const auto rules = std::make_shared<const CTagRuleList>([] {
    CTagRuleList list(2);
    list[0].name = "b";
    list[0].deleteTag = true;
    list[1].name = "!--";
    return list;
  }());
  const std::uint8_t control = size > 0 ? data[0] : 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);

  CRunConfig config;
  config.layoutTable = table;
  config.layout.mode = control % 4;
  config.rules = rules;
  config.options.useProfile = (control & 4) != 0;
  config.options.keepLook = (control & 8) != 0;
  CNullSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx(config, sink, cancel);
  auto root = MakeNode(nullptr);
  ParseDocument(ctx, *root, input);

  Check(ctx.tagStack.empty());
  Check(ctx.parsePos == static_cast<std::int32_t>(input.size()));
  Check(ctx.errorLevel >= 0 && ctx.errorLevel <= 2);
  std::vector<const CHtmlNode*> todo{root.get()};
  while (!todo.empty()) {
    const CHtmlNode* node = todo.back();
    todo.pop_back();
    for (const CHtmlNode* child = node->children.front(); child; child = child->NextSibling()) {
      Check(child->parent == node && !child->isEndTag && !child->skip);
      todo.push_back(child);
    }
  }
  return 0;
}
