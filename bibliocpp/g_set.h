// g_set: a singly linked copy of a standard set, in ascending order; g_scanset: a cursor over it.
// Usual walk: first_item(); while (!last_item()) { item_value(); next_item(); }
#ifndef BIBLIOCPP_G_SET_H
#define BIBLIOCPP_G_SET_H

#include <cstdlib>
#include <iostream>
#include <set>

#include "g_exit.h"

template <class T>
struct g_set_cell {
  T value;
  g_set_cell* next;
};

template <class T>
class g_set {
 public:
  explicit g_set(const std::set<T>& s) : buffer(nullptr), first(nullptr) {
    g_set_cell<T>** tail = &first;
    for (const T& x : s) {
      *tail = new g_set_cell<T>{x, nullptr};
      tail = &(*tail)->next;
    }
  }
  ~g_set() {
    while (first) {
      g_set_cell<T>* next = first->next;
      delete first;
      first = next;
    }
    if (buffer) std::free(buffer);
  }
  g_set(const g_set&) = delete;
  g_set& operator=(const g_set&) = delete;

  void* buffer;  // spare buffer, malloc'ed when held; never filled here
  g_set_cell<T>* first;
};

template <class T>
class g_scanset {
 public:
  explicit g_scanset(const g_set<T>& s) : set(&s), current(nullptr) {}

  void first_item() { current = set->first; }
  bool last_item() const { return current == nullptr; }
  void next_item() {
    if (current == nullptr) {
      std::cerr << "ERREUR: mauvaise application des methodes next_item() et last_item()" << std::endl;
      return;
    }
    current = current->next;
  }
  // Value of the current cell; ends the process with status 1 when there is none.
  T* item_value() {
    if (current == nullptr) {
      g_exit(1, "ERREUR: il n'y a plus d'element \n   ou vous utilisez mal first_item() \n");
    }
    return &current->value;
  }

 private:
  const g_set<T>* set;
  g_set_cell<T>* current;
};

#endif
