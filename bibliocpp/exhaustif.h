// Exhaustive walk through the permutations of 0..n-1 in lexicographic order, with pruning of every
// permutation sharing a prefix, and the leftmost position each step changed.
#ifndef BIBLIOCPP_EXHAUSTIF_H
#define BIBLIOCPP_EXHAUSTIF_H

#include <ostream>
#include <vector>

class exhaustif_class {
 public:
  explicit exhaustif_class(int n);  // the first permutation 0, 1, ..., n-1 (n < 0 taken as 0)
  exhaustif_class(int n, const int* start);  // a copy of the n values at start
  exhaustif_class(const exhaustif_class&) = default;
  // Copies the degree and the order, not the last number.
  exhaustif_class& operator=(const exhaustif_class& other);

  int degree() const { return static_cast<int>(order_.size()); }
  // A new degree gets a new zeroed order of that length; order(values) gives it its values.
  void degree(int d);
  int* order() { return order_.data(); }  // still owned by the object
  const int* order() const { return order_.data(); }
  void order(const int* values);  // the degree's count of values

  // Steps to the next permutation: k < 0 the next one; 0 <= k < n the first one whose prefix up
  // to k is greater (skipping all that share a[0..k]). false at the end of the enumeration
  // (order then all zeros, last number 0), and without touching anything for degree 0 or k >= n.
  bool next(int k);
  int last_number() const { return last_; }  // leftmost position the last step changed

  friend bool operator==(const exhaustif_class& a, const exhaustif_class& b);  // degree and order
  friend bool operator!=(const exhaustif_class& a, const exhaustif_class& b);
  // "<degree>,<last number> (<e0> <e1> ... )", e.g. "3,0 (0 1 2 )".
  friend std::ostream& operator<<(std::ostream& os, const exhaustif_class& e);

 private:
  int last_ = 0;
  std::vector<int> order_;
};

#endif
