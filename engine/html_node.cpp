#include "engine/html_node.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <ostream>

#if defined(__SANITIZE_ADDRESS__)
#define TRIMVALE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRIMVALE_ASAN 1
#endif
#endif
#ifdef TRIMVALE_ASAN
#include <sanitizer/asan_interface.h>
#endif

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

// ---------------------------------------------------------------------------------------------
// The node store

namespace {

// A page of tiny elements holds a node for every few bytes of input, so a node must cost its
// 64 bytes and no more: the heap would add a header and round it up to 80. Nodes are cut from
// blocks aligned to their size, so a node finds its block's header by masking its address.
// Blocks are large: the heap serves smaller aligned blocks from the gaps between other data and
// leaves the memory fragmented (64 KiB blocks cost a page of `<p>x` a fifth more), and a block's
// pages cost memory only once they are used.
constexpr std::size_t kBlockBytes = 1024 * 1024;
constexpr std::size_t kSlotBytes = sizeof(CHtmlNode);
constexpr std::size_t kSlots = kBlockBytes / kSlotBytes - 1;  // the first slot holds the header

struct CNodeStore;

struct CStoreBlock {
  CNodeStore* store;         // owner of this block; not owned
  CStoreBlock* nextPartial;  // blocks with freed slots, a list kept by the store
  CStoreBlock* prevPartial;
  void* freeSlots = nullptr;  // freed slots of this block, linked through their first word
  std::uint32_t live = 0;     // nodes alive in this block
  std::uint32_t cut = 0;      // slots cut from the block's start so far
  bool partial = false;       // on the store's list of blocks with freed slots
};
static_assert(sizeof(CStoreBlock) <= kSlotBytes);

// The blocks of one tree. It lives as long as one of its blocks does: the last block to empty
// takes it along.
struct CNodeStore {
  CStoreBlock* current = nullptr;  // the block new slots are cut from; not owned
  CStoreBlock* partial = nullptr;  // first block with freed slots; not owned
  std::size_t blocks = 0;          // blocks alive
  std::size_t live = 0;            // nodes alive in all blocks
};

void Poison(void* slot) {
#ifdef TRIMVALE_ASAN
  ASAN_POISON_MEMORY_REGION(slot, kSlotBytes);
#else
  (void)slot;
#endif
}

void Unpoison(void* slot) {
#ifdef TRIMVALE_ASAN
  ASAN_UNPOISON_MEMORY_REGION(slot, kSlotBytes);
#else
  (void)slot;
#endif
}

CStoreBlock* BlockOf(const void* slot) {
  return reinterpret_cast<CStoreBlock*>(reinterpret_cast<std::uintptr_t>(slot) & ~(kBlockBytes - 1));
}

void RemovePartial(CNodeStore& store, CStoreBlock& block) {
  if (block.prevPartial) {
    block.prevPartial->nextPartial = block.nextPartial;
  } else {
    store.partial = block.nextPartial;
  }
  if (block.nextPartial) block.nextPartial->prevPartial = block.prevPartial;
  block.partial = false;
}

void* TakeSlot(CNodeStore& store) {
  if (CStoreBlock* block = store.partial) {
    void* slot = block->freeSlots;
    Unpoison(slot);
    std::memcpy(&block->freeSlots, slot, sizeof(void*));
    if (!block->freeSlots) RemovePartial(store, *block);
    ++block->live;
    ++store.live;
    return slot;
  }
  if (!store.current || store.current->cut == kSlots) {
    void* memory = ::operator new(kBlockBytes, std::align_val_t{kBlockBytes});
    store.current = new (memory) CStoreBlock{&store, nullptr, nullptr};
    ++store.blocks;
  }
  CStoreBlock& block = *store.current;
  ++block.live;
  ++store.live;
  void* slot = reinterpret_cast<char*>(&block) + kSlotBytes * (1 + block.cut++);
  Unpoison(slot);  // a block cut again from its start may hold freed slots
  return slot;
}

void FreeBlock(CNodeStore& store, CStoreBlock& block) {
  if (block.partial) RemovePartial(store, block);
  if (store.current == &block) store.current = nullptr;
  ::operator delete(static_cast<void*>(&block), std::align_val_t{kBlockBytes});
  --store.blocks;
}

void GiveBackSlot(void* slot) {
  CStoreBlock& block = *BlockOf(slot);
  CNodeStore& store = *block.store;
  --store.live;
  if (--block.live == 0) {
    if (store.live == 0) {
      // The tree's last node: the store goes, with the block kept empty to cut from, if any.
      FreeBlock(store, block);
      if (store.current) FreeBlock(store, *store.current);
      delete &store;
      return;
    }
    if (store.current == &block) {
      // Kept to cut from again: freeing it would make the next node take a new block, and a
      // node made and freed in turn at a block's edge would take and free one every time.
      if (block.partial) RemovePartial(store, block);
      block.freeSlots = nullptr;
      block.cut = 0;
      return;
    }
    FreeBlock(store, block);
    return;
  }
  std::memcpy(slot, &block.freeSlots, sizeof(void*));
  block.freeSlots = slot;
  Poison(slot);
  if (!block.partial) {
    block.partial = true;
    block.prevPartial = nullptr;
    block.nextPartial = store.partial;
    if (store.partial) store.partial->prevPartial = &block;
    store.partial = &block;
  }
}

}  // namespace

void CHtmlNode::operator delete(CHtmlNode* node, std::destroying_delete_t) noexcept {
  const bool inStore = node->inStore;
  node->~CHtmlNode();
  if (inStore) {
    GiveBackSlot(node);
  } else {
    ::operator delete(static_cast<void*>(node));
  }
}

std::unique_ptr<CHtmlNode> MakeNode(CHtmlNode* parent) {
  if (parent && !parent->inStore) {
    auto node = std::unique_ptr<CHtmlNode>(new CHtmlNode());
    node->parent = parent;
    return node;
  }
  void* slot = nullptr;
  if (parent) {
    slot = TakeSlot(*BlockOf(parent)->store);
  } else {
    auto store = std::make_unique<CNodeStore>();
    slot = TakeSlot(*store);
    store.release();  // its block owns it now
  }
  auto node = std::unique_ptr<CHtmlNode>(new (slot) CHtmlNode());
  node->inStore = true;
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
