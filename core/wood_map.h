// A value per equation system, for the few systems alive at once (a module's own and the
// copies of the forks being compiled).
//
// Entries sit in one small vector in ascending address order, as a std::map keyed by the
// system's address would list them; a look-up reads a few adjacent entries. Each entry also
// keeps its position in a list of the holders of that system (see wood_holders), so that a
// holder leaves that list in constant time.
//
// A fork's copy is made without entries of its own: it reads those of the system it was
// copied from as they stood at the copy (wood_lineage). Before that system changes an entry
// a copy reads through it, the copy is given the old one (wood_holders::set), so a fork
// costs what its branch and its original write while it lives, not what the system holds.
#ifndef CORE_WOOD_MAP_H
#define CORE_WOOD_MAP_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

class Bddexpressionwood;

// Which system each fork's copy reads through, and from when: entries made before `since`
// (on the clock every entry is stamped with) are the copy's unless it has its own.
class wood_lineage {
 public:
  struct link {
    Bddexpressionwood* base;
    uint64_t since;
  };

  static uint64_t tick() { return ++state().clock; }
  static const link* base_of(const Bddexpressionwood* w) {
    State& s = state();
    if (s.links.empty()) return nullptr;
    auto it = s.links.find(w);
    return it != s.links.end() ? &it->second : nullptr;
  }
  // The copies reading through w.
  static const std::vector<Bddexpressionwood*>& heirs(const Bddexpressionwood* w) {
    static const std::vector<Bddexpressionwood*> none;
    State& s = state();
    if (s.heirs.empty()) return none;
    auto it = s.heirs.find(w);
    return it != s.heirs.end() ? it->second : none;
  }
  // to (no link yet) reads through from from now on.
  static void attach(Bddexpressionwood* to, Bddexpressionwood* from) {
    State& s = state();
    s.links[to] = link{from, tick()};
    s.heirs[from].push_back(to);
  }
  // w leaves the lineage: its heirs, which every holder registry has settled (they hold all
  // they read), read through nothing, and w leaves its base's heirs.
  static void forget(Bddexpressionwood* w) {
    State& s = state();
    auto h = s.heirs.find(w);
    if (h != s.heirs.end()) {
      for (Bddexpressionwood* c : h->second) s.links.erase(c);
      s.heirs.erase(h);
    }
    auto l = s.links.find(w);
    if (l == s.links.end()) return;
    auto b = s.heirs.find(l->second.base);
    if (b != s.heirs.end()) {
      std::vector<Bddexpressionwood*>& list = b->second;
      for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == w) {
          list[i] = list.back();
          list.pop_back();
          break;
        }
      if (list.empty()) s.heirs.erase(b);
    }
    s.links.erase(l);
  }

 private:
  struct State {
    uint64_t clock = 0;
    std::unordered_map<const Bddexpressionwood*, link> links;
    std::unordered_map<const Bddexpressionwood*, std::vector<Bddexpressionwood*>> heirs;
  };
  static State& state() {
    static State s;
    return s;
  }
};

template <class T>
class wood_map {
 public:
  struct entry {
    Bddexpressionwood* first;
    T second;
    size_t slot;     // position in the system's holder list
    uint64_t stamp;  // when the value was first entered (kept when handed to a copy)
  };
  using const_iterator = typename std::vector<entry>::const_iterator;

  // Every entry held, of every system (a copy's inherited ones are its original's).
  const_iterator begin() const { return entries.begin(); }
  const_iterator end() const { return entries.end(); }
  size_t size() const { return entries.size(); }
  bool empty() const { return entries.empty(); }

  // The entry w reads: its own, else, for a fork's copy, the one its original read at the
  // copy (first is then that original); end() when none.
  const_iterator find(const Bddexpressionwood* w) const {
    uint64_t before = std::numeric_limits<uint64_t>::max();
    for (;;) {
      auto it = own(w);
      if (it != end()) return it->stamp < before ? it : end();
      const wood_lineage::link* l = wood_lineage::base_of(w);
      if (l == nullptr) return end();
      before = l->since;
      w = l->base;
    }
  }
  size_t count(const Bddexpressionwood* w) const { return find(w) != end() ? 1 : 0; }
  const T& at(const Bddexpressionwood* w) const {
    auto it = find(w);
    if (it == end()) throw std::out_of_range("wood_map::at");
    return it->second;
  }

  template <class H, class U, class Get>
  friend class wood_holders;

 private:
  std::vector<entry> entries;

  const_iterator own(const Bddexpressionwood* w) const {
    for (auto it = entries.begin(); it != entries.end(); ++it)
      if (it->first == w) return it;
    return entries.end();
  }
  typename std::vector<entry>::iterator own(const Bddexpressionwood* w) {
    for (auto it = entries.begin(); it != entries.end(); ++it)
      if (it->first == w) return it;
    return entries.end();
  }
  // Adds w (absent) at its address rank; only the holder lists add and remove entries.
  void insert(Bddexpressionwood* w, const T& value, size_t slot, uint64_t stamp) {
    if (entries.capacity() == 0) entries.reserve(2);
    auto it = entries.begin();
    while (it != entries.end() && std::less<const Bddexpressionwood*>()(it->first, w)) ++it;
    entries.insert(it, entry{w, value, slot, stamp});
  }
  void erase(typename std::vector<entry>::iterator it) { entries.erase(it); }
};

// For each equation system, the holders (H*) with an entry of its own in their wood_map<T>
// (reached through get(holder)), so that forgetting a system visits only its own holders.
template <class H, class T, class Get>
class wood_holders {
 public:
  explicit wood_holders(Get get) : get_(get) {}

  // Gives h an entry of its own for w with value (or sets the value of its own one).
  void set(H* h, Bddexpressionwood* w, const T& value) {
    hand_down(h, w);
    wood_map<T>& m = get_(h);
    auto it = m.own(w);
    if (it != m.entries.end()) {
      it->second = value;
      return;
    }
    enter(h, w, value, wood_lineage::tick());
  }

  // Gives each holder of `added`, none of which reads an entry for w, one with its value.
  void add_all(Bddexpressionwood* w, const std::vector<std::pair<H*, T>>& added) {
    if (added.empty()) return;
    lists[w].reserve(lists[w].size() + added.size());
    for (const auto& a : added) set(a.first, w, a.second);
  }

  // Gives every holder that from reads an entry for an entry of to's own with its value
  // (nothing when to reads through from already).
  void copy(Bddexpressionwood* to, Bddexpressionwood* from) {
    const wood_lineage::link* l = wood_lineage::base_of(to);
    if (to == from || (l != nullptr && l->base == from)) return;
    for_each_read(from, [&](H* h, const typename wood_map<T>::entry& e) { set(h, to, e.second); });
  }

  // Removes w's own entries from every holder; the copies reading through w first take
  // what they read.
  void forget(Bddexpressionwood* w) {
    for (Bddexpressionwood* c : wood_lineage::heirs(w)) settle(c);
    auto found = lists.find(w);
    if (found == lists.end()) return;
    for (H* h : found->second) {
      wood_map<T>& m = get_(h);
      auto it = m.own(w);
      if (it != m.entries.end()) m.erase(it);
    }
    lists.erase(found);
  }

  // Removes every entry of h (h is going).
  void drop(H* h) {
    wood_map<T>& m = get_(h);
    for (auto& e : m.entries) unlist(e.first, e.slot);
  }

 private:
  Get get_;
  std::unordered_map<Bddexpressionwood*, std::vector<H*>> lists;

  void enter(H* h, Bddexpressionwood* w, const T& value, uint64_t stamp) {
    std::vector<H*>& list = lists[w];
    get_(h).insert(w, value, list.size(), stamp);
    list.push_back(h);
  }

  // Before h's entry read by w changes, each copy reading it through w keeps it as its own.
  void hand_down(H* h, Bddexpressionwood* w) {
    const std::vector<Bddexpressionwood*>& heirs = wood_lineage::heirs(w);
    if (heirs.empty()) return;
    wood_map<T>& m = get_(h);
    for (Bddexpressionwood* c : heirs) {
      if (m.own(c) != m.entries.end()) continue;
      auto read = m.find(c);
      if (read != m.end()) {
        T value = read->second;
        enter(h, c, value, read->stamp);
      }
    }
  }

  // f(h, e) for every holder h and the entry e that w reads of it.
  template <class F>
  void for_each_read(Bddexpressionwood* w, F f) {
    std::vector<std::pair<H*, typename wood_map<T>::entry>> read;
    for (Bddexpressionwood* a = w; a != nullptr;) {
      auto found = lists.find(a);
      if (found != lists.end())
        for (H* h : found->second) {
          auto e = get_(h).find(w);
          if (e != get_(h).end() && e->first == a) read.emplace_back(h, *e);
        }
      const wood_lineage::link* l = wood_lineage::base_of(a);
      a = l != nullptr ? l->base : nullptr;
    }
    for (auto& r : read) f(r.first, r.second);
  }

  // c takes as its own every entry it reads through its originals.
  void settle(Bddexpressionwood* c) {
    for_each_read(c, [&](H* h, const typename wood_map<T>::entry& e) {
      if (e.first != c) enter(h, c, e.second, e.stamp);
    });
  }

  // The last holder of w's list takes the place of the one at slot.
  void unlist(Bddexpressionwood* w, size_t slot) {
    auto found = lists.find(w);
    if (found == lists.end()) return;
    std::vector<H*>& list = found->second;
    H* last = list.back();
    list.pop_back();
    if (slot < list.size()) {
      list[slot] = last;
      get_(last).own(w)->slot = slot;
    }
    if (list.empty()) lists.erase(found);
  }
};

#endif
