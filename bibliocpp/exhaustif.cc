#include "exhaustif.h"

#include <algorithm>

exhaustif_class::exhaustif_class(int n) : order_(static_cast<size_t>(std::max(n, 0))) {
  for (size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
}

exhaustif_class::exhaustif_class(int n, const int* start)
    : order_(start, start + std::max(n, 0)) {}

exhaustif_class& exhaustif_class::operator=(const exhaustif_class& other) {
  if (this != &other) order_ = other.order_;
  return *this;
}

void exhaustif_class::degree(int d) {
  size_t n = static_cast<size_t>(std::max(d, 0));
  if (n != order_.size()) order_.assign(n, 0);
}

void exhaustif_class::order(const int* values) { order_.assign(values, values + order_.size()); }

bool exhaustif_class::next(int k) {
  const int n = degree();
  if (n == 0 || k >= n) return false;
  std::vector<int>& a = order_;
  int p = n - 1;
  if (k >= 0) {
    std::fill(a.begin() + k + 1, a.end(), 0);
    p = k;
  }
  ++a[p];
  for (;;) {
    // Carry: a full position restarts at 0 and bumps the one on its left.
    while (a[p] >= n) {
      a[p] = 0;
      if (--p < 0) {
        last_ = 0;
        return false;
      }
      ++a[p];
    }
    // Completion: each position takes the smallest value not used on its left; only a[p] can run
    // out of values (the prefix before it is a permutation's), and then the carry goes on.
    bool complete = true;
    for (int j = 1; j < n && complete; ++j) {
      for (int i = 0; i < j; ++i) {
        if (a[j] != a[i]) continue;
        if (++a[j] >= n) {
          complete = false;
          break;
        }
        i = -1;
      }
    }
    if (complete) break;
  }
  last_ = p;
  return true;
}

bool operator==(const exhaustif_class& a, const exhaustif_class& b) { return a.order_ == b.order_; }
bool operator!=(const exhaustif_class& a, const exhaustif_class& b) { return !(a == b); }

std::ostream& operator<<(std::ostream& os, const exhaustif_class& e) {
  os << e.degree() << "," << e.last_ << " (";
  for (int v : e.order_) os << v << " ";
  return os << ")";
}
