#pragma once
// Parses a string with a small in-memory layout table and renders the outcome compactly, so that
// one test row states input, tree, messages and error level on a line or two.
//
// Rendering: a text node is its text in double quotes; an element is its name, then its tag rest
// in parentheses when not empty, then {c:class}{s:style}{l:lang} when set, then its children in
// brackets. CR, LF and tab are shown as \r, \n, \t.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/parser.h"
#include "engine/run_context.h"
#include "rules/tag_layout.h"
#include "rules/text_util.h"

namespace trimvale::test {

inline std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

// li, p, td optional; b, div, ul, span, script, pre, textarea, xmp, i required; br, img void;
// comments ("!--") and the conditional-section markers have their own records.
inline CTagLayoutTable SmallLayoutTable() {
  CTagLayoutTable table;
  const std::pair<const char*, std::uint8_t> records[] = {
      {"li", kEndTagOptional},   {"p", kEndTagOptional},      {"td", kEndTagOptional},    {"b", kEndTagRequired},
      {"div", kEndTagRequired},  {"ul", kEndTagRequired},     {"span", kEndTagRequired},  {"br", kEndTagNone},
      {"img", kEndTagNone},      {"script", kEndTagRequired}, {"pre", kEndTagRequired},   {"textarea", kEndTagRequired},
      {"xmp", kEndTagRequired},  {"plaintext", kEndTagNone},  {"i", kEndTagRequired},     {"!--", kEndTagNone},
      {"![if", kEndTagRequired}, {"!--[if", kEndTagRequired}, {"table", kEndTagRequired}, {"tr", kEndTagOptional},
  };
  std::int32_t key = 0;
  for (const auto& [name, endTagKind] : records) {
    CTagLayout record;
    record.name = name;
    record.endTagKind = endTagKind;
    record.layoutBits = 0x85;
    record.key = key++;
    record.kind = ClassifyTagName(name);
    table.Append(record);
  }
  return table;
}

// Iterative so that the deep pages of the pathological tests can be rendered too.
inline std::string RenderChildren(const CHtmlNode& node) {
  std::string out;
  struct Item {
    const CHtmlNode* node;
    bool close;
  };
  std::vector<Item> todo;
  for (const CHtmlNode* c = node.children.back(); c; c = c->PrevSibling()) todo.push_back({c, false});
  bool first = true;
  while (!todo.empty()) {
    Item item = todo.back();
    todo.pop_back();
    if (item.close) {
      out += ']';
      first = false;
      continue;
    }
    if (!first) out += ' ';
    first = false;
    const CHtmlNode& n = *item.node;
    if (n.kind == TagKind::Text && n.name.empty()) {
      out += '"' + Escape(n.text) + '"';
      continue;
    }
    out += n.name;
    if (!n.text.empty()) out += '(' + Escape(n.text) + ')';
    if (!n.CssClass().empty()) out += "{c:" + n.CssClass() + '}';
    if (!n.Style().empty()) out += "{s:" + n.Style() + '}';
    if (!n.Lang().empty()) out += "{l:" + n.Lang() + '}';
    if (!n.children.empty()) {
      out += '[';
      first = true;
      todo.push_back({nullptr, true});
      for (const CHtmlNode* c = n.children.back(); c; c = c->PrevSibling()) todo.push_back({c, false});
    }
  }
  return out;
}

// Every node's parent is the node whose list holds it; no end tag or dropped token is left.
inline void ExpectTreeSound(const CHtmlNode& root) {
  std::vector<const CHtmlNode*> todo{&root};
  std::size_t bad = 0;
  while (!todo.empty()) {
    const CHtmlNode* n = todo.back();
    todo.pop_back();
    for (const CHtmlNode* c = n->children.front(); c; c = c->NextSibling()) {
      if (c->parent != n || c->isEndTag || c->skip) ++bad;
      todo.push_back(c);
    }
  }
  EXPECT_EQ(bad, 0u) << "nodes with a wrong parent, or end tags or dropped tokens left in the tree";
}

struct CParseOutcome {
  std::string tree;
  std::string messages;
  int level = 0;
};

struct CParseSetup {
  int layoutMode = kLayoutStandard;
  const std::atomic<bool>* cancel = nullptr;
  bool keepLook = false;  // "Darstellung bewahren"
};

// Parses `input` as a run does and keeps the tree in `root` for closer inspection.
inline CParseOutcome ParseWith(std::string_view input, CHtmlNode& root, const CParseSetup& setup = {}) {
  static const auto table = std::make_shared<const CTagLayoutTable>(SmallLayoutTable());
  CRunConfig config;
  config.layoutTable = table;
  config.layout.mode = setup.layoutMode;
  config.options.keepLook = setup.keepLook;
  CStringSink sink;
  std::atomic<bool> notCancelled{false};
  CRunContext ctx(config, sink, setup.cancel ? *setup.cancel : notCancelled);
  ParseDocument(ctx, root, input);
  EXPECT_TRUE(ctx.tagStack.empty());
  ExpectTreeSound(root);
  return {RenderChildren(root), sink.Text(), ctx.errorLevel};
}

inline CParseOutcome Parse(std::string_view input, const CParseSetup& setup = {}) {
  auto root = MakeNode(nullptr);
  return ParseWith(input, *root, setup);
}

// One row of a table-driven parser test.
struct CParseRow {
  const char* name;
  const char* input;
  const char* tree;
  std::string messages;
  int level;
};

inline void ExpectRows(std::initializer_list<CParseRow> rows, const CParseSetup& setup = {}) {
  for (const CParseRow& row : rows) {
    const CParseOutcome got = Parse(row.input, setup);
    EXPECT_EQ(got.tree, row.tree) << row.name;
    EXPECT_EQ(got.messages, row.messages) << row.name;
    EXPECT_EQ(got.level, row.level) << row.name;
  }
}

}  // namespace trimvale::test
