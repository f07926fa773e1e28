// Interned supports, unique table and computed table.
#include "bdd_tables.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <cstdio>
#include <cstdlib>
#include <new>
#ifdef __linux__
#include <sys/mman.h>
#endif

#include "bddpp.h"
#include "g_exit.h"

// ----- large allocations -----

static const size_t kHugePage = size_t(2) << 20;
static const size_t kLine = 64;  // every large table starts on a cache line

void* bdd_big_allocate(size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes, std::align_val_t(kLine));
  size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (!p) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

void bdd_big_free(void* p, size_t bytes) {
  if (!p) return;
  if (bytes < kHugePage)
    ::operator delete(p, std::align_val_t(kLine));
  else
    std::free(p);
}

// ----- supports -----

bool bdd_support::contains(long index) const {
  if (index < INT32_MIN || index > INT32_MAX) return false;
  return std::binary_search(vars.begin(), vars.end(), static_cast<int32_t>(index));
}

static uint64_t support_hash(const std::vector<int32_t>& v) {
  uint64_t h = 0x9e3779b97f4a7c15ULL ^ v.size();
  for (int32_t x : v) h = bdd_mix(h ^ static_cast<uint32_t>(x)) + 0x632be59bd9b4e019ULL;
  return h;
}

bdd_support_pool::bdd_support_pool() : empty_(new bdd_support()), slots_(256, nullptr) {
  empty_->hash = support_hash(empty_->vars);
}

bdd_support_pool::~bdd_support_pool() {
  for (bdd_support* s : slots_) delete s;
  delete empty_;
}

static void merge_into(std::vector<int32_t>& out, long index, const bdd_support* a, const bdd_support* b) {
  out.clear();
  const std::vector<int32_t>& x = a->vars;
  const std::vector<int32_t>& y = b->vars;
  out.reserve(x.size() + y.size() + 1);
  out.push_back(static_cast<int32_t>(index));
  // Children's variables are all greater than index.
  size_t i = 0, j = 0;
  while (i < x.size() || j < y.size()) {
    int32_t v;
    if (j == y.size() || (i < x.size() && x[i] < y[j]))
      v = x[i++];
    else if (i == x.size() || y[j] < x[i])
      v = y[j++];
    else {
      v = x[i++];
      ++j;
    }
    if (v != out.back()) out.push_back(v);
  }
  if (out.size() > 1 && out[1] < out[0]) std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

bdd_support* bdd_support_pool::make_union(long index, const bdd_support* a, const bdd_support* b) {
  bdd_support* s = new bdd_support();
  merge_into(s->vars, index, a, b);
  s->hash = support_hash(s->vars);
  return s;
}

const bdd_support* bdd_support_pool::intern(std::vector<int32_t>& vars) {
  uint64_t h = support_hash(vars);
  size_t mask = slots_.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    bdd_support* s = slots_[i];
    if (!s) break;
    if (s->hash == h && s->vars == vars) return s;
  }
  if ((count_ + 1) * 2 > slots_.size()) {
    grow();
    mask = slots_.size() - 1;
  }
  bdd_support* s = new bdd_support();
  s->vars = vars;
  s->hash = h;
  size_t i = h & mask;
  while (slots_[i]) i = (i + 1) & mask;
  slots_[i] = s;
  ++count_;
  return s;
}

void bdd_support_pool::grow() {
  std::vector<bdd_support*> old(slots_.size() * 2, nullptr);
  old.swap(slots_);
  size_t mask = slots_.size() - 1;
  for (bdd_support* s : old) {
    if (!s) continue;
    size_t i = s->hash & mask;
    while (slots_[i]) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

const bdd_support* bdd_support_walk(bddpp_internals& st, const bdd_node* n) {
  std::vector<int32_t>& vars = st.support_vars;
  auto& stamps = st.support_stamps;
  std::vector<const bdd_node*>& stack = st.support_stack;
  vars.clear();
  if (++st.support_epoch == 0) {  // wrapped: forget every stamp
    stamps = bdd_var_table<uint32_t>(0);
    st.support_epoch = 1;
  }
  const uint32_t epoch = st.support_epoch;
  auto add = [&](int32_t v) {
    uint32_t& stamp = stamps.at(static_cast<size_t>(v));
    if (stamp != epoch) {
      stamp = epoch;
      vars.push_back(v);
    }
  };
  st.support_visit.begin();
  stack.assign(1, n);
  while (!stack.empty()) {
    const bdd_node* x = stack.back();
    stack.pop_back();
    if (x->internal_var_index < 0 || !st.support_visit.first_visit(x, 0)) continue;
    if (x != n) {
      const bdd_node_cold* c = x->pooled() ? st.cold.find(x->internal_global_id) : bdd_cold_of(x);
      if (c && c->support) {
        for (int32_t v : c->support->vars) add(v);
        continue;
      }
    }
    add(static_cast<int32_t>(x->internal_var_index));
    if (x->internal_else) stack.push_back(x->internal_else);
    if (x->internal_then) stack.push_back(x->internal_then);
  }
  std::sort(vars.begin(), vars.end());
  return st.supports.intern(vars);
}

// ----- unique table -----

// Growth is one pass over the node storage, so a copied manager, which may make few nodes
// beyond its variables, starts small.
bdd_unique_table::bdd_unique_table(size_t nodes) {
  size_t n = 256;
  while (n < 2 * nodes + 2) n *= 2;
  slots_.assign(n, 0);
  mask_ = n - 1;
}

uint64_t bdd_unique_table::pack(const bdd_node* n, uint64_t h) {
  uint64_t a = bdd_ptr_bits(n);
  if (a & ~kAddressMask) {
    char text[96];
    std::snprintf(text, sizeof text, "FATAL ERROR: node address %p beyond %d bits\n", static_cast<const void*>(n),
                  kAddressBits);
    g_exit(1, text);
  }
  return a | tag_of(h);
}

uint64_t bdd_unique_table::hash_of(const bdd_node* n) {
  return hash(n->internal_var_index, n->internal_then, n->internal_else, n->internal_else_link_type);
}

void bdd_unique_table::insert_or_replace(bdd_node* n) {
  if ((count_ + 1) * 2 > slots_.size()) grow();
  long var = n->internal_var_index;
  uint64_t h = hash_of(n);
  for (size_t i = h & mask_;; i = (i + 1) & mask_) {
    uint64_t s = slots_[i];
    if (!s) {
      slots_[i] = pack(n, h);
      ++count_;
      return;
    }
    if ((s & ~kAddressMask) == tag_of(h) &&
        same_key(node_of(s), var, n->internal_then, n->internal_else, n->internal_else_link_type)) {
      slots_[i] = pack(n, h);
      return;
    }
  }
}

void bdd_unique_table::erase(long var, const bdd_node* t, const bdd_node* e, int else_link) {
  uint64_t h = hash(var, t, e, else_link);
  size_t i = h & mask_;
  for (;; i = (i + 1) & mask_) {
    uint64_t s = slots_[i];
    if (!s) return;
    if ((s & ~kAddressMask) == tag_of(h) && same_key(node_of(s), var, t, e, else_link)) break;
  }
  // Backward-shift deletion keeps every probe chain unbroken.
  size_t hole = i;
  for (size_t j = (hole + 1) & mask_; slots_[j]; j = (j + 1) & mask_) {
    size_t home = hash_of(node_of(slots_[j])) & mask_;
    // The entry may fill the hole when its home is not cyclically within (hole, j].
    bool movable = (hole <= j) ? (home <= hole || home > j) : (home <= hole && home > j);
    if (movable) {
      slots_[hole] = slots_[j];
      hole = j;
    }
  }
  slots_[hole] = 0;
  --count_;
}

std::vector<bdd_node*> bdd_unique_table::nodes() const {
  std::vector<bdd_node*> out;
  out.reserve(count_);
  for (uint64_t s : slots_)
    if (s) out.push_back(node_of(s));
  return out;
}

void bdd_unique_table::grow() {
  std::vector<uint64_t, bdd_big_allocator<uint64_t>> old(slots_.size() * growth(), 0);
  old.swap(slots_);
  mask_ = slots_.size() - 1;
  // Nodes lie at random addresses: start loading a few slots ahead.
  const size_t ahead = 8, n = old.size();
  for (size_t k = 0; k < n; ++k) {
    if (k + ahead < n && old[k + ahead]) __builtin_prefetch(node_of(old[k + ahead]));
    uint64_t s = old[k];
    if (!s) continue;
    size_t i = hash_of(node_of(s)) & mask_;
    while (slots_[i]) i = (i + 1) & mask_;
    slots_[i] = s;
  }
}

// ----- node storage -----

namespace {

struct chunk_range {
  uintptr_t end;
  bddpp_manager* owner;
};
struct cached_range {
  uintptr_t start = 0, end = 0;
  bddpp_manager* owner = nullptr;
  uint64_t generation = 0;
};

std::mutex& registry_mutex() {
  static std::mutex m;
  return m;
}
// Chunks by start address; never destroyed, as managers may outlive static destruction.
std::map<uintptr_t, chunk_range>& registry() {
  static auto* chunks = new std::map<uintptr_t, chunk_range>();
  return *chunks;
}
// Raised whenever a chunk leaves the registry: a thread's remembered chunk is then stale.
std::atomic<uint64_t> registry_generation{1};
thread_local cached_range last_found;

}  // namespace

bddpp_manager* bdd_storage_owner(const void* p) {
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  uint64_t generation = registry_generation.load(std::memory_order_acquire);
  if (last_found.generation == generation && a >= last_found.start && a < last_found.end) return last_found.owner;
  std::lock_guard<std::mutex> lock(registry_mutex());
  auto& chunks = registry();
  auto it = chunks.upper_bound(a);
  if (it == chunks.begin()) return nullptr;
  --it;
  if (a >= it->second.end) return nullptr;
  last_found = cached_range{it->first, it->second.end, it->second.owner, generation};
  return it->second.owner;
}

bdd_node_pool::~bdd_node_pool() {
  if (!chunks_.empty()) {
    std::lock_guard<std::mutex> lock(registry_mutex());
    for (auto& c : chunks_) registry().erase(reinterpret_cast<uintptr_t>(c.first));
    registry_generation.fetch_add(1, std::memory_order_acq_rel);
  }
  for (auto& c : chunks_) bdd_big_free(c.first, c.second);
}

void* bdd_node_pool::allocate() {
  if (free_) {
    void* p = free_;
    free_ = *static_cast<void**>(free_);
    return p;
  }
  if (next_ == end_) new_chunk();
  void* p = next_;
  next_ += sizeof(bdd_node);
  return p;
}

void bdd_node_pool::new_chunk() {
  size_t bytes = chunk_nodes_ * sizeof(bdd_node);
  char* c = static_cast<char*>(bdd_big_allocate(bytes));
  chunks_.emplace_back(c, bytes);
  {
    std::lock_guard<std::mutex> lock(registry_mutex());
    registry()[reinterpret_cast<uintptr_t>(c)] = chunk_range{reinterpret_cast<uintptr_t>(c + bytes), owner_};
  }
  chunk_start_ = c;
  next_ = c;
  end_ = c + bytes;
  if (chunk_nodes_ < (size_t(1) << 16)) chunk_nodes_ *= 2;
}

void bdd_node_pool::reserve(size_t nodes) {
  if (!chunks_.empty() || nodes == 0) return;
  chunk_nodes_ = nodes;
  new_chunk();
  for (char* p = next_; p < end_; p += 4096) *p = 0;
}

void bdd_node_pool::release(void* p) {
  bdd_node* n = static_cast<bdd_node*>(p);
  n->internal_var_index = -3;
  n->internal_else = nullptr;
  *static_cast<void**>(p) = free_;
  free_ = p;
}

// ----- computed table -----

void bdd_computed_table::clear() {
  for (entry& e : entries_) e = entry();
}

void bdd_computed_table::resize(size_t want) {
  if (want == entries_.size()) return;
  // Growing keeps what the table holds.
  std::vector<entry, bdd_big_allocator<entry>> old(want);
  old.swap(entries_);
  mask_ = want - 1;
  for (const entry& e : old)
    if (e.kx) entries_[slot(e.kx, e.ky)] = e;
}
