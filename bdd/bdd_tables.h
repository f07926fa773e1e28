// Internal tables of the BDD package: interned supports, the unique table, the computed table
// of the and/or cores and the per-call memos of the graph walks.
#ifndef BDD_BDD_TABLES_H
#define BDD_BDD_TABLES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "bddpp.h"

// The computed table and the walk memos are built in unless BDD_EXACT_CACHE is 0 (CMake option
// ZARIM_BDD_CACHE=OFF). Off, every look-up finds nothing and every store does nothing, so each
// walk follows every path: that build checks that the tables change no node, id or text.
#ifndef BDD_EXACT_CACHE
#define BDD_EXACT_CACHE 1
#endif
struct bdd_cache_switch {
  static constexpr bool on = BDD_EXACT_CACHE != 0;
};

// Large tables are backed by huge pages where the system offers them: the unique table and the
// computed table are read at random, so TLB misses would dominate their look-ups.
void* bdd_big_allocate(size_t bytes);
void bdd_big_free(void* p, size_t bytes);

template <class T>
struct bdd_big_allocator {
  using value_type = T;
  bdd_big_allocator() = default;
  template <class U>
  bdd_big_allocator(const bdd_big_allocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(bdd_big_allocate(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { bdd_big_free(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const bdd_big_allocator<U>&) const { return true; }
  template <class U>
  bool operator!=(const bdd_big_allocator<U>&) const { return false; }
};

inline uint64_t bdd_mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

inline uint64_t bdd_ptr_bits(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

// An immutable sorted set of variable indexes, shared by every node with that support.
struct bdd_support {
  std::vector<int32_t> vars;
  uint64_t hash = 0;
  bool contains(long index) const;
};

class bdd_support_pool {
 public:
  bdd_support_pool();
  ~bdd_support_pool();
  bdd_support_pool(const bdd_support_pool&) = delete;
  bdd_support_pool& operator=(const bdd_support_pool&) = delete;

  const bdd_support* empty() const { return empty_; }
  static bdd_support* make_union(long index, const bdd_support* a, const bdd_support* b);
  // The shared copy of the sorted set vars.
  const bdd_support* intern(std::vector<int32_t>& vars);

 private:
  void grow();

  bdd_support* empty_;
  std::vector<bdd_support*> slots_;
  size_t count_ = 0;
};

// Open addressing (linear probing, backward-shift erase) on the full node key. A slot is one
// word: the node's address in the low 48 bits and 16 bits of the key's hash above them, so that
// most mismatches are told without reading the node.
class bdd_unique_table {
 public:
  // Room for at least nodes nodes (127 at least) before the first growth. A new manager takes
  // room for kFreshNodes unless told more, as a one-line module makes about fifty nodes and a
  // program may hold thousands of modules; a copy takes room for its variables, a fork's for
  // kForkNodes at most.
  static constexpr size_t kFreshNodes = 64;
  static constexpr size_t kForkNodes = 4096;
  explicit bdd_unique_table(size_t nodes = kFreshNodes);

  bdd_node* find(long var, const bdd_node* t, const bdd_node* e, int else_link) const {
    uint64_t h;
    size_t slot;
    return find(var, t, e, else_link, h, slot);
  }
  // find() that also gives the key's hash and, when the key is absent, the empty slot where its
  // probe ended, for place().
  inline bdd_node* find(long var, const bdd_node* t, const bdd_node* e, int else_link, uint64_t& h,
                        size_t& slot) const;
  // n (hash h) into the slot a find() for its key just gave; then full() may hold.
  void place(size_t slot, bdd_node* n, uint64_t h) {
    slots_[slot] = pack(n, h);
    ++count_;
  }
  // Three quarters full: the tags spare most node reads on longer probes, and a smaller table
  // misses the processor caches less.
  bool full() const { return count_ * 4 > slots_.size() * 3; }
  // Grows the table and puts back every node it holds: grow() reads them through the old slots;
  // rehash(walk) takes them from walk(insert), which must call insert on each exactly once.
  void grow();
  template <class Walk>
  void rehash(Walk walk) {
    slots_.assign(slots_.size() * growth(), 0);
    mask_ = slots_.size() - 1;
    walk([this](bdd_node* n) {
      uint64_t h = hash_of(n);
      size_t i = h & mask_;
      while (slots_[i]) i = (i + 1) & mask_;
      slots_[i] = pack(n, h);
    });
  }
  void insert_or_replace(bdd_node* n);
  void erase(long var, const bdd_node* t, const bdd_node* e, int else_link);
  size_t size() const { return count_; }
  std::vector<bdd_node*> nodes() const;
  template <class F>
  void for_each(F f) const {
    for (uint64_t s : slots_)
      if (s) f(node_of(s));
  }

  static uint64_t hash(long var, const bdd_node* t, const bdd_node* e, int else_link) {
    uint64_t h = static_cast<uint64_t>(var) * 0x9e3779b97f4a7c15ULL + bdd_ptr_bits(t) * 0xc2b2ae3d27d4eb4fULL +
                 (bdd_ptr_bits(e) + static_cast<uint64_t>(else_link == 1 ? 1 : 2)) * 0x165667b19e3779f9ULL;
    return h ^ (h >> 29);
  }

 private:
  // Small tables grow fourfold, since each growth costs a pass over every node and fresh pages;
  // past a million slots they double, so that a large table stays close to its nodes' count.
  size_t growth() const { return slots_.size() < (size_t(1) << 20) ? 4 : 2; }
  static constexpr int kAddressBits = 48;
  static constexpr uint64_t kAddressMask = (uint64_t(1) << kAddressBits) - 1;
  static bdd_node* node_of(uint64_t s) { return reinterpret_cast<bdd_node*>(static_cast<uintptr_t>(s & kAddressMask)); }
  static uint64_t tag_of(uint64_t h) { return h & ~kAddressMask; }
  static uint64_t pack(const bdd_node* n, uint64_t h);
  static inline bool same_key(const bdd_node* n, long var, const bdd_node* t, const bdd_node* e, int else_link);
  static uint64_t hash_of(const bdd_node* n);

  std::vector<uint64_t, bdd_big_allocator<uint64_t>> slots_;
  size_t mask_;
  size_t count_ = 0;
};

// Lossy direct-mapped table of and/or results keyed by the complete operands. The links and the
// operation ride in the low bits of the node addresses (nodes are at least 8-byte aligned).
class bdd_computed_table : public bdd_cache_switch {
 public:
  enum op_code : int8_t { op_and = 1, op_or = 2 };

  // The slot of the operands' key, for lookup() and store().
  struct probe {
    uint64_t kx, ky;
    size_t slot;
  };
  probe locate(int op, int lx, const bdd_node* x, int ly, const bdd_node* y) const {
    probe p;
    key(op, lx, x, ly, y, p.kx, p.ky);
    p.slot = mask_ ? slot(p.kx, p.ky) : 0;
    return p;
  }
  bool lookup(const probe& p, bdd_node*& r, int& rl) {
    if (!on || !mask_) return false;
    const entry& e = entries_[p.slot];
    ++lookups_;
    if (e.kx != p.kx || e.ky != p.ky) return false;
    ++hits_;
    r = reinterpret_cast<bdd_node*>(static_cast<uintptr_t>(e.r & ~uint64_t(7)));
    rl = (e.r & 1) ? -1 : 1;
    return true;
  }
  // p from locate() with the table as it is now (no resize in between).
  void store(const probe& p, bdd_node* r, int rl) {
    if (!on || !mask_) return;
    entry& e = entries_[p.slot];
    e.kx = p.kx;
    e.ky = p.ky;
    e.r = bdd_ptr_bits(r) | (rl == 1 ? 0 : 1);
  }
  void clear();
  // Called between operations. The table starts small (a module or a copy makes few nodes)
  // and doubles while it earns its keep: when, over a window of as many look-ups as it has
  // entries, at least kGrowHitPercent of them hit, up to one entry per kNodesPerEntry nodes of
  // the unique table (which also holds every dead node): past that, a larger table misses the
  // processor caches more often than it saves recomputation.
  void fit(size_t nodes) {
    if (!on) return;
    if (!mask_) {
      resize(kMinEntries);
      return;
    }
    if (lookups_ < entries_.size()) return;
    bool earns = hits_ * 100 >= lookups_ * kGrowHitPercent;
    lookups_ = hits_ = 0;
    if (earns && entries_.size() < nodes / kNodesPerEntry && entries_.size() < kMaxEntries)
      resize(entries_.size() * 2);
  }

 private:
  static constexpr size_t kMinEntries = size_t(1) << 6;
  static constexpr size_t kMaxEntries = size_t(1) << 21;
  static constexpr uint64_t kGrowHitPercent = 10;
  static constexpr size_t kNodesPerEntry = 8;
  struct alignas(32) entry {  // never split across cache lines
    uint64_t kx = 0;  // x | op << 1 | x complemented; 0 when empty
    uint64_t ky = 0;  // y | y complemented
    uint64_t r = 0;   // result | result complemented
  };
  // and/or are symmetric and make the same node requests in either operand order.
  static void key(int op, int lx, const bdd_node* x, int ly, const bdd_node* y, uint64_t& kx, uint64_t& ky) {
    uint64_t a = bdd_ptr_bits(x) | (lx == 1 ? 0 : 1);
    uint64_t b = bdd_ptr_bits(y) | (ly == 1 ? 0 : 1);
    if (b < a) std::swap(a, b);
    kx = a | static_cast<uint64_t>(op) << 1;
    ky = b;
  }
  size_t slot(uint64_t kx, uint64_t ky) const {
    uint64_t h = kx * 0x9e3779b97f4a7c15ULL + ky * 0xc2b2ae3d27d4eb4fULL;
    return static_cast<size_t>(h ^ (h >> 29)) & mask_;
  }
  void resize(size_t want);  // want a power of two

  std::vector<entry, bdd_big_allocator<entry>> entries_;
  size_t mask_ = 0;
  uint64_t lookups_ = 0, hits_ = 0;  // in the current window
};

// Memo keyed by (node, link) for one call of a walk; begin() empties it in O(1). A memo that is
// not begun holds nothing, so a walk may also keep one of its own. Switched memos follow the
// cache switch; the others (visited sets that bound a walk, not skipped work) are always on.
template <class V, bool Switched = true>
class bdd_memo {
 public:
  static constexpr bool on = !Switched || bdd_cache_switch::on;
  void begin() {
    if (!on) return;
    ++epoch_;
    used_ = 0;
    if (epoch_ == 0) {  // wrapped: forget every stamp
      for (slot& s : slots_) s.epoch = 0;
      epoch_ = 1;
    }
  }
  const V* find(const bdd_node* n, int link) const {
    if (!on || slots_.empty()) return nullptr;
    for (size_t i = index(n, link);; i = (i + 1) & mask_) {
      const slot& s = slots_[i];
      if (s.epoch != epoch_) return nullptr;
      if (s.n == n && s.link == link) return &s.value;
    }
  }
  void put(const bdd_node* n, int link, const V& v) {
    if (!on) return;
    if ((used_ + 1) * 2 > slots_.size()) grow();
    for (size_t i = index(n, link);; i = (i + 1) & mask_) {
      slot& s = slots_[i];
      if (s.epoch != epoch_) {
        s.n = n;
        s.link = link;
        s.epoch = epoch_;
        s.value = v;
        ++used_;
        return;
      }
      if (s.n == n && s.link == link) {
        s.value = v;
        return;
      }
    }
  }
  // The find/compute/store step of a walk: the value remembered for (n, link), else compute()'s,
  // remembered. compute may recurse into this memo.
  template <class F>
  V recall(const bdd_node* n, int link, F compute) {
    if (const V* v = find(n, link)) return *v;
    V v = compute();
    put(n, link, v);
    return v;
  }
  // Gives the table back when it holds more than slots slots, so that a memo kept between
  // calls stays small after a large one.
  void trim(size_t slots) {
    if (slots_.size() > slots) {
      std::vector<slot>().swap(slots_);
      mask_ = 0;
      used_ = 0;
    }
  }
  // false when (n, link) was already visited in this call; always true with the memos off.
  bool first_visit(const bdd_node* n, int link) {
    if (find(n, link)) return false;
    put(n, link, V());
    return true;
  }

 private:
  struct slot {
    const bdd_node* n = nullptr;
    int link = 0;
    uint32_t epoch = 0;
    V value{};
  };
  size_t index(const bdd_node* n, int link) const {
    return static_cast<size_t>(bdd_mix(bdd_ptr_bits(n) ^ static_cast<uint64_t>(link + 2))) & mask_;
  }
  void grow() {
    std::vector<slot> old;
    old.swap(slots_);
    size_t cap = old.empty() ? 64 : old.size() * 2;
    slots_.assign(cap, slot());
    mask_ = cap - 1;
    uint32_t e = epoch_;
    used_ = 0;
    for (const slot& s : old)
      if (s.epoch == e) put(s.n, s.link, s.value);
  }

  std::vector<slot> slots_;
  size_t mask_ = 0;
  size_t used_ = 0;
  uint32_t epoch_ = 1;
};

// Storage of the nodes a manager makes: chunks handed out in creation order, a free list for
// collected nodes, everything released with the manager. Chunks double from 64 nodes, so that
// a manager that makes few nodes holds little, up to 2^16 nodes (a huge page).
class bdd_node_pool {
 public:
  bdd_node_pool() = default;
  ~bdd_node_pool();
  // Every chunk is registered under owner, so that bdd_storage_owner finds a node's manager.
  void set_owner(bddpp_manager* owner) { owner_ = owner; }
  bdd_node_pool(const bdd_node_pool&) = delete;
  bdd_node_pool& operator=(const bdd_node_pool&) = delete;
  // Room for nodes nodes before the first chunk is taken, its pages touched now rather than
  // by the first operations.
  void reserve(size_t nodes);
  void* allocate();
  void release(void* p);  // p's node destroyed; its slot reads as detached until reused
  // f on each node slot handed out, in creation order (reused slots where they lie).
  template <class F>
  void for_each(F f) {
    for (auto& c : chunks_) {
      char* start = static_cast<char*>(c.first);
      char* end = start == chunk_start_ ? next_ : start + c.second / sizeof(bdd_node) * sizeof(bdd_node);
      for (char* p = start; p < end; p += sizeof(bdd_node)) f(reinterpret_cast<bdd_node*>(p));
    }
  }

 private:
  std::vector<std::pair<void*, size_t>> chunks_;
  char* chunk_start_ = nullptr;  // of the chunk being handed out
  char* next_ = nullptr;
  char* end_ = nullptr;
  void* free_ = nullptr;
  size_t chunk_nodes_ = 64;
  bddpp_manager* owner_ = nullptr;
  void new_chunk();
};

// The manager whose node storage holds p, null when none does. Safe across threads: the
// registry is locked, and each thread remembers the last chunk it found.
bddpp_manager* bdd_storage_owner(const void* p);

// Cold fields of a node: its support once asked, its local id once set.
struct bdd_node_cold {
  const bdd_support* support = nullptr;
  long local_id = 0;
  bddpp_manager* manager = nullptr;  // of a node made by a caller (a manager's own: its storage)
  bool owns_support = false;         // a node without manager owns the support made with it
};

// The cold fields of a manager's own nodes, by global id, in blocks of 256 ids made where a
// field is set: a node of no block has the defaults. Blocks, because a manager's copy numbers
// its nodes after its own variables' and asks the fields of few: one array up to the highest
// id asked would cost each copy of a large manager as much as its variables.
class bdd_cold_table {
 public:
  const bdd_node_cold* find(long id) const {
    size_t b = static_cast<size_t>(id) >> kShift;
    return b < blocks_.size() && blocks_[b] ? &blocks_[b][static_cast<size_t>(id) & kMask] : nullptr;
  }
  bdd_node_cold& at(long id) {
    size_t b = static_cast<size_t>(id) >> kShift;
    if (b >= blocks_.size()) blocks_.resize(std::max(b + 1, 2 * blocks_.size()));
    if (!blocks_[b]) blocks_[b].reset(new bdd_node_cold[kMask + 1]());
    return blocks_[b][static_cast<size_t>(id) & kMask];
  }

 private:
  static constexpr size_t kShift = 8;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<bdd_node_cold[]>> blocks_;
};

// A node's cold fields, wherever they are kept: null (the defaults) when none was set.
const bdd_node_cold* bdd_cold_of(const bdd_node* n);
// The same for writing, made when missing.
bdd_node_cold& bdd_cold_for(const bdd_node* n);

using bdd_node_link = std::pair<bdd_node*, int>;

// recall() for the walks that give handles: the memo keeps (node, link) pairs, since a remembered
// handle would hold a count, and the result is a handle of m.
template <class F>
bdd bdd_recall_handle(bdd_memo<bdd_node_link>& memo, bddpp_manager* m, const bdd& f, F compute) {
  bdd_node_link r = memo.recall(f.internal_bdd_node, f.internal_link_type, [&] {
    bdd h = compute();
    return bdd_node_link(h.internal_bdd_node, h.internal_link_type);
  });
  return bdd(m, r.second, r.first);
}

struct bddpp_internals {
  bdd_node_pool nodes;
  bdd_cold_table cold;
  bdd_support_pool supports;
  bdd_computed_table cache;
  bdd_memo<bdd_node_link> restrict_memo;
  bdd_memo<bdd_node_link> compose_memo;
  bdd_memo<bdd_node_link> replace_memo;
  bdd_memo<bdd_node_link> keep_memo;
  bdd_memo<int> eval_memo;
  bdd_memo<int> correct_memo;
  bdd_memo<char> visit_memo;
  // Support walks (bdd_support_walk): nodes visited, variables seen (stamped), the walk's stack.
  bdd_memo<char, false> support_visit;
  // Paged: a fork's copy walks few variables.
  bdd_var_table<uint32_t> support_stamps{0};
  uint32_t support_epoch = 0;
  std::vector<const bdd_node*> support_stack;
  std::vector<int32_t> support_vars;
  long caller_nodes = 0;       // nodes made by callers that entered the table
  // By global id: a copy by name from this very manager gave the node back as itself, so every
  // node such a copy asks for, below it too, exists since. Copying it again makes nothing: the
  // copy by name of a fork's base, read from the original, stops there.
  std::vector<bool> copied_as_itself;
  // Literal of each variable for the restriction in progress (2 = free); kept all 2 between calls.
  std::vector<int> literals;
  // literals, every entry 2 up to count: made on first use (most managers, a fork's copies
  // among them, never use it).
  std::vector<int>& path_literals(long count) {
    if (static_cast<long>(literals.size()) < count) literals.resize(static_cast<size_t>(count), 2);
    return literals;
  }
  std::vector<long> cube_indexes;     // indexes set in literals by a restriction
  std::vector<long> satisfy_indexes;  // indexes set in literals by Bdd_satisfy
};

// The support of n, interned: one walk over n's graph without recursion, stopping at nodes whose
// support is already known. Only the caller keeps the result (the nodes walked keep none), so a
// chain of k nodes asked at its root costs one support, not k.
const bdd_support* bdd_support_walk(bddpp_internals& st, const bdd_node* n);

// The copy into m1 of node n of m2, whose variables are m1's index for index (Bdd_isomorphe),
// with the caller's memo: copies of parts of one function share it.
bdd_node* bdd_copy_equal_index(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n, bdd_memo<bdd_node*>& memo);

// ----- inline look-ups -----

inline bool bdd_unique_table::same_key(const bdd_node* n, long var, const bdd_node* t, const bdd_node* e,
                                       int else_link) {
  return n->internal_then == t && n->internal_else == e && n->internal_var_index == var &&
         n->internal_else_link_type == else_link;
}

inline bdd_node* bdd_unique_table::find(long var, const bdd_node* t, const bdd_node* e, int else_link,
                                        uint64_t& h_out, size_t& slot) const {
  uint64_t h = hash(var, t, e, else_link);
  h_out = h;
  uint64_t tag = tag_of(h);
  for (size_t i = h & mask_;; i = (i + 1) & mask_) {
    uint64_t s = slots_[i];
    if (!s) {
      slot = i;
      return nullptr;
    }
    if ((s & ~kAddressMask) == tag && same_key(node_of(s), var, t, e, else_link)) return node_of(s);
  }
}

// Inline: the and/or cores call it once per node they return.
inline bdd_node* bddpp_manager::Find_or_create_ordered(long var_index, int link_then, int link_else, bdd_node* then_node,
                                                       bdd_node* else_node, int& link_out) {
  link_out *= link_then;
  int else_link = link_else * link_then;
  bdd_node* one = internal_bdd_node_one;
  if (then_node == one && else_node == one)
    return else_link == 1 ? one : Own_var_node(var_index);
  uint64_t h;
  size_t slot = 0;
  bdd_node* found = internal_bdd_node_map->find(var_index, then_node, else_node, else_link, h, slot);
  if (found) {
    found->inc_nbrefs();
    return found;
  }
  // The node is known to be absent: it is made straight into the slot the look-up ended on.
  bdd_node* n = New_table_node(var_index, else_link, then_node, else_node, h, slot);
  then_node->inc_nbrefs();
  else_node->inc_nbrefs();
  return n;
}

#endif
