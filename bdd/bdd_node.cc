// Nodes, handles and the display signature.
#include <ostream>

#include "bdd_tables.h"
#include "bddpp.h"

#include <unordered_map>
#include <vector>

long bdd_node_signature(long var_index, int else_link_type, bdd_node* then_node, bdd_node* else_node) {
  if (var_index == -1 || var_index == -3) return var_index;
  // Packed with OR: unique only below 2^22 global ids and 2^19 variables, so display only.
  uint64_t s = static_cast<uint64_t>(var_index);
  s = (s << 22) | static_cast<uint64_t>(then_node ? then_node->internal_global_id : 0);
  s = (s << 22) | static_cast<uint64_t>(else_node ? else_node->internal_global_id : 0);
  s = (s << 1) | (else_link_type == 1 ? 1u : 0u);
  return static_cast<long>(s);
}

// ----- bdd_node -----

static bdd_support* detached_empty_support() {
  static bdd_support empty;
  return &empty;
}

// Cold fields of the nodes not made by a manager's storage, by address; such nodes are made by
// tests and tools, one thread at a time. Never destroyed: they may outlive static destruction.
static std::unordered_map<const bdd_node*, bdd_node_cold>& foreign_cold() {
  static auto* table = new std::unordered_map<const bdd_node*, bdd_node_cold>();
  return *table;
}

const bdd_node_cold* bdd_cold_of(const bdd_node* n) {
  if (n->internal_pooled) return n->my_manager()->internal_state->cold.find(n->internal_global_id);
  auto& table = foreign_cold();
  auto it = table.find(n);
  return it == table.end() ? nullptr : &it->second;
}

bdd_node_cold& bdd_cold_for(const bdd_node* n) {
  if (n->internal_pooled) return n->my_manager()->internal_state->cold.at(n->internal_global_id);
  return foreign_cold()[n];
}

bdd_node::bdd_node()
    : internal_then(nullptr),
      internal_else(nullptr),
      internal_var_index(-3),
      internal_global_id(0),
      internal_nb_refs(0),
      internal_else_link_type(1) {}

bdd_node::bdd_node(bddpp_manager* manager, long global_id, long var_index, int nb_refs, int else_link_type,
                   bdd_node* then_node, bdd_node* else_node)
    : internal_then(then_node),
      internal_else(else_node),
      internal_var_index(static_cast<int32_t>(var_index)),
      internal_global_id(static_cast<int32_t>(global_id)),
      internal_nb_refs(nb_refs),
      internal_else_link_type(static_cast<int16_t>(else_link_type)) {
  if (manager) bdd_cold_for(this).manager = manager;
  if (var_index < 0) return;
  if (!manager) {
    const bdd_support* none = detached_empty_support();
    bdd_node_cold& c = bdd_cold_for(this);
    c.support = bdd_support_pool::make_union(var_index, then_node ? then_node->support() : none,
                                             else_node ? else_node->support() : none);
    c.owns_support = true;
    return;
  }
  manager->Map_integrate(this);
}

// A manager's own nodes leave its table in Free_node.
bdd_node::~bdd_node() {
  if (internal_pooled) return;
  auto& table = foreign_cold();
  auto it = table.find(this);
  if (it == table.end()) return;
  if (internal_var_index >= 0 && it->second.manager) it->second.manager->Map_suppress(this);
  if (it->second.owns_support) delete it->second.support;
  table.erase(it);
}

bddpp_manager* bdd_node::my_manager() const {
  if (internal_pooled) return bdd_storage_owner(this);
  const bdd_node_cold* c = bdd_cold_of(this);
  return c ? c->manager : nullptr;
}

long bdd_node::signature() const {
  if (internal_var_index < 0) return internal_var_index;
  return bdd_node_signature(internal_var_index, internal_else_link_type, internal_then, internal_else);
}

long bdd_node::local_id() const {
  const bdd_node_cold* c = bdd_cold_of(this);
  return c ? c->local_id : 0;
}

void bdd_node::local_id(long id) { bdd_cold_for(this).local_id = id; }

const bdd_support* bdd_node::support() const {
  const bdd_node_cold* c = bdd_cold_of(this);
  if (c && c->support) return c->support;
  bddpp_manager* m = my_manager();
  if (!m) return detached_empty_support();
  bddpp_internals& st = *m->internal_state;
  if (internal_var_index < 0) return st.supports.empty();
  const bdd_support* s = bdd_support_walk(st, this);
  bdd_cold_for(this).support = s;
  return s;
}

std::set<long> bdd_node::var_index_dep() const {
  std::set<long> out;
  for (int32_t v : support()->vars) out.insert(out.end(), v);
  return out;
}

int bdd_node::var_index_dep(long index) const {
  // Variables above the node's own one never occur below it.
  if (internal_var_index >= 0) {
    if (index < internal_var_index) return 0;
    if (index == internal_var_index) return 1;
  }
  return support()->contains(index) ? 1 : 0;
}

long bdd_node::var_index_dep_size() const { return static_cast<long>(support()->vars.size()); }

bool operator==(const bdd_node& a, const bdd_node& b) {
  return a.internal_var_index == b.internal_var_index && a.internal_else_link_type == b.internal_else_link_type &&
         a.internal_then == b.internal_then && a.internal_else == b.internal_else &&
         a.support()->vars == b.support()->vars;
}

// ----- bdd -----

static inline void count_handle(bddpp_manager* m, long delta) {
#ifndef NDEBUG
  if (m) m->internal_live_handles += delta;
#else
  (void)m;
  (void)delta;
#endif
}

bdd::bdd() : internal_manager_ref(nullptr), internal_link_type(0), internal_bdd_node(nullptr) {}

bdd::bdd(bddpp_manager* manager, int link_type, bdd_node* node)
    : internal_manager_ref(manager), internal_link_type(link_type), internal_bdd_node(node) {
  if (node) node->inc_nbrefs();
  count_handle(manager, 1);
}

bdd::bdd(const bdd& other)
    : internal_manager_ref(other.internal_manager_ref),
      internal_link_type(other.internal_link_type),
      internal_bdd_node(other.internal_bdd_node) {
  if (internal_bdd_node) internal_bdd_node->inc_nbrefs();
  count_handle(internal_manager_ref, 1);
}

bdd& bdd::operator=(const bdd& other) {
  if (internal_manager_ref != other.internal_manager_ref) {
    count_handle(internal_manager_ref, -1);
    count_handle(other.internal_manager_ref, 1);
  }
  internal_manager_ref = other.internal_manager_ref;
  internal_link_type = other.internal_link_type;
  if (internal_bdd_node != other.internal_bdd_node) {
    if (internal_bdd_node) internal_bdd_node->dec_nbrefs();
    internal_bdd_node = other.internal_bdd_node;
    if (internal_bdd_node) internal_bdd_node->inc_nbrefs();
  }
  return *this;
}

bdd::~bdd() {
  if (internal_bdd_node) internal_bdd_node->dec_nbrefs();
  count_handle(internal_manager_ref, -1);
}

bool operator==(const bdd& a, const bdd& b) {
  return a.internal_manager_ref == b.internal_manager_ref && a.internal_link_type == b.internal_link_type &&
         a.internal_bdd_node == b.internal_bdd_node;
}

bool operator!=(const bdd& a, const bdd& b) { return !(a == b); }

std::ostream& operator<<(std::ostream& os, const bdd& f) {
  os << "adr manager= " << static_cast<const void*>(f.internal_manager_ref) << ", link type =" << f.internal_link_type
     << ", adr node= " << static_cast<const void*>(f.internal_bdd_node) << ", ";
  if (f.internal_bdd_node) os << "node signature: " << f.internal_bdd_node->signature();
  return os;
}

std::string Bdd_version() { return "3.4c"; }

uint64_t String_table_memory_size(const std::string* table, int n) {
  uint64_t sum = 0;
  for (int i = 0; i < n; ++i) sum += table[i].capacity();
  return sum;
}
