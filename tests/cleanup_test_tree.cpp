#include "tests/cleanup_test_tree.h"

namespace trimvale::test {

namespace {

void OpenTag(const CHtmlNode& node, std::string& out) {
  if (node.kind == TagKind::Text) {
    out += node.text;
    return;
  }
  if (node.kind == TagKind::Comment) {
    out += "<!--" + node.text + ">";
    return;
  }
  out += "<" + node.name + node.text;
  if (!node.CssClass().empty()) out += " class=\"" + node.CssClass() + "\"";
  if (!node.Style().empty()) out += " style=\"" + node.Style() + "\"";
  if (!node.Lang().empty()) out += " lang=\"" + node.Lang() + "\"";
  out += ">";
}

}  // namespace

std::string Render(const CHtmlNode& root) {
  std::string out;
  struct Frame {
    const CHtmlNode* holder;
    const CHtmlNode* next;
  };
  std::vector<Frame> stack{{&root, root.children.front()}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (!top.next) {
      const CHtmlNode* done = top.holder;
      stack.pop_back();
      if (!stack.empty() && done->endTagKind != kEndTagNone) out += "</" + done->name + ">";
      continue;
    }
    const CHtmlNode* node = top.next;
    top.next = node->NextSibling();
    if (node->parent != top.holder) {
      ADD_FAILURE() << "node <" << node->name << "> " << node->text << " has a stale parent";
    }
    OpenTag(*node, out);
    if (node->kind == TagKind::Text || node->kind == TagKind::Comment) continue;
    if (node->endTagKind == kEndTagNone && node->children.empty()) continue;
    stack.push_back({node, node->children.front()});
  }
  return out;
}

std::string RunOnTree(const CTreeCase& row, CPassFunction pass) {
  CPassHarness harness(row.options);
  auto root = row.tree();
  if (pass) {
    pass(harness.ctx, *root);
  } else {
    RunCleanupPasses(harness.ctx, *root);
  }
  return Render(*root);
}

}  // namespace trimvale::test
