// Open-addressing index of objects by a key read from the objects themselves.
//
// Built so for the look-ups made once per declared signal (signal references by name and by
// occurrence, signals by name): a node-based hash map would copy every key string and chase a
// node per probe. Here a slot is a (hash, object) pair in a power-of-two array kept at most half
// full, probed linearly: a look-up reads a few adjacent slots and follows an object only when
// its stored hash matches. The caller hashes the key and says which object matches; removal
// shifts the rest of the run back, so no tombstone is left.
#ifndef CORE_FLAT_INDEX_H
#define CORE_FLAT_INDEX_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

template <class T>
class flat_index {
 public:
  // The slot of the object x under hash with same(x), or -1.
  template <class Same>
  long locate(size_t hash, Same same) const {
    if (slots.empty()) return -1;
    size_t mask = slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const slot& s = slots[i];
      if (s.object == nullptr) return -1;
      if (s.hash == hash && same(s.object)) return static_cast<long>(i);
    }
  }
  T*& at(long where) { return slots[static_cast<size_t>(where)].object; }
  T* get(long where) const { return slots[static_cast<size_t>(where)].object; }

  // Adds x (not null) under hash; a key already present is not looked for.
  void insert(size_t hash, T* x) {
    if (2 * (used + 1) > slots.size()) rehash(std::max<size_t>(16, 2 * slots.size()));
    place(hash, x);
    ++used;
  }
  // Adds x under hash unless same finds an object there already: whether x was added.
  template <class Same>
  bool insert_first(size_t hash, T* x, Same same) {
    if (locate(hash, same) >= 0) return false;
    insert(hash, x);
    return true;
  }
  void erase(long where) {
    size_t mask = slots.size() - 1;
    size_t hole = static_cast<size_t>(where);
    slots[hole].object = nullptr;
    --used;
    // Moves back every later slot of the run whose probe would otherwise stop at the hole.
    for (size_t i = (hole + 1) & mask; slots[i].object != nullptr; i = (i + 1) & mask) {
      size_t home = slots[i].hash & mask;
      if (((i - home) & mask) >= ((i - hole) & mask)) {
        slots[hole] = slots[i];
        slots[i].object = nullptr;
        hole = i;
      }
    }
  }
  size_t size() const { return used; }

 private:
  struct slot {
    size_t hash;
    T* object;  // null: free
  };
  std::vector<slot> slots;
  size_t used = 0;

  void place(size_t hash, T* x) {
    size_t mask = slots.size() - 1;
    size_t i = hash & mask;
    while (slots[i].object != nullptr) i = (i + 1) & mask;
    slots[i] = slot{hash, x};
  }
  void rehash(size_t size) {
    std::vector<slot> old(size, slot{0, nullptr});
    old.swap(slots);
    for (const slot& s : old)
      if (s.object != nullptr) place(s.hash, s.object);
  }
};

inline size_t flat_hash(const std::string& key) { return std::hash<std::string>()(key); }

// A key's hash mixed with a number (splitmix64's finaliser).
inline size_t flat_hash(size_t key, long n) {
  uint64_t h = static_cast<uint64_t>(key) + 0x9e3779b97f4a7c15ULL * (static_cast<uint64_t>(n) + 1);
  h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ULL;
  h = (h ^ (h >> 27)) * 0x94d049bb133111ebULL;
  return static_cast<size_t>(h ^ (h >> 31));
}

#endif
