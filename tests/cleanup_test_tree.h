#pragma once
// Hand-built trees for the pass and serializer tests, and a compact printer to compare results:
// Doc(E("b", T("x"), E("span", T("y")).Style("font-weight:normal"))) is a root holding
// <b>x<span style="font-weight:normal">y</span></b>. Elements get the kind of their name, an end
// tag, and isBare until they receive attributes, as the parser would give them.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/cleanup_passes.h"
#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/run_context.h"
#include "rules/tag_layout.h"

namespace trimvale::test {

class CNodeBuilder {
 public:
  explicit CNodeBuilder(std::unique_ptr<CHtmlNode> node) : node_(std::move(node)) {}

  CNodeBuilder&& Style(std::string value) && {
    node_->SetStyle(std::move(value));
    node_->isBare = false;
    return std::move(*this);
  }
  CNodeBuilder&& Class(std::string value) && {
    node_->SetCssClass(std::move(value));
    node_->isBare = false;
    return std::move(*this);
  }
  CNodeBuilder&& Lang(std::string value) && {
    node_->SetLang(std::move(value));
    node_->isBare = false;
    return std::move(*this);
  }
  // The rest of the tag, starting with its separating blank: " href=x.htm".
  CNodeBuilder&& Rest(std::string value) && {
    node_->text = std::move(value);
    node_->isBare = node_->text.empty();
    return std::move(*this);
  }
  CNodeBuilder&& EndTag(std::uint8_t endTagKind) && {
    node_->endTagKind = endTagKind;
    return std::move(*this);
  }
  // A tag written self-closing or one that takes no end tag.
  CNodeBuilder&& Void() && { return std::move(*this).EndTag(kEndTagNone); }
  CNodeBuilder&& Rule(const CTagRule* rule) && {
    node_->SetRule(rule);
    return std::move(*this);
  }
  CNodeBuilder&& Layout(std::uint8_t bits) && {
    node_->layoutBits = bits;
    return std::move(*this);
  }

  std::unique_ptr<CHtmlNode> Take() && { return std::move(node_); }

 private:
  std::unique_ptr<CHtmlNode> node_;
};

template <class... TChildren>
void AppendChildren(CHtmlNode& parent, TChildren&&... children) {
  (
      [&](CNodeBuilder&& child) {
        CHtmlNode* added = parent.children.PushBack(std::move(child).Take());
        added->parent = &parent;
      }(std::move(children)),
      ...);
}

// Nodes built one by one and attached later live on the heap: a node made by MakeNode without
// a parent starts a store of its own, a block for one node.
inline std::unique_ptr<CHtmlNode> LoneNode() { return std::unique_ptr<CHtmlNode>(new CHtmlNode()); }

template <class... TChildren>
CNodeBuilder E(std::string name, TChildren&&... children) {
  auto node = LoneNode();
  node->kind = ClassifyTagName(name);
  node->name = std::move(name);
  AppendChildren(*node, std::forward<TChildren>(children)...);
  return CNodeBuilder(std::move(node));
}

inline CNodeBuilder T(std::string text) {
  auto node = LoneNode();
  node->kind = TagKind::Text;
  node->endTagKind = kEndTagNone;
  node->isBare = text.empty();
  node->text = std::move(text);
  return CNodeBuilder(std::move(node));
}

// A comment; `text` is its content up to and including the closing "--".
inline CNodeBuilder C(std::string text) {
  auto node = LoneNode();
  node->name = "!--";
  node->kind = TagKind::Comment;
  node->endTagKind = kEndTagNone;
  node->isBare = text.empty();
  node->text = std::move(text);
  return CNodeBuilder(std::move(node));
}

template <class... TChildren>
std::unique_ptr<CHtmlNode> Doc(TChildren&&... children) {
  auto root = MakeNode(nullptr);
  AppendChildren(*root, std::forward<TChildren>(children)...);
  return root;
}

// Writes the children of `root` compactly: <name rest class="" style="" lang="">…</name>, text
// as it stands, comments as <!--text>. Fails the test when a node's parent is not its holder.
std::string Render(const CHtmlNode& root);

// Everything a pass needs to run: options, a sink and the cancel flag.
struct CPassHarness {
  CPassHarness() = default;
  explicit CPassHarness(const OptimizeOptions& options) { config.options = options; }

  CRunConfig config;
  CStringSink sink;
  std::atomic<bool> cancel{false};
  CRunContext ctx{config, sink, cancel};
};

// Options with only `automatic` set, as the run's default (1040) without the comment kind.
inline const OptimizeOptions kAuto = [] {
  OptimizeOptions options;
  options.automatic = true;
  return options;
}();

// One row of a table-driven pass test: a tree, the options, and the rendered result.
struct CTreeCase {
  const char* name;
  OptimizeOptions options;
  std::function<std::unique_ptr<CHtmlNode>()> tree;
  std::string expected;
};

using CPassFunction = PassResult (*)(CRunContext&, CHtmlNode&);

// Runs `pass` on the case's tree (or, when `pass` is null, RunCleanupPasses) and renders it.
std::string RunOnTree(const CTreeCase& row, CPassFunction pass);

}  // namespace trimvale::test
