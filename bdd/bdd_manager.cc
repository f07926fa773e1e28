// Manager: construction, variables, unique table, look-ups, renaming and stubs.
#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <unordered_set>

#include "Stringpp.h"
#include "bdd_tables.h"
#include "bddpp.h"
#include "g_exit.h"

void bdd_name_table::unshare(std::shared_ptr<block>& b) { b = std::make_shared<block>(*b); }

long bdd_name_table::find(const std::string& name, size_t n) const {
  for (size_t k = 0; k < blocks_.size() && (k << kShift) < n; ++k) {
    const block& b = *blocks_[k];
    size_t end = std::min(b.size(), n - (k << kShift));
    for (size_t j = 0; j < end; ++j)
      if (b[j] == name) return static_cast<long>((k << kShift) + j);
  }
  return -1;
}

void bdd_name_table::resize(size_t n) {
  size_t count = (n + kMask) >> kShift;
  while (blocks_.size() < count) blocks_.push_back(std::make_shared<block>());
  blocks_.resize(count);
}

bddpp_manager::bddpp_manager(long room_for_nodes)
    : internal_bdd_vars(0),
      internal_max_bdd_vars(16),
      internal_next_node_id(2),
      internal_names_table(16),
      internal_bdd_node_map(new bdd_unique_table(
          room_for_nodes > 0 ? static_cast<size_t>(room_for_nodes) : bdd_unique_table::kFreshNodes)),
      internal_bdd_node_one(nullptr),
      internal_state(new bddpp_internals()) {
  internal_state->nodes.set_owner(this);
  if (room_for_nodes > 0) internal_state->nodes.reserve(static_cast<size_t>(room_for_nodes));
  internal_bdd_node_one = New_node(1, -1, 1, nullptr, nullptr);
  internal_names_layers.push_back({std::make_shared<std::vector<uint64_t>>(), LONG_MAX});
}

bddpp_manager::bddpp_manager(bddpp_manager* other, bool own_nodes_on_first_use)
    : internal_bdd_vars(other->internal_bdd_vars),
      internal_max_bdd_vars(other->internal_max_bdd_vars),
      internal_next_node_id(2),
      internal_names_table(other->internal_names_table),
      // A fork's copy makes few nodes: its table starts with room for kForkNodes at most.
      internal_bdd_node_map(new bdd_unique_table(
          own_nodes_on_first_use ? std::min(static_cast<size_t>(other->internal_bdd_vars), bdd_unique_table::kForkNodes)
                                 : static_cast<size_t>(other->internal_bdd_vars))),
      internal_bdd_node_one(nullptr),
      internal_state(new bddpp_internals()),
      internal_renamed(other->internal_renamed),
      internal_creation_names(other->internal_creation_names) {
  internal_state->nodes.set_owner(this);
  internal_bdd_node_one = New_node(1, -1, 1, nullptr, nullptr);
  for (const names_layer& l : other->internal_names_layers)
    if (!l.table->empty()) internal_names_layers.push_back({l.table, std::min(l.below, internal_bdd_vars)});
  internal_names_layers.push_back({std::make_shared<std::vector<uint64_t>>(), LONG_MAX});
  other->internal_idtoindex_table.for_each_set([this](size_t i, long order) {
    if (static_cast<long>(i) < internal_bdd_vars) internal_idtoindex_table.at(i) = order;
  });
  if (!own_nodes_on_first_use)
    for (long i = 0; i < internal_bdd_vars; ++i) Make_own_var_node(i);
}

bddpp_manager::~bddpp_manager() {
  // Handles must be gone before their manager.
  assert(internal_live_handles == 0);
  bdd_unique_table* table = internal_bdd_node_map;
  internal_bdd_node_map = nullptr;
  if (table) {
    // The manager's own nodes go with its storage; nodes made by callers are only detached.
    if (internal_state->caller_nodes > 0)
      table->for_each([](bdd_node* n) {
        if (!n->internal_pooled) bdd_cold_for(n).manager = nullptr;
      });
    delete table;
  }
  delete internal_state;
}

bdd_node* bddpp_manager::New_node(long global_id, long var_index, int else_link_type, bdd_node* then_node,
                                  bdd_node* else_node) {
  if (global_id > INT32_MAX) {
    g_exit(1, "FATAL ERROR: more than " + std::to_string(INT32_MAX) + " BDD nodes in one manager\n");
  }
  bdd_node* n = new (internal_state->nodes.allocate()) bdd_node();
  n->internal_then = then_node;
  n->internal_else = else_node;
  n->internal_var_index = static_cast<int32_t>(var_index);
  n->internal_global_id = static_cast<int32_t>(global_id);
  n->internal_nb_refs = 1;
  n->internal_else_link_type = static_cast<int16_t>(else_link_type);
  n->internal_pooled = true;
  return n;
}

bdd_node* bddpp_manager::New_table_node(long var_index, int else_link_type, bdd_node* then_node, bdd_node* else_node,
                                        uint64_t hash, size_t slot) {
  bdd_node* n = New_node(internal_next_node_id, var_index, else_link_type, then_node, else_node);
  ++internal_next_node_id;
  internal_bdd_node_map->place(slot, n, hash);
  if (internal_bdd_node_map->full()) {
    // Without nodes of callers, the table holds exactly the live stored nodes with a variable:
    // they are read in creation order, one pass over the storage.
    if (internal_state->caller_nodes == 0)
      internal_bdd_node_map->rehash([this](auto insert) {
        internal_state->nodes.for_each([&](bdd_node* x) {
          if (x->internal_var_index >= 0) insert(x);
        });
      });
    else
      internal_bdd_node_map->grow();
  }
  return n;
}

void bddpp_manager::Free_node(bdd_node* n) {
  if (!n->internal_pooled) {
    delete n;
    return;
  }
  if (n->internal_var_index >= 0) Map_suppress(n);
  n->~bdd_node();
  internal_state->nodes.release(n);
}

std::string bddpp_manager::Bdd_version() { return ::Bdd_version(); }

void bddpp_manager::Grow_tables() {
  internal_max_bdd_vars *= 2;
  internal_names_table.resize(static_cast<size_t>(internal_max_bdd_vars));
}

// ----- creation names -----

const std::string& bddpp_manager::Creation_name(long index) const {
  size_t i = static_cast<size_t>(index);
  return i < internal_creation_names.size() ? internal_creation_names[i] : internal_names_table[i];
}

void bddpp_manager::Keep_creation_names(long upto) {
  for (long i = static_cast<long>(internal_creation_names.size()); i < upto; ++i)
    internal_creation_names.push_back(internal_names_table[static_cast<size_t>(i)]);
}

long bddpp_manager::Find_creation_name(const std::string& name, uint64_t hash, size_t& slot) const {
  slot = 0;
  uint32_t tag = static_cast<uint32_t>(hash);
  for (size_t k = internal_names_layers.size(); k-- > 0;) {
    const names_layer& l = internal_names_layers[k];
    const std::vector<uint64_t>& map = *l.table;
    if (map.empty()) continue;
    size_t mask = map.size() - 1;
    for (size_t i = tag & mask;; i = (i + 1) & mask) {
      uint64_t v = map[i];
      if (v == 0) {
        if (k + 1 == internal_names_layers.size()) slot = i;
        break;
      }
      if (static_cast<uint32_t>(v) == tag) {
        long index = static_cast<long>(v >> 32) - 1;
        if (index < l.below && Creation_name(index) == name) return index;
      }
    }
  }
  return -1;
}

void bddpp_manager::Insert_creation_name(uint64_t hash, long index) {
  uint64_t entry = (static_cast<uint64_t>(index + 1) << 32) | static_cast<uint32_t>(hash);
  std::vector<uint64_t>& map = *internal_names_layers.back().table;
  size_t mask = map.size() - 1;
  for (size_t i = static_cast<uint32_t>(hash) & mask;; i = (i + 1) & mask)
    if (map[i] == 0) {
      map[i] = entry;
      return;
    }
}

bdd_node* bddpp_manager::New_node_var_last(const std::string& name) {
  long index = internal_bdd_vars;
  uint64_t hash = std::hash<std::string>()(name);
  size_t slot;
  long known = Find_creation_name(name, hash, slot);
  if (known >= 0) return Own_var_node(known);
  std::shared_ptr<std::vector<uint64_t>>& layer = internal_names_layers.back().table;
  if (2 * (internal_own_names + 1) > layer->size()) {
    // A new table: copies reading the old one keep it as it is.
    std::shared_ptr<std::vector<uint64_t>> old = layer;
    layer = std::make_shared<std::vector<uint64_t>>(std::max<size_t>(16, 2 * old->size()), 0);
    for (uint64_t v : *old)
      if (v != 0) Insert_creation_name(v, static_cast<long>(v >> 32) - 1);
    Insert_creation_name(hash, index);
  } else {
    (*layer)[slot] = (static_cast<uint64_t>(index + 1) << 32) | static_cast<uint32_t>(hash);
  }
  ++internal_own_names;
  if (internal_bdd_vars >= internal_max_bdd_vars) Grow_tables();
  internal_names_table.edit(index) = name;
  if (internal_current_names_built) internal_current_names[name].insert(index);
  if (internal_assoc_var_table[index] != nullptr) internal_assoc_var_table.at(index) = nullptr;
  bdd_node* own = Make_own_var_node(index);
  ++internal_bdd_vars;
  return own;
}

bdd_node* bddpp_manager::Make_own_var_node(long index) {
  bdd_node* own = New_own_var_node(index);
  size_t i = static_cast<size_t>(index);
  internal_variables_table.at(i) = own;
  if (internal_assoc_var_table[i] == nullptr) {
    internal_assoc_var_table.at(i) = own;
    internal_assoc_link_table.at(i) = 1;
  }
  return own;
}

bdd_node* bddpp_manager::New_own_var_node(long index) {
  uint64_t h;
  size_t slot = 0;
  bdd_node* one = internal_bdd_node_one;
  internal_bdd_node_map->find(index, one, one, -1, h, slot);
  return New_table_node(index, -1, one, one, h, slot);
}

bdd bddpp_manager::New_var_last(const std::string& name) { return bdd(this, 1, New_node_var_last(name)); }

// ----- unique table -----

// Nodes made by callers: the manager's own go in through New_table_node.
void bddpp_manager::Map_integrate(bdd_node* n) {
  if (!internal_bdd_node_map) return;
  ++internal_state->caller_nodes;
  internal_bdd_node_map->insert_or_replace(n);
}

void bddpp_manager::Map_suppress(bdd_node* n) {
  if (internal_bdd_node_map)
    internal_bdd_node_map->erase(n->internal_var_index, n->internal_then, n->internal_else,
                                 n->internal_else_link_type);
}

bdd_node* bddpp_manager::Find_or_create_bdd_node(long var_index, int link_then, int link_else, bdd_node* then_node,
                                                 bdd_node* else_node, int& link_out) {
  link_out *= link_then;
  if (var_index == -1) return internal_bdd_node_one;
  int else_link = link_else * link_then;
  if (var_index < -1) return nullptr;
  if (var_index >= internal_bdd_vars) {
    g_exit(1, "FATAL ERROR: Bad call of bddpp_manager::Find_or_create_bdd_node():\n  index " +
                  std::to_string(var_index) + " is not a variable of this manager (" +
                  std::to_string(internal_bdd_vars) + " variables)\n");
  }
  bdd_node* one = internal_bdd_node_one;
  if (then_node == one && else_node == one)
    return else_link == 1 ? one : Own_var_node(var_index);
  bool then_bad = then_node->internal_var_index >= 0 && then_node->internal_var_index <= var_index;
  bool else_bad = else_node->internal_var_index >= 0 && else_node->internal_var_index <= var_index;
  if (then_bad || else_bad) {
    const bdd_node* bad = then_bad ? then_node : else_node;
    g_exit(1, "FATAL ERROR: Bad call of bddpp_manager::Find_or_create_bdd_node():\n  index " +
                  std::to_string(var_index) + " is not less than " +
                  (then_bad ? " its then node index (" : " its else node index (") +
                  std::to_string(bad->internal_var_index) + ")\n");
  }
  int link = 1;
  bdd_node* n = Find_or_create_ordered(var_index, 1, else_link, then_node, else_node, link);
  return n;
}

void bddpp_manager::Bdd_gc() {
  if (!internal_bdd_node_map) return;
  std::vector<bdd_node*> doomed;
  internal_bdd_node_map->for_each([&](bdd_node* n) {
    if (n == internal_bdd_node_one) return;
    if (Made_var_node(n->internal_var_index) == n) return;
    if (n->internal_nb_refs <= 0) doomed.push_back(n);
  });
  // The association table names nodes without counting them: its entries stay.
  std::unordered_set<const bdd_node*> roots;
  for (long i = 0; i < internal_bdd_vars; ++i) roots.insert(internal_assoc_var_table[static_cast<size_t>(i)]);
  std::vector<bdd_node*> kept;
  for (bdd_node* n : doomed)
    if (!roots.count(n)) kept.push_back(n);
  internal_state->cache.clear();
  internal_state->copied_as_itself.clear();  // the nodes a copy asked for may go
  for (bdd_node* n : kept) Free_node(n);
}

bdd bddpp_manager::Bdd_dup(bdd f) {
  std::cerr << "Warning: bddpp_manager::Bdd_dup() is became useless ..." << std::endl;
  return f;
}

void bddpp_manager::Bdd_free(bdd) { std::cerr << "bddpp_manager::Bdd_free() is now became useless" << std::endl; }

// ----- look-ups -----

bdd bddpp_manager::Bdd_var_by_index(long index) {
  if (index >= 0 && index < internal_bdd_vars) return bdd(this, 1, Own_var_node(index));
  if (index == -1) return Bdd_one();
  std::cerr << "calling bddpp_manager::Bdd_var_by_index() with index= " << index << " :out of range!" << std::endl;
  return bdd();
}

bdd bddpp_manager::Bdd_var_by_id(long id) {
  if (id >= 0 && id < internal_bdd_vars) return bdd(this, 1, Own_var_node(Order_index(id)));
  std::cerr << "calling bddpp_manager::Bdd_var_by_id() with id= " << id << " :out of range!" << std::endl;
  return Bdd_zero();
}

bdd bddpp_manager::Bdd_var_by_name(const std::string& name) {
  long index = Index_var_by_name(name);
  if (index < 0) return Bdd_zero();
  return Bdd_var_by_index(index);
}

long int bddpp_manager::Index_var_by_name(const std::string& name) {
  size_t slot;
  return Find_creation_name(name, std::hash<std::string>()(name), slot);
}

long int bddpp_manager::Index_var_by_name(const std::string& name, long hint) {
  if (!internal_renamed && hint >= 0 && hint < internal_bdd_vars && internal_names_table[hint] == name) return hint;
  return Index_var_by_name(name);
}

long int bddpp_manager::Id_var_by_name(const std::string& name) {
  long index = Index_var_by_name(name);
  if (index < 0) return -1;
  return Bdd_if_id(Bdd_var_by_index(index));
}

std::string bddpp_manager::Name_var_by_index(long index) {
  if (index < 0 || index >= internal_bdd_vars) {
    std::cerr << "Error in bddpp_manager::Name_var_by_index(): index " << index << " out of range!" << std::endl;
    return "";
  }
  return internal_names_table[index];
}

long int bddpp_manager::Bdd_if_index(bdd f) {
  if (!bdd_owned_by(f, this)) {
    std::cerr << "Error in bddpp_manager::Bdd_if_index(): bad Bdd manager or bdd not initialized!" << std::endl;
    return -3;
  }
  return f.internal_bdd_node->internal_var_index;
}

long int bddpp_manager::Index_var_by_bdd(bdd f) { return Bdd_if_index(f); }

long int bddpp_manager::Bdd_if_id(bdd f) {
  if (!bdd_owned_by(f, this)) {
    std::cerr << "Error in bddpp_manager::Bdd_if_id(): bad Bdd manager or bdd not initialized!" << std::endl;
    return -3;
  }
  long index = f.internal_bdd_node->internal_var_index;
  if (index == -1) return -1;
  if (index < 0) {
    std::cerr << "Error in bddpp_manager::Bdd_if_id(): incorrect index!" << std::endl;
    return -3;
  }
  // Ids equal indexes in every manager of the package: try that first.
  if (index < internal_bdd_vars && Order_index(index) == index) return index;
  for (long id = 0; id < internal_bdd_vars; ++id)
    if (Order_index(id) == index) return id;
  std::cerr << "Warning in bddpp_manager::Bdd_if_id(): id not found!" << std::endl;
  return -3;
}

long int bddpp_manager::Id_var_by_bdd(bdd f) { return Bdd_if_id(f); }

bdd bddpp_manager::Bdd_if(bdd f) {
  long index = f.internal_bdd_node ? f.internal_bdd_node->internal_var_index : -3;
  if (index < 0 || index >= internal_bdd_vars) {
    std::cerr << "\ncalling bddpp_manager::Bdd_if() with bdd index= " << index << " :out of range!" << std::endl;
    return Bdd_zero();
  }
  return bdd(this, 1, Own_var_node(index));
}

std::string bddpp_manager::Name_var_by_bdd(bdd f) {
  long index = Index_var_by_bdd(f);
  if (index >= 0 && index < internal_bdd_vars) return internal_names_table[index];
  bdd_node* n = f.internal_bdd_node;
  if (n && n->internal_var_index == -1) return f.internal_link_type == 1 ? "1" : "0";
  std::ostringstream text;
  text << "error in bddpp_manager::Name_var_by_bdd()\n"
       << "bdd defined by: " << f << ", is not correct ...\n"
       << "(typebdd = " << (n ? n->internal_var_index : -3) << ")\n";
  g_exit(1, text.str());
}

// ----- renaming -----

void bddpp_manager::Index_current_names() {
  if (internal_current_names_built) return;
  internal_current_names.clear();
  internal_current_names.reserve(static_cast<size_t>(internal_bdd_vars));
  for (long i = 0; i < internal_bdd_vars; ++i) internal_current_names[internal_names_table[i]].insert(i);
  internal_current_names_built = true;
}

bool bddpp_manager::Use_current_names_index() {
  if (!internal_current_names_built && ++internal_name_scans > 32) Index_current_names();
  return internal_current_names_built;
}

std::vector<long> bddpp_manager::Indexes_named(const std::string& name) {
  std::vector<long> named;
  if (Use_current_names_index()) {
    auto found = internal_current_names.find(name);
    if (found != internal_current_names.end()) named.assign(found->second.begin(), found->second.end());
  } else {
    for (long i = 0; i < internal_bdd_vars; ++i)
      if (internal_names_table[i] == name) named.push_back(i);
  }
  return named;
}

void bddpp_manager::Set_current_name(long index, const std::string& name) {
  Keep_creation_names(index + 1);
  if (internal_current_names_built) {
    auto old = internal_current_names.find(internal_names_table[index]);
    old->second.erase(index);
    if (old->second.empty()) internal_current_names.erase(old);
    internal_current_names[name].insert(index);
  }
  internal_renamed = true;
  internal_names_table.edit(index) = name;
}

void bddpp_manager::Rename_var(const std::string& new_name, const std::string& old_name) {
  long renamed = -1;
  bool taken = false;
  if (Use_current_names_index()) {
    taken = internal_current_names.count(new_name) != 0;
    auto found = internal_current_names.find(old_name);
    if (found != internal_current_names.end()) renamed = *found->second.begin();
  } else {
    taken = internal_names_table.find(new_name, static_cast<size_t>(internal_bdd_vars)) >= 0;
    renamed = internal_names_table.find(old_name, static_cast<size_t>(internal_bdd_vars));
  }
  if (taken) {
    std::cerr << "in bdd_manager::Rename_var(): " << "WARNING " << new_name << " ALREADY DEFINED !\n"
              << "renaming process aborted ..." << std::endl;
    return;
  }
  if (renamed >= 0) {
    Set_current_name(renamed, new_name);
    return;
  }
  std::cerr << "in bdd_manager::Rename_var(): " << "WARNING " << old_name << " NOT FOUND !\n"
            << "renaming process aborted ..." << std::endl;
}

void bddpp_manager::Replace_char_in_all_names(char from, char to) {
  Keep_creation_names(internal_bdd_vars);
  internal_renamed = true;
  internal_current_names_built = false;
  internal_current_names.clear();
  for (long i = 0; i < internal_bdd_vars; ++i)
    if (!internal_names_table[i].empty()) internal_names_table.edit(i) = substitute_char(internal_names_table[i], from, to);
}

void bddpp_manager::No_begin_underscore_name() {
  Keep_creation_names(internal_bdd_vars);
  internal_renamed = true;
  internal_current_names_built = false;
  internal_current_names.clear();
  for (long i = 0; i < internal_bdd_vars; ++i) {
    if (!internal_names_table[i].empty() && internal_names_table[i][0] == '_')
      internal_names_table.edit(i) = "v" + internal_names_table[i];
  }
}

void bddpp_manager::Change_name_by_index(long index, const std::string& name) {
  if (index < 0 || index >= internal_bdd_vars) {
    std::cerr << "Error in bddpp_manager::Change_name_by_index(): index " << index << " out of range!" << std::endl;
    return;
  }
  Set_current_name(index, name);
}

void bddpp_manager::Change_name_by_id(long id, const std::string& name) {
  if (id < 0 || id >= internal_bdd_vars) {
    std::cerr << "Error in bddpp_manager::Change_name_by_id(): id " << id << " out of range!" << std::endl;
    return;
  }
  Set_current_name(Order_index(id), name);
}

// ----- stubs -----

bdd bddpp_manager::New_var_before(const bdd&, const std::string&) {
  std::cerr << "bddpp_manager::New_var_before() A FAIRE" << std::endl;
  return Bdd_zero();
}

bdd bddpp_manager::New_var_after(const bdd&, const std::string&) {
  std::cerr << "bddpp_manager::New_var_after() A FAIRE" << std::endl;
  return Bdd_zero();
}

bdd bddpp_manager::Bdd_swap_vars(bdd, bdd, bdd) {
  std::cerr << "bddpp_manager::Bdd_swap_vars(bdd f) A FAIRE" << std::endl;
  return Bdd_zero();
}

void bddpp_manager::Bdd_var_reorder() { std::cerr << "bddpp_manager::Bdd_var_reorder(void) A FAIRE" << std::endl; }
