#include "engine/html_node.h"

#include <bit>
#include <cstring>
#include <ostream>

namespace trimvale {

// ---------------------------------------------------------------------------------------------
// CCompactString

CCompactString::CCompactString(CCompactString&& other) noexcept {
  std::memcpy(bytes_, other.bytes_, sizeof bytes_);
  other.SetInline(0);
}

CCompactString& CCompactString::operator=(const CCompactString& other) {
  if (this != &other) assign(other.view());
  return *this;
}

CCompactString& CCompactString::operator=(CCompactString&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.SetInline(0);
  }
  return *this;
}

const char* CCompactString::HeapBlock() const {
  std::uintptr_t word = 0;
  std::memcpy(&word, bytes_, sizeof word);
  return reinterpret_cast<const char*>(word << 1);
}

std::size_t CCompactString::HeapSize() const {
  std::uint32_t size = 0;
  std::memcpy(&size, HeapBlock(), sizeof size);
  return size;
}

const char* CCompactString::HeapData() const { return HeapBlock() + sizeof(std::uint32_t); }

void CCompactString::Init(std::string_view s) {
  if (s.size() <= kMaxInline) {
    if (!s.empty()) std::memcpy(bytes_, s.data(), s.size());
    SetInline(s.size());
    return;
  }
  // A value is at most a whole page, and a page has fewer than 2^31 bytes. The block comes from
  // operator new, so it is aligned and its address loses nothing by the shift.
  const auto size = static_cast<std::uint32_t>(s.size());
  char* block = static_cast<char*>(::operator new(sizeof size + s.size()));
  std::memcpy(block, &size, sizeof size);
  std::memcpy(block + sizeof size, s.data(), s.size());
  const std::uintptr_t word = reinterpret_cast<std::uintptr_t>(block) >> 1;
  std::memcpy(bytes_, &word, sizeof word);
}

void CCompactString::Release() noexcept {
  if (OnHeap()) ::operator delete(const_cast<char*>(HeapBlock()));
  SetInline(0);
}

CCompactString& CCompactString::assign(std::string_view s) {
  // `s` may point into this string's own buffer, so the new value is built before the old one
  // is released.
  CCompactString fresh(s);
  return *this = std::move(fresh);
}

std::ostream& operator<<(std::ostream& out, const CCompactString& s) { return out << s.view(); }

// ---------------------------------------------------------------------------------------------
// CHtmlNode

const std::string& CHtmlNode::Empty() {
  static const std::string kEmpty;
  return kEmpty;
}

CNodeExtras& CHtmlNode::Extras() {
  if (!extras_) extras_ = std::make_unique<CNodeExtras>();
  return *extras_;
}

void CHtmlNode::SetCssClass(std::string value) {
  if (extras_ || !value.empty()) Extras().cssClass = std::move(value);
}

void CHtmlNode::SetStyle(std::string value) {
  if (extras_ || !value.empty()) Extras().style = std::move(value);
}

void CHtmlNode::SetLang(std::string value) {
  if (extras_ || !value.empty()) Extras().lang = std::move(value);
}

void CHtmlNode::SetRule(const CTagRule* rule) {
  if (extras_ || rule) Extras().rule = rule;
}

static_assert(std::endian::native == std::endian::little, "the in-place tag is the top byte of the heap address");
static_assert(sizeof(CCompactString) == 8);
// A page of `<p>x</p>` holds two nodes per 8 bytes of input: every 8 bytes of node are 2 bytes
// of memory per input byte.
static_assert(sizeof(CHtmlNode) <= 64, "a node should fit 64 bytes");

std::unique_ptr<CHtmlNode> MakeNode(CHtmlNode* parent) {
  auto node = std::make_unique<CHtmlNode>();
  node->parent = parent;
  return node;
}

CHtmlNode* CChildList::PushBack(std::unique_ptr<CHtmlNode> node) { return InsertAfter(back(), std::move(node)); }

CHtmlNode* CChildList::InsertAfter(CHtmlNode* pos, std::unique_ptr<CHtmlNode> owned) {
  CHtmlNode* node = owned.release();
  if (!head_) {
    node->prev_ = node;
    node->next_ = nullptr;
    head_ = node;
  } else if (!pos) {
    node->prev_ = head_->prev_;
    node->next_ = head_;
    head_->prev_ = node;
    head_ = node;
  } else {
    node->prev_ = pos;
    node->next_ = pos->next_;
    if (pos->next_) {
      pos->next_->prev_ = node;
    } else {
      head_->prev_ = node;  // the new last child
    }
    pos->next_ = node;
  }
  ++count_;
  return node;
}

std::unique_ptr<CHtmlNode> CChildList::Unlink(CHtmlNode* node) {
  if (!node) return nullptr;
  if (node == head_) {
    head_ = node->next_;
    if (head_) head_->prev_ = node->prev_;
  } else {
    node->prev_->next_ = node->next_;
    if (node->next_) {
      node->next_->prev_ = node->prev_;
    } else {
      head_->prev_ = node->prev_;  // the node was the last child
    }
  }
  node->prev_ = node->next_ = nullptr;
  --count_;
  return std::unique_ptr<CHtmlNode>(node);
}

CHtmlNode* CChildList::Nth(std::size_t n) const {
  if (n >= count_) return nullptr;
  // Walk from the nearer end: the parser asks for positions near the tail.
  if (n < count_ / 2) {
    CHtmlNode* node = head_;
    while (n--) node = node->next_;
    return node;
  }
  CHtmlNode* node = head_->prev_;
  for (std::size_t i = count_ - 1; i > n; --i) node = node->prev_;
  return node;
}

void CChildList::MoveTailTo(CHtmlNode* first, CChildList& target, CHtmlNode* newParent) {
  while (first) {
    CHtmlNode* next = first->next_;
    CHtmlNode* moved = target.PushBack(Unlink(first));
    moved->parent = newParent;
    first = next;
  }
}

CHtmlNode* CChildList::MoveAllAfter(CChildList& target, CHtmlNode* pos, CHtmlNode* newParent) {
  while (head_) {
    pos = target.InsertAfter(pos, Unlink(head_));
    pos->parent = newParent;
  }
  return pos;
}

void CChildList::Clear() {
  // Each node's children are spliced in front of the remaining chain before the node is
  // deleted, so no destructor ever recurses, however deep the tree. Only the forward links
  // matter on the way.
  while (head_) {
    CHtmlNode* node = head_;
    head_ = node->next_;
    CChildList& sub = node->children;
    if (sub.head_) {
      sub.head_->prev_->next_ = head_;
      head_ = sub.head_;
      sub.head_ = nullptr;
      sub.count_ = 0;
    }
    node->next_ = node->prev_ = nullptr;
    delete node;
  }
  count_ = 0;
}

}  // namespace trimvale
