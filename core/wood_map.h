// A value per equation system, for the few systems alive at once (a module's own and the
// copies of the forks being compiled).
//
// Entries sit in one small vector in ascending address order, as a std::map keyed by the
// system's address would list them; a look-up reads a few adjacent entries. Each entry also
// keeps its position in a list of the holders of that system (see wood_holders), so that a
// holder leaves that list in constant time.
#ifndef CORE_WOOD_MAP_H
#define CORE_WOOD_MAP_H

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

class Bddexpressionwood;

template <class T>
class wood_map {
 public:
  struct entry {
    Bddexpressionwood* first;
    T second;
    size_t slot;  // position in the system's holder list
  };
  using iterator = typename std::vector<entry>::iterator;
  using const_iterator = typename std::vector<entry>::const_iterator;

  iterator begin() { return entries.begin(); }
  iterator end() { return entries.end(); }
  const_iterator begin() const { return entries.begin(); }
  const_iterator end() const { return entries.end(); }
  size_t size() const { return entries.size(); }
  bool empty() const { return entries.empty(); }

  iterator find(const Bddexpressionwood* w) {
    for (auto it = entries.begin(); it != entries.end(); ++it)
      if (it->first == w) return it;
    return entries.end();
  }
  const_iterator find(const Bddexpressionwood* w) const {
    for (auto it = entries.begin(); it != entries.end(); ++it)
      if (it->first == w) return it;
    return entries.end();
  }
  size_t count(const Bddexpressionwood* w) const { return find(w) != end() ? 1 : 0; }
  T& at(const Bddexpressionwood* w) {
    auto it = find(w);
    if (it == end()) throw std::out_of_range("wood_map::at");
    return it->second;
  }
  const T& at(const Bddexpressionwood* w) const {
    auto it = find(w);
    if (it == end()) throw std::out_of_range("wood_map::at");
    return it->second;
  }

  template <class H, class U, class Get>
  friend class wood_holders;

 private:
  std::vector<entry> entries;

  // Adds w (absent) at its address rank; only the holder lists add and remove entries.
  iterator insert(Bddexpressionwood* w, const T& value, size_t slot) {
    if (entries.capacity() == 0) entries.reserve(2);
    auto it = entries.begin();
    while (it != entries.end() && std::less<const Bddexpressionwood*>()(it->first, w)) ++it;
    return entries.insert(it, entry{w, value, slot});
  }
  void erase(iterator it) { entries.erase(it); }
};

// For each equation system, the holders (H*) with an entry for it in their wood_map<T>
// (reached through get(holder)), so that forgetting a system visits only its own holders.
template <class H, class T, class Get>
class wood_holders {
 public:
  explicit wood_holders(Get get) : get_(get) {}

  // Gives h an entry for w with value (or sets the value when h has one).
  void set(H* h, Bddexpressionwood* w, const T& value) {
    wood_map<T>& m = get_(h);
    auto it = m.find(w);
    if (it != m.end()) {
      it->second = value;
      return;
    }
    std::vector<H*>& list = lists[w];
    m.insert(w, value, list.size());
    list.push_back(h);
  }

  // Gives each holder of `added`, none of which has an entry for w, one with its value.
  void add_all(Bddexpressionwood* w, const std::vector<std::pair<H*, T>>& added) {
    if (added.empty()) return;
    std::vector<H*>& list = lists[w];
    list.reserve(list.size() + added.size());
    for (const auto& a : added) {
      get_(a.first).insert(w, a.second, list.size());
      list.push_back(a.first);
    }
  }

  // Gives every holder of from an entry for to with its value for from.
  void copy(Bddexpressionwood* to, Bddexpressionwood* from) {
    auto found = lists.find(from);
    if (found == lists.end() || to == from) return;
    std::vector<H*>& list = lists[to];  // references into the map survive its rehashing
    const std::vector<H*>& source = lists.find(from)->second;
    list.reserve(list.size() + source.size());
    for (H* h : source) {
      wood_map<T>& m = get_(h);
      T value = m.find(from)->second;
      auto it = m.find(to);
      if (it != m.end()) {
        it->second = value;
        continue;
      }
      m.insert(to, value, list.size());
      list.push_back(h);
    }
  }

  // Removes w from every holder.
  void forget(Bddexpressionwood* w) {
    auto found = lists.find(w);
    if (found == lists.end()) return;
    for (H* h : found->second) {
      wood_map<T>& m = get_(h);
      auto it = m.find(w);
      if (it != m.end()) m.erase(it);
    }
    lists.erase(found);
  }

  // Removes every entry of h (h is going).
  void drop(H* h) {
    wood_map<T>& m = get_(h);
    for (auto& e : m) unlist(e.first, e.slot);
  }

 private:
  Get get_;
  std::unordered_map<Bddexpressionwood*, std::vector<H*>> lists;

  // The last holder of w's list takes the place of the one at slot.
  void unlist(Bddexpressionwood* w, size_t slot) {
    auto found = lists.find(w);
    if (found == lists.end()) return;
    std::vector<H*>& list = found->second;
    H* last = list.back();
    list.pop_back();
    if (slot < list.size()) {
      list[slot] = last;
      get_(last).find(w)->slot = slot;
    }
    if (list.empty()) lists.erase(found);
  }
};

#endif
