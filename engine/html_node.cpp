#include "engine/html_node.h"

namespace trimvale {

std::unique_ptr<CHtmlNode> MakeNode(CHtmlNode* parent) {
  auto node = std::make_unique<CHtmlNode>();
  node->parent = parent;
  return node;
}

CHtmlNode* CChildList::PushBack(std::unique_ptr<CHtmlNode> node) { return InsertAfter(tail_, std::move(node)); }

CHtmlNode* CChildList::InsertAfter(CHtmlNode* pos, std::unique_ptr<CHtmlNode> owned) {
  CHtmlNode* node = owned.release();
  node->prev_ = pos;
  node->next_ = pos ? pos->next_ : head_;
  if (node->next_) {
    node->next_->prev_ = node;
  } else {
    tail_ = node;
  }
  if (pos) {
    pos->next_ = node;
  } else {
    head_ = node;
  }
  ++count_;
  return node;
}

std::unique_ptr<CHtmlNode> CChildList::Unlink(CHtmlNode* node) {
  if (!node) return nullptr;
  if (node->prev_) {
    node->prev_->next_ = node->next_;
  } else {
    head_ = node->next_;
  }
  if (node->next_) {
    node->next_->prev_ = node->prev_;
  } else {
    tail_ = node->prev_;
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
  CHtmlNode* node = tail_;
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
  // deleted, so no destructor ever recurses, however deep the tree.
  while (head_) {
    CHtmlNode* node = head_;
    head_ = node->next_;
    --count_;
    CChildList& sub = node->children;
    if (sub.head_) {
      sub.tail_->next_ = head_;
      if (head_) head_->prev_ = sub.tail_;
      head_ = sub.head_;
      count_ += sub.count_;
      if (!tail_ || tail_ == node) tail_ = sub.tail_;
      sub.head_ = sub.tail_ = nullptr;
      sub.count_ = 0;
    }
    if (tail_ == node) tail_ = nullptr;
    if (head_) head_->prev_ = nullptr;
    node->next_ = node->prev_ = nullptr;
    delete node;
  }
  head_ = tail_ = nullptr;
  count_ = 0;
}

}  // namespace trimvale
