#pragma once
// One node of a parsed page: an element, a text run, a comment, or xmp/plaintext content.
// A node owns its children through CChildList; `parent` never owns. Trees of any depth and
// breadth are built, walked and destroyed without recursion.
//
// A page of many tiny elements holds one node for every few bytes of input, so the node is kept
// small: names and texts live in 8-byte strings that hold up to 7 bytes in place, a child list
// keeps its last child in its first child's back link, and the attribute values and profile rule
// that most nodes lack live in a side record made on first use.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "rules/optimize_options.h"
#include "rules/tag_layout.h"

namespace trimvale {

struct CHtmlNode;

// A string of 8 bytes: up to 7 bytes in place (most tag names, short texts), longer ones on the
// heap at their exact size behind their length. Names and texts are assigned whole and rarely
// edited, so there is no spare capacity to keep.
class CCompactString {
 public:
  CCompactString() noexcept { SetInline(0); }
  CCompactString(std::string_view s) { Init(s); }    // NOLINT(google-explicit-constructor)
  CCompactString(const char* s) { Init(s); }         // NOLINT(google-explicit-constructor)
  CCompactString(const std::string& s) { Init(s); }  // NOLINT(google-explicit-constructor)
  CCompactString(const CCompactString& other) { Init(other.view()); }
  CCompactString(CCompactString&& other) noexcept;
  CCompactString& operator=(const CCompactString& other);
  CCompactString& operator=(CCompactString&& other) noexcept;
  CCompactString& operator=(std::string_view s) { return assign(s); }
  CCompactString& operator=(const char* s) { return assign(s); }
  CCompactString& operator=(const std::string& s) { return assign(s); }
  ~CCompactString() { Release(); }

  CCompactString& assign(std::string_view s);
  CCompactString& assign(std::size_t count, char c) { return assign(std::string(count, c)); }
  void clear() { assign(std::string_view()); }

  bool empty() const { return size() == 0; }
  std::size_t size() const { return OnHeap() ? HeapSize() : static_cast<unsigned char>(bytes_[kTag]) & kSizeMask; }
  const char* data() const { return OnHeap() ? HeapData() : bytes_; }
  const char* begin() const { return data(); }
  const char* end() const { return data() + size(); }
  char front() const { return data()[0]; }
  char back() const { return data()[size() - 1]; }
  char operator[](std::size_t i) const { return data()[i]; }
  std::string_view view() const { return {data(), size()}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const { return view(); }  // NOLINT(google-explicit-constructor)

  std::size_t find(char c, std::size_t pos = 0) const { return view().find(c, pos); }
  std::size_t find(std::string_view s, std::size_t pos = 0) const { return view().find(s, pos); }

  // Edits the value as a std::string: `edit(std::string&)` gets a copy, which is stored back.
  template <class TEdit>
  void Edit(TEdit&& edit) {
    std::string value(view());
    edit(value);
    assign(value);
  }

  friend bool operator==(const CCompactString& a, const CCompactString& b) { return a.view() == b.view(); }
  friend bool operator==(const CCompactString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const CCompactString& a, const char* b) { return a.view() == b; }
  friend bool operator==(const CCompactString& a, const std::string& b) { return a.view() == b; }
  friend std::string operator+(std::string a, const CCompactString& b) { return a.append(b.view()); }
  friend std::string operator+(const char* a, const CCompactString& b) { return std::string(a).append(b.view()); }
  friend std::string operator+(const CCompactString& a, std::string_view b) { return a.str().append(b); }
  friend std::string operator+(const CCompactString& a, char b) { return a.str() + b; }
  friend std::ostream& operator<<(std::ostream& out, const CCompactString& s);

 private:
  static constexpr std::size_t kTag = 7;  // byte holding kInline and the in-place size
  static constexpr unsigned char kInline = 0x80;
  static constexpr unsigned char kSizeMask = 0x7F;
  static constexpr std::size_t kMaxInline = 7;

  bool OnHeap() const { return (static_cast<unsigned char>(bytes_[kTag]) & kInline) == 0; }
  std::size_t HeapSize() const;
  const char* HeapData() const;
  const char* HeapBlock() const;
  void SetInline(std::size_t size) { bytes_[kTag] = static_cast<char>(kInline | size); }
  void Init(std::string_view s);
  void Release() noexcept;

  // In place: the characters from byte 0, kInline with their count in byte 7. On the heap: the
  // owned block's address shifted right by one (blocks are aligned, and the top bit stays clear
  // to tell it from kInline), the block holding a 32-bit length and then the characters.
  alignas(8) char bytes_[8];
};

// Owning, doubly linked list of child nodes, threaded through the children's sibling links; the
// first child's back link holds the last child, so the list needs no tail field of its own.
// Insertion, removal and moving a range are O(1) per node moved, so passes that dissolve or
// split elements stay linear however wide a level is.
class CChildList {
 public:
  CChildList() = default;
  CChildList(const CChildList&) = delete;
  CChildList& operator=(const CChildList&) = delete;
  ~CChildList() { Clear(); }

  CHtmlNode* front() const { return head_; }
  CHtmlNode* back() const;
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  // Appends `node` (owned from now on) and returns it. The caller sets its parent.
  CHtmlNode* PushBack(std::unique_ptr<CHtmlNode> node);
  // Inserts `node` directly after `pos` (at the front when `pos` is null) and returns it.
  CHtmlNode* InsertAfter(CHtmlNode* pos, std::unique_ptr<CHtmlNode> node);
  // Takes `node` out of the list and hands ownership back.
  std::unique_ptr<CHtmlNode> Unlink(CHtmlNode* node);
  std::unique_ptr<CHtmlNode> PopBack() { return Unlink(back()); }
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
  std::uint32_t count_ = 0;  // a page has fewer than 2^31 bytes, so fewer nodes
};

// What few nodes carry: the three attribute values the serializer writes itself, and the
// profile's rule for the node's name.
struct CNodeExtras {
  std::string cssClass;  // value of class, as written
  std::string style;     // value of style, without quotes
  std::string lang;      // value of lang, without quotes
  // Attached while parsing when a profile is in use; not owned (the run's rule list outlives
  // the tree). Null: no rule, every rule flag false.
  const CTagRule* rule = nullptr;
};

struct CHtmlNode {
  CCompactString name;  // tag name as written; "!--" for comments; empty for text
  // Text run; rest of the tag after class/style/lang are taken out; comment content ending
  // with "--"; raw xmp or plaintext content.
  CCompactString text;
  CHtmlNode* parent = nullptr;  // not owned; null only for a job's root
  // The children come right before the small fields: those take the list's spare tail bytes.
  [[no_unique_address]] CChildList children;

  TagKind kind : 8 = TagKind::Other;  // every kind fits in a byte
  std::uint8_t layoutBits = 0;
  std::uint8_t endTagKind = kEndTagRequired;
  bool isBare : 1 = true;  // never received non-empty text; passes set it again on bare spans
  bool isEndTag : 1 = false;
  bool skip : 1 = false;  // to be dropped by its creator
  // White space of the page that produced no node of its own: a blank-only run (or a line break
  // folded away at a run's start) right before this node, or right before this element's end.
  // Between words and inline tags it renders as a space, so the serializer writes one there.
  bool spaceBefore : 1 = false;
  bool spaceAtEnd : 1 = false;
  bool inStore : 1 = false;  // lives in a slot of its tree's node store; set by MakeNode only

  // Frees a node made by MakeNode into its store, any other into the heap.
  static void operator delete(CHtmlNode* node, std::destroying_delete_t) noexcept;

  CHtmlNode* NextSibling() const { return next_; }
  // The first child's back link holds the last child, whose forward link is null.
  CHtmlNode* PrevSibling() const { return prev_ && prev_->next_ ? prev_ : nullptr; }

  const std::string& CssClass() const { return extras_ ? extras_->cssClass : Empty(); }
  const std::string& Style() const { return extras_ ? extras_->style : Empty(); }
  const std::string& Lang() const { return extras_ ? extras_->lang : Empty(); }
  const CTagRule* Rule() const { return extras_ ? extras_->rule : nullptr; }
  // Setting an empty value or no rule makes no side record.
  void SetCssClass(std::string value);
  void SetStyle(std::string value);
  void SetLang(std::string value);
  void SetRule(const CTagRule* rule);
  // For editing in place; only called on a value that is not empty, so the record exists.
  std::string& EditableStyle() { return Extras().style; }

  // True when style, class, lang and the rest of the tag are all empty.
  bool WithoutAttributes() const {
    return text.empty() && (!extras_ || (extras_->style.empty() && extras_->cssClass.empty() && extras_->lang.empty()));
  }

 private:
  friend class CChildList;
  static const std::string& Empty();
  CNodeExtras& Extras();

  std::unique_ptr<CNodeExtras> extras_;  // owned; null while the node has none of them
  CHtmlNode* prev_ = nullptr;            // sibling links, maintained by the owning CChildList
                                         // (prev_ of a first child is the last child)
  CHtmlNode* next_ = nullptr;
};

inline CHtmlNode* CChildList::back() const { return head_ ? head_->prev_ : nullptr; }

// A new node with the initial values and the given parent (not appended anywhere). Nodes live
// in 1 MiB blocks of a store shared by a tree: no allocator header per node, and a block goes
// back as soon as its last node is freed. A node made without a parent starts a new store; one
// made under a parent that is not in a store (a root on the stack) goes to the heap.
std::unique_ptr<CHtmlNode> MakeNode(CHtmlNode* parent);

}  // namespace trimvale
