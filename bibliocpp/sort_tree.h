// Tree sort of an array: sort_tree is a node of the binary sort tree, sort_all sorts in place.
// Walks and destruction use explicit stacks: ordered input builds a chain as deep as the array.
#ifndef BIBLIOCPP_SORT_TREE_H
#define BIBLIOCPP_SORT_TREE_H

#include <vector>

template <class T>
class sort_tree {
 public:
  explicit sort_tree(const T& v) : value(new T(v)), after(nullptr), before(nullptr) {}
  // Destroys both subtrees and the value copy.
  ~sort_tree() {
    std::vector<sort_tree*> pending;
    detach_children(pending);
    while (!pending.empty()) {
      sort_tree* node = pending.back();
      pending.pop_back();
      node->detach_children(pending);
      delete node;
    }
    delete value;
  }
  sort_tree(const sort_tree&) = delete;
  sort_tree& operator=(const sort_tree&) = delete;

  T* value;            // owned copy
  sort_tree* after;    // values at or after this one
  sort_tree* before;   // values before this one

 private:
  void detach_children(std::vector<sort_tree*>& pending) {
    if (after) pending.push_back(after);
    if (before) pending.push_back(before);
    after = before = nullptr;
  }
};

// Sorts array[0..n) in place; cmp(a, b) != 0 when a may come before b. With a non-strict cmp
// equal values keep their order. Ordered input costs n - 1 comparisons; reverse-ordered input
// is quadratic (each element descends the whole before-chain).
template <class T, class Cmp>
void sort_all(T* array, int n, Cmp cmp) {
  if (n < 1) return;
  sort_tree<T>* root = new sort_tree<T>(array[0]);
  sort_tree<T>* last = root;  // largest so far: its after-subtree is empty
  for (int i = 1; i < n; ++i) {
    sort_tree<T>* node = new sort_tree<T>(array[i]);
    if (last->after == nullptr && cmp(*last->value, *node->value)) {
      last->after = node;
      last = node;
      continue;
    }
    sort_tree<T>* cur = root;
    for (;;) {
      sort_tree<T>*& child = cmp(*cur->value, *node->value) ? cur->after : cur->before;
      if (child == nullptr) {
        child = node;
        break;
      }
      cur = child;
    }
  }
  // In-order walk: before subtree, node, after subtree.
  std::vector<sort_tree<T>*> stack;
  sort_tree<T>* cur = root;
  int k = 0;
  while (cur != nullptr || !stack.empty()) {
    while (cur != nullptr) {
      stack.push_back(cur);
      cur = cur->before;
    }
    cur = stack.back();
    stack.pop_back();
    array[k++] = *cur->value;
    cur = cur->after;
  }
  delete root;
}

// Comparison for longs: a <= b.
int internal_inf(long a, long b);

#endif
