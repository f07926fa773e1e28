// Helpers over standard lists and sets of longs. Positions in a list are 1-based; 0 means absent.
// The templates are defined here; list.cc instantiates them for the library's plain element types,
// and the modules of other element types (bdd, Bddexpression) add their own instantiations.
#ifndef BIBLIOCPP_LIST_H
#define BIBLIOCPP_LIST_H

#include <list>
#include <ostream>
#include <set>

#include "g_set.h"
#include "sort_tree.h"

// Writes "{e1,e2,...}" in ascending order, no flush.
std::ostream& operator<<(std::ostream& os, const std::set<long>& s);

// 1-based position of the first element equal to v; 0 when absent.
template <class T>
int item_where(const std::list<T>& l, const typename std::list<T>::value_type& v) {
  int pos = 1;
  for (const T& x : l) {
    if (x == v) return pos;
    ++pos;
  }
  return 0;
}

template <class T>
bool item_in(const std::list<T>& l, const typename std::list<T>::value_type& v) {
  for (const T& x : l)
    if (x == v) return true;
  return false;
}

// Linear walk from the front, as on a list.
template <class T>
bool item_in(const std::set<T>& s, const typename std::set<T>::value_type& v) {
  for (const T& x : s)
    if (x == v) return true;
  return false;
}

// The n-th element (1-based); T() when n is out of range.
template <class T>
T read_number(const std::list<T>& l, int n) {
  if (n < 1) return T();
  for (const T& x : l)
    if (--n == 0) return x;
  return T();
}

// Overwrites the n-th element (1-based); nothing when n is out of range.
template <class T>
void replace_number(std::list<T>& l, int n, const typename std::list<T>::value_type& v) {
  if (n < 1) return;
  for (T& x : l)
    if (--n == 0) {
      x = v;
      return;
    }
}

// New[] array holding a copy of each element in order; null for an empty list. Caller delete[]s it.
template <class T>
T* array_convert(const std::list<T>& l) {
  if (l.empty()) return nullptr;
  T* a = new T[l.size()];
  T* p = a;
  for (const T& x : l) *p++ = x;
  return a;
}

// Writes "(e1, e2, ...)", flushing after every element and after ")".
template <class T>
std::ostream& operator<<(std::ostream& os, const std::list<T>& l) {
  os << "(";
  bool first = true;
  for (const T& x : l) {
    if (!first) os << ", ";
    first = false;
    os << x;
    os.flush();
  }
  os << ")";
  os.flush();
  return os;
}

std::set<long> priv(const std::set<long>& a, const std::set<long>& b);       // a \ b
std::set<long> set_inter(const std::set<long>& a, const std::set<long>& b);  // a ∩ b
std::set<long> set_union(const std::set<long>& a, const std::set<long>& b);  // a ∪ b

#endif
