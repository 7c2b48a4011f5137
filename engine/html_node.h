#pragma once
// One node of a parsed page: an element, a text run, a comment, or xmp/plaintext content.
// A node owns its children through CChildList; `parent` never owns. Trees of any depth and
// breadth are built, walked and destroyed without recursion.

#include <cstdint>
#include <memory>
#include <string>

#include "rules/optimize_options.h"
#include "rules/tag_layout.h"

namespace trimvale {

struct CHtmlNode;

// Owning, doubly linked list of child nodes, threaded through the children's sibling links.
// Insertion, removal and moving a range are O(1) per node moved, so passes that dissolve or
// split elements stay linear however wide a level is.
class CChildList {
 public:
  CChildList() = default;
  CChildList(const CChildList&) = delete;
  CChildList& operator=(const CChildList&) = delete;
  ~CChildList() { Clear(); }

  CHtmlNode* front() const { return head_; }
  CHtmlNode* back() const { return tail_; }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  // Appends `node` (owned from now on) and returns it. The caller sets its parent.
  CHtmlNode* PushBack(std::unique_ptr<CHtmlNode> node);
  // Inserts `node` directly after `pos` (at the front when `pos` is null) and returns it.
  CHtmlNode* InsertAfter(CHtmlNode* pos, std::unique_ptr<CHtmlNode> node);
  // Takes `node` out of the list and hands ownership back.
  std::unique_ptr<CHtmlNode> Unlink(CHtmlNode* node);
  std::unique_ptr<CHtmlNode> PopBack() { return Unlink(tail_); }
  // The n-th child from the head (0-based), or nullptr.
  CHtmlNode* Nth(std::size_t n) const;

  // Moves the children from `first` to the end of this list, in order, to the end of `target`,
  // each taking `newParent` as its parent.
  void MoveTailTo(CHtmlNode* first, CChildList& target, CHtmlNode* newParent);
  // Moves all children of this list, in order, into `target` directly after `pos` (front when
  // null), each taking `newParent` as its parent. Returns the last node moved (or `pos`).
  CHtmlNode* MoveAllAfter(CChildList& target, CHtmlNode* pos, CHtmlNode* newParent);

  // Destroys every child and its subtree, iteratively.
  void Clear();

 private:
  CHtmlNode* head_ = nullptr;  // owned (the whole chain is)
  CHtmlNode* tail_ = nullptr;
  std::size_t count_ = 0;
};

struct CHtmlNode {
  std::string name;            // tag name as written; "!--" for comments; empty for text
  CHtmlNode* parent = nullptr;  // not owned; null only for a job's root
  // Text run; rest of the tag after class/style/lang are taken out; comment content ending
  // with "--"; raw xmp or plaintext content.
  std::string text;
  // The profile's rule for this name, attached while parsing when a profile is in use; not
  // owned (the run's rule list outlives the tree). Null: no rule, every rule flag false.
  const CTagRule* rule = nullptr;
  std::string lang;      // value of lang, without quotes
  std::string style;     // value of style, without quotes
  std::string cssClass;  // value of class, as written
  CChildList children;

  std::int32_t passState = 0;  // used by the clean-up passes only while they walk children
  TagKind kind = TagKind::Other;
  std::uint8_t layoutBits = 0;
  std::uint8_t endTagKind = kEndTagRequired;
  bool endMatched = false;  // an end-tag node that closed the innermost open element
  bool isBare = true;       // never received non-empty text; passes set it again on bare spans
  bool isEndTag = false;
  bool skip = false;        // to be dropped by its creator
  // White space of the page that produced no node of its own: a blank-only run (or a line break
  // folded away at a run's start) right before this node, or right before this element's end.
  // Between words and inline tags it renders as a space, so the serializer writes one there.
  bool spaceBefore = false;
  bool spaceAtEnd = false;

  CHtmlNode* NextSibling() const { return next_; }
  CHtmlNode* PrevSibling() const { return prev_; }

  // True when style, class, lang and the rest of the tag are all empty.
  bool WithoutAttributes() const { return style.empty() && cssClass.empty() && text.empty() && lang.empty(); }

 private:
  friend class CChildList;
  CHtmlNode* prev_ = nullptr;  // sibling links, maintained by the owning CChildList
  CHtmlNode* next_ = nullptr;
};

// A new node with the initial values and the given parent (not appended anywhere).
std::unique_ptr<CHtmlNode> MakeNode(CHtmlNode* parent);

}  // namespace trimvale
