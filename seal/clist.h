// CList<T>: a small doubly linked list with head, tail and count, walked
// through opaque positions:
//
//   for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
//     T& value = list.GetNext(pos);  // returns the element, then advances
//   }
//
// It owns its nodes, not what a pointer element points to: a list of
// pointers is emptied with RemoveAll after the owner has freed them.
// Positions stay valid until their element is removed.
#ifndef OESQX_SEAL_CLIST_H
#define OESQX_SEAL_CLIST_H

#include <cstddef>
#include <utility>

// Opaque place of an element in a CList; null means "before the head" or
// "past the tail".
struct CListPosition;
typedef CListPosition* POSITION;

template <typename T>
class CList {
 public:
  CList() = default;
  ~CList() { RemoveAll(); }
  CList(const CList&) = delete;
  CList& operator=(const CList&) = delete;
  CList(CList&& other) noexcept { Swap(other); }
  CList& operator=(CList&& other) noexcept {
    if (this != &other) {
      RemoveAll();
      Swap(other);
    }
    return *this;
  }

  int GetCount() const { return count_; }
  int GetSize() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }

  POSITION GetHeadPosition() const { return ToPos(head_); }
  POSITION GetTailPosition() const { return ToPos(tail_); }

  // Element at pos; pos moves to the next (or previous) element, null at
  // the end. pos must not be null.
  T& GetNext(POSITION& pos) {
    Node* n = FromPos(pos);
    pos = ToPos(n->next);
    return n->value;
  }
  const T& GetNext(POSITION& pos) const {
    Node* n = FromPos(pos);
    pos = ToPos(n->next);
    return n->value;
  }
  T& GetPrev(POSITION& pos) {
    Node* n = FromPos(pos);
    pos = ToPos(n->prev);
    return n->value;
  }

  T& GetAt(POSITION pos) { return FromPos(pos)->value; }
  const T& GetAt(POSITION pos) const { return FromPos(pos)->value; }
  // Head and tail; the list must not be empty.
  T& GetHead() { return head_->value; }
  T& GetTail() { return tail_->value; }

  POSITION AddTail(const T& value) { return InsertAfterNode(tail_, new Node{value}); }
  POSITION AddTail(T&& value) { return InsertAfterNode(tail_, new Node{std::move(value)}); }
  POSITION AddHead(const T& value) {
    Node* n = new Node{value};
    n->next = head_;
    if (head_ != nullptr) head_->prev = n;
    head_ = n;
    if (tail_ == nullptr) tail_ = n;
    ++count_;
    return ToPos(n);
  }

  // Removes the element at pos (pos is invalid afterwards).
  void RemoveAt(POSITION pos) {
    Node* n = FromPos(pos);
    if (n->prev != nullptr) n->prev->next = n->next; else head_ = n->next;
    if (n->next != nullptr) n->next->prev = n->prev; else tail_ = n->prev;
    delete n;
    --count_;
  }

  // First position whose element equals value, or null.
  POSITION Find(const T& value) const {
    for (Node* n = head_; n != nullptr; n = n->next) {
      if (n->value == value) return ToPos(n);
    }
    return nullptr;
  }

  void RemoveAll() {
    Node* n = head_;
    while (n != nullptr) {
      Node* next = n->next;
      delete n;
      n = next;
    }
    head_ = tail_ = nullptr;
    count_ = 0;
  }

 private:
  struct Node {
    T value;
    Node* prev = nullptr;
    Node* next = nullptr;
  };

  static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
  static Node* FromPos(POSITION p) { return reinterpret_cast<Node*>(p); }

  POSITION InsertAfterNode(Node* after, Node* n) {
    n->prev = after;
    n->next = after != nullptr ? after->next : head_;
    if (n->next != nullptr) n->next->prev = n; else tail_ = n;
    if (after != nullptr) after->next = n; else head_ = n;
    ++count_;
    return ToPos(n);
  }

  void Swap(CList& other) noexcept {
    std::swap(head_, other.head_);
    std::swap(tail_, other.tail_);
    std::swap(count_, other.count_);
  }

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  int count_ = 0;
};

#endif
