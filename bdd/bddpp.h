// BDD package: reduced ordered BDDs with complement edges, shared in one manager.
//
// bdd_node   a node of the shared graph (then edge always plain, else edge may be complemented).
// bdd        a counted handle (manager, link type +1/-1, node); negation flips the link.
// bddpp_manager  owns the variables, the unique table, the terminal and every operation.
//
// Global ids are handed out in the exact order of node requests, and later tools print them, so
// every operation below keeps a fixed order of sub-computations (see bdd_ops.cc). The computed
// table and the per-call memos (switched off by BDD_EXACT_CACHE=0, see bdd_tables.h) skip repeated
// work only: they never change a node, an id or a text, only reference counts.
//
// Limits: recursion depth follows the number of variable levels; a manager's nodes and handles
// belong to one thread; handles must be destroyed before their manager.
#ifndef BDD_BDDPP_H
#define BDD_BDDPP_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class bddpp_manager;
class bdd_node;
class bdd;
struct bdd_support;        // interned sorted support (bdd_tables.h)
struct bdd_node_cold;      // a node's fields off the hot path (bdd_tables.h)
class bdd_unique_table;    // hash table on (variable, then, else, else link) (bdd_tables.h)
struct bddpp_internals;    // computed table, memos, scratch buffers (bdd_tables.h)

// ---------------------------------------------------------------------------------------------
// Node
// ---------------------------------------------------------------------------------------------
class bdd_node {
 public:
  // 32 bytes, two nodes to a cache line: the fields read by table look-ups and the cores, then
  // the count the cores write. The cold fields (support, local id, the manager of a node not
  // made by one) live in side tables (bdd_node_cold, bdd_tables.h); the manager of a node of
  // its storage is found from the storage; the signature is computed when asked.
  bdd_node* internal_then;
  bdd_node* internal_else;
  int32_t internal_var_index;      // -1 terminal, -3 detached
  int32_t internal_global_id;
  int32_t internal_nb_refs;        // saturating: a node that reached INT32_MAX keeps it
  int16_t internal_else_link_type;

 private:
  friend class bddpp_manager;
  friend const bdd_node_cold* bdd_cold_of(const bdd_node* n);
  friend bdd_node_cold& bdd_cold_for(const bdd_node* n);
  bool internal_pooled = false;    // allocated by its manager, freed with it
  bool internal_mark = false;      // set by the walks that number or print nodes once

 public:
  bdd_node();
  bdd_node(bddpp_manager* manager, long global_id, long var_index, int nb_refs, int else_link_type,
           bdd_node* then_node, bdd_node* else_node);
  ~bdd_node();
  bdd_node(const bdd_node&) = delete;
  bdd_node& operator=(const bdd_node&) = delete;

  bool pooled() const { return internal_pooled; }  // made in its manager's storage
  bddpp_manager* my_manager() const;          // null for a detached node
  long signature() const;                     // display key; -1 terminal, -3 detached
  long var_index() const { return internal_var_index; }
  std::set<long> var_index_dep() const;       // a copy of the support
  int var_index_dep(long index) const;        // 1 when index is in the support
  long var_index_dep_size() const;            // number of variables in the support
  // The interned support, shared between nodes; computed the first time it is asked for this
  // very node (a node without manager gets its own when made).
  const bdd_support* support() const;
  long local_id() const;
  void local_id(long id);
  long global_id() const { return internal_global_id; }
  int else_link_type() const { return internal_else_link_type; }
  bdd_node* then_node() const { return internal_then; }
  bdd_node* else_node() const { return internal_else; }

  void clear_mark() { internal_mark = false; }
  void mark() { internal_mark = true; }
  int is_marked() const { return internal_mark ? 1 : 0; }

  void inc_nbrefs() {
    if (internal_nb_refs != INT32_MAX) ++internal_nb_refs;
  }
  void dec_nbrefs() {
    if (internal_nb_refs != INT32_MAX) --internal_nb_refs;
  }
  int nbrefs() const { return internal_nb_refs; }

  int is_correct() const;
};

long bdd_node_signature(long var_index, int else_link_type, bdd_node* then_node, bdd_node* else_node);
bool operator==(const bdd_node& a, const bdd_node& b);
void Print_bdd_node(std::ostream& os, bdd_node* n);

// ---------------------------------------------------------------------------------------------
// Handle
// ---------------------------------------------------------------------------------------------
class bdd {
 public:
  bddpp_manager* internal_manager_ref;
  int internal_link_type;  // +1 plain, -1 complemented, 0 uninitialised
  bdd_node* internal_bdd_node;

  bdd();
  bdd(bddpp_manager* manager, int link_type, bdd_node* node);
  bdd(const bdd& other);
  bdd& operator=(const bdd& other);
  ~bdd();

  bddpp_manager* manager_ref() const { return internal_manager_ref; }
  int link_type() const { return internal_link_type; }
  bdd_node* node() const { return internal_bdd_node; }

  // --- node-network names (added with the network emitters) ---
  std::string vhdl_node_name(const std::string& prefix) const;  // "not " if complemented, prefix(gid)
};

// A handle names a node of a manager once constructed from or assigned one; bdd() names none.
inline bool bdd_initialised(const bdd& f) {
  return f.internal_manager_ref != nullptr && f.internal_bdd_node != nullptr;
}
// An initialised handle of m.
inline bool bdd_owned_by(const bdd& f, const bddpp_manager* m) {
  return bdd_initialised(f) && f.internal_manager_ref == m;
}
// The terminal node, and a node that is one variable (both children terminal, else edge
// complemented): the generators write such a node as the variable's name.
inline bool bdd_node_is_terminal(const bdd_node* n) { return n->var_index() == -1; }
inline bool bdd_node_is_bare_variable(const bdd_node* n) {
  const bdd_node* t = n->then_node();
  const bdd_node* e = n->else_node();
  return t != nullptr && e != nullptr && bdd_node_is_terminal(t) && bdd_node_is_terminal(e) &&
         n->else_link_type() == -1;
}

bool operator==(const bdd& a, const bdd& b);
bool operator!=(const bdd& a, const bdd& b);
std::ostream& operator<<(std::ostream& os, const bdd& f);

std::string Bdd_version();
uint64_t String_table_memory_size(const std::string* table, int n);

// Variable names by order index, in blocks that copies of a table share until one of them
// writes to a block: a fork's copy of a manager copies one pointer per 256 names, not every
// name, and most of its blocks are never written.
class bdd_name_table {
 public:
  explicit bdd_name_table(size_t n = 0) { resize(n); }
  const std::string& operator[](size_t i) const { return (*blocks_[i >> kShift])[i & kMask]; }
  std::string& edit(size_t i) {  // a shared block is copied first
    std::shared_ptr<block>& b = blocks_[i >> kShift];
    if (b.use_count() > 1) unshare(b);
    return (*b)[i & kMask];
  }
  void resize(size_t n);  // new names are empty
  // The first index below n holding name, or -1.
  long find(const std::string& name, size_t n) const;

 private:
  static constexpr size_t kShift = 8;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  using block = std::array<std::string, size_t{1} << kShift>;
  std::vector<std::shared_ptr<block>> blocks_;
  static void unshare(std::shared_ptr<block>& b);
};

// An entry per variable index, in pages of 256 made when an entry of theirs is first set: a
// fork's copy of a manager sets the entries of the few variables its branch uses, so copying a
// manager allocates no table as long as the number of variables. An entry never set reads as
// the table's unset value.
template <class T>
class bdd_var_table {
 public:
  explicit bdd_var_table(T unset) : unset_(unset) {}
  T operator[](size_t i) const {
    size_t p = i >> kShift;
    return p < pages_.size() && pages_[p] ? (*pages_[p])[i & kMask] : unset_;
  }
  T& at(size_t i) {
    size_t p = i >> kShift;
    if (p >= pages_.size()) pages_.resize(p + 1);
    if (!pages_[p]) {
      pages_[p] = std::make_unique<page>();
      pages_[p]->fill(unset_);
    }
    return (*pages_[p])[i & kMask];
  }
  // f(index, value) for each entry set to other than the unset value, in index order.
  template <class F>
  void for_each_set(F f) const {
    for (size_t p = 0; p < pages_.size(); ++p)
      if (pages_[p])
        for (size_t k = 0; k <= kMask; ++k)
          if ((*pages_[p])[k] != unset_) f((p << kShift) | k, (*pages_[p])[k]);
  }

 private:
  static constexpr size_t kShift = 8;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  using page = std::array<T, size_t{1} << kShift>;
  std::vector<std::unique_ptr<page>> pages_;
  T unset_;
};

// ---------------------------------------------------------------------------------------------
// Manager
// ---------------------------------------------------------------------------------------------
class bddpp_manager {
 public:
  long internal_bdd_vars;
  long internal_max_bdd_vars;
  long internal_next_node_id;
  bdd_name_table internal_names_table;                   // by order index (capacity entries)
  bdd_var_table<bdd_node*> internal_variables_table{nullptr};  // own node of each variable (see Own_var_node)
  bdd_var_table<long> internal_idtoindex_table{-1};            // id -> order index (-1: the id itself)
  bdd_var_table<bdd_node*> internal_assoc_var_table{nullptr};  // association: node (see Assoc_node) ...
  bdd_var_table<int> internal_assoc_link_table{1};             // ... read through this link
  bdd_unique_table* internal_bdd_node_map;
  // Creation name -> order index, in layers of open addressing: a slot holds
  // ((index + 1) << 32) | the low half of the name's hash, 0 when free, each layer at most half
  // full; the name itself is read back through the index. The last layer is this manager's
  // own. A copy shares its original's layers, each read only below the variable count the
  // original had at the copy (the original goes on entering its later names in place), and
  // enters its own names in a layer of its own: copying a manager copies no slot.
  struct names_layer {
    std::shared_ptr<std::vector<uint64_t>> table;
    long below;  // indexes from here on are another manager's
  };
  std::vector<names_layer> internal_names_layers;
  size_t internal_own_names = 0;  // entries of the own layer
  bdd_node* internal_bdd_node_one;

  // ----- construction, variables -----
  // The node storage and the unique table grow on demand from a few dozen nodes, as a program
  // may hold thousands of managers that make little. room_for_nodes > 0: both hold that many
  // nodes from the start, their pages touched now rather than by the first operations.
  bddpp_manager() : bddpp_manager(0L) {}
  explicit bddpp_manager(long room_for_nodes);
  // A copy of other's variables (names, order; associations reset). own_nodes_on_first_use:
  // each variable's own node is made when first asked for, not at once: a fork's copy uses few
  // of them, and its node ids are never written out. Otherwise they are made at once, numbered
  // in index order.
  explicit bddpp_manager(bddpp_manager* other, bool own_nodes_on_first_use = false);
  ~bddpp_manager();
  // The own node of variable index (< the variable count), made when missing (null in the
  // table until then); and the node associated with it (its own node unless one was set).
  bdd_node* Own_var_node(long index) {
    bdd_node* n = Made_var_node(index);
    return n != nullptr ? n : Make_own_var_node(index);
  }
  bdd_node* Assoc_node(long index) {
    bdd_node* a = internal_assoc_var_table[static_cast<size_t>(index)];
    return a != nullptr ? a : Own_var_node(index);
  }
  // The own node of variable index if made, null otherwise.
  bdd_node* Made_var_node(long index) const { return internal_variables_table[static_cast<size_t>(index)]; }
  // The order index of variable id (< the variable count).
  long Order_index(long id) const {
    long i = internal_idtoindex_table[static_cast<size_t>(id)];
    return i < 0 ? id : i;
  }
  bddpp_manager(const bddpp_manager&) = delete;
  bddpp_manager& operator=(const bddpp_manager&) = delete;

  bdd_node* New_node_var_last(const std::string& name);
  bdd New_var_last(const std::string& name);
  long int Nb_bdd_vars() { return internal_bdd_vars; }
  bdd_node* Bdd_node_one() { return internal_bdd_node_one; }
  std::string Bdd_version();

  // ----- unique table -----
  void Map_integrate(bdd_node* n);
  void Map_suppress(bdd_node* n);
  bdd_node* Find_or_create_bdd_node(long var_index, int link_then, int link_else, bdd_node* then_node,
                                    bdd_node* else_node, int& link_out);
  void Bdd_gc();
  bdd Bdd_dup(bdd f);
  void Bdd_free(bdd f);

  // ----- look-ups (-1: constant or unknown name; -3: foreign/uninitialised handle or unknown id) -----
  bdd Bdd_var_by_index(long index);
  bdd Bdd_var_by_id(long id);
  bdd Bdd_var_by_name(const std::string& name);
  long int Index_var_by_name(const std::string& name);
  // The same, tried first at index hint: while no variable has been renamed, a variable
  // whose name is name is the one created under it.
  long int Index_var_by_name(const std::string& name, long hint);
  // Whether a variable's name may differ from its creation name.
  bool Renamed() const { return internal_renamed; }
  long int Id_var_by_name(const std::string& name);
  std::string Name_var_by_index(long index);
  long int Bdd_if_index(bdd f);
  long int Index_var_by_bdd(bdd f);
  long int Bdd_if_id(bdd f);
  long int Id_var_by_bdd(bdd f);
  bdd Bdd_if(bdd f);
  std::string Name_var_by_bdd(bdd f);

  // ----- renaming (names table only; the name index keeps creation names) -----
  // Gives new_name to the variable of lowest index named old_name, unless a variable is
  // named new_name already (a warning either way when nothing is renamed).
  void Rename_var(const std::string& new_name, const std::string& old_name);
  void Replace_char_in_all_names(char from, char to);
  void No_begin_underscore_name();
  void Change_name_by_index(long index, const std::string& name);
  void Change_name_by_id(long id, const std::string& name);

  // ----- announced, not implemented -----
  bdd New_var_before(const bdd& f, const std::string& name);
  bdd New_var_after(const bdd& f, const std::string& name);
  bdd Bdd_swap_vars(bdd f, bdd x, bdd y);
  void Bdd_var_reorder();

  // ----- boolean operations -----
  bdd Bdd_one();
  bdd Bdd_zero();
  bdd Bdd_not(bdd f);
  bdd Bdd_then(bdd f);
  bdd Bdd_else(bdd f);
  bdd_node* Bdd_and(int lx, bdd_node* x, int ly, bdd_node* y, int& link);
  bdd_node* Bdd_or(int lx, bdd_node* x, int ly, bdd_node* y, int& link);
  bdd Bdd_and(bdd f, bdd g);
  bdd Bdd_or(bdd f, bdd g);
  // f and g, f or g, where f is a function of manager `from` read as its copy by equal index
  // (Bdd_isomorphe(this, from, f)): made without that copy, of which the result seldom keeps
  // much. from's variables must be this manager's, index for index, over f's support.
  bdd Bdd_and_from(bddpp_manager* from, const bdd& f, const bdd& g);
  bdd Bdd_or_from(bddpp_manager* from, const bdd& f, const bdd& g);
  bdd Bdd_nand(bdd f, bdd g);
  bdd Bdd_nor(bdd f, bdd g);
  bdd Bdd_xor(bdd f, bdd g);
  bdd Bdd_xnor(bdd f, bdd g);
  bdd Bdd_eq(bdd f, bdd g);
  bdd Bdd_implication(bdd f, bdd g);
  bdd Bdd_ite(bdd f, bdd g, bdd h);
  bdd Bdd_ite(int link, long int index, bdd g, bdd h);
  int Bdd_equiv(bdd f, bdd g);
  int Bdd_imply(bdd f, bdd g);
  int Bdds_excl(bdd f, bdd g);
  int Bdds_exclude(bdd f, bdd g);

  // ----- supports, dependence, predicates -----
  std::set<long> set_of_index_depend_on(bdd f);
  // Whether s is the support of f, without making the set.
  bool support_is(bdd f, const std::set<long>& s);
  // f's support, sorted (shared by the nodes of that support); null when f is not this manager's.
  const std::vector<int32_t>* support_vars(bdd f);
  void Present_variables(bdd f, int* present);
  int exists_common_variables(bdd& f, bdd& g);
  int Bdd_node_depends_on(bdd_node* n, bdd_node* v);
  int Bdd_depends_on(bdd f, bdd g);
  int Bdd_is_var(bdd f);
  int Bdd_is_negvar(bdd f);
  int Bdd_is_tautology(bdd f, int value);
  int Bdd_is_tautology(bdd f);
  int Bdd_is_zero_tautologic(bdd f);
  int Bdd_is_one_tautologic(bdd f);
  int Bdd_is_cube(bdd f);

  // ----- restriction, quantification, composition -----
  bdd Bdd_cube_reduce(bdd f, bdd c);
  bdd_node* Bdd_cube_reduce(int link, bdd_node* f, int link_c, bdd_node* c, int& link_out);
  bdd_node* Bdd_cube_reduce(int link, bdd_node* f, int* literals, int& link_out);
  bdd Bdd_reduce(bdd f, bdd c);
  bdd Bdd_keep_first_variables(bdd f, long int k);
  bdd Bdd_exist(bdd f, bdd v);
  bdd Bdd_forall(bdd f, bdd v);
  bdd Bdd_compose(bdd f, bdd v, bdd g);
  bdd Bdd_compose_loc(bdd f, bdd v, bdd g);
  bdd Bdd_replace_vars(bdd f, long int* map);
  void Bdd_assoc_bdd_to_var(bdd e, bdd v);
  bdd Bdd_follow_assoc(bdd f, int* self);
  bdd Bdd_simplify(bdd f, bdd c);
  bdd Bdd_simplify2(bdd f, bdd c);
  int Bdd_OneSat(bdd_node* n, int link, int* literals);
  bdd Bdd_satisfy(bdd f);

  // ----- evaluation, literals, truth tables -----
  int Bdd_eval_for_literal(const bdd& f, int* context);
  int Bdd_eval_for_literal(const bdd& f, const int* context, long context_size);  // checked form
  bdd Bdd_eval(bdd f, int* literals);
  bdd Literals_to_bdd(int* literals);
  void Bdd_to_literals(bdd f, int* literals);
  void Bdd_node_to_literals(int link, bdd_node* n, int* literals);
  bdd Minterm(int code, int n, bdd* vars);
  void Truth_table(bdd f, int n, bdd* vars, char* out);
  void Bdd_truth_table(bdd f, int n, bdd* vars, bdd* out);
  int Variable_awaited(bdd f, long int index);
  int Variable_true_awaited(bdd f, long int index);
  int Variable_false_awaited(bdd f, long int index);

  // ----- implicants and sums of products (added with the implicant methods; Bdd_simplify3 too) -----
  // Covers are computed into growable vectors capped at Max_number_of_terms() products; the
  // bdd* forms copy the result into a caller's array of at least that many entries.
  long int Max_number_of_terms();
  int Bdd_prime_implicants(bdd f, bdd* out);
  int Bdd_prime_implicants(bdd f, std::vector<bdd>& out);
  void Bdd_essential_implicants(bdd f, int* n_essential, bdd* essential, int* n_other, bdd* other);
  void Bdd_essential_implicants(bdd f, std::vector<bdd>& essential, std::vector<bdd>& other);
  bdd Bdd_one_implicant(bdd f);
  int Bdd_sop(bdd f, bdd* out, int method);
  int Bdd_sop(bdd f, std::vector<bdd>& out, int method);
  int Bdd_sop_0(bdd f, std::vector<bdd>& out);  // disjoint then-first cubes
  int Bdd_sop_1(bdd f, std::vector<bdd>& out);  // enlarged and pruned cubes
  int Bdd_sop_2(bdd f, std::vector<bdd>& out);  // essential primes, then greedy completion
  int Bdd_sop_3(bdd f, std::vector<bdd>& out);  // the cover of method 0 (no reordering)
  std::vector<bdd> internal_sop_buffer;  // printers' product buffer, left empty between calls
  bdd Bdd_simplify3(bdd f, bdd c, int unused);  // prime implicants enlarged while disjoint from c

  // ----- traversals, sizes, consistency, statistics -----
  void Bdd_clear_marks(bdd_node* n);
  void Bdd_clear_marks(bdd f);
  void Bdd_global_clear_marks();
  long int Bdd_incremental_id(bdd_node* n, long int id);
  long int Bdd_node_size(bdd_node* n);
  long int Bdd_size(bdd f);
  long int Bdd_total_size();
  int Bdd_is_correct(bdd f);
  void Bdd_stats(std::ostream& out);

  // ----- node records -----
  void Print_bdd_node(std::ostream& os, bdd_node* n);
  void Print_bdd_node(std::ostream& os, bdd_node* n, long int* renumber);
  void Print_bdd_node_with_adress(std::ostream& os, bdd_node* n);

  // ----- structure dump -----
  void Print_bdd_structure(std::ostream& os, bdd f);
  void Print_bdd_structure_loc(std::ostream& os, int indent, bdd_node* n);
  void Print_bdd_structure(FILE* file, bdd f);
  void Chars(char c, int n, std::ostream& os);

  // ----- node lists, variable dumps, fixed points (added with the node lists) -----
  void Print_bdds_list_by_nodes_list(std::ostream& os, std::list<bdd>& l, long int* renumber);
  void Print_bdds_list_by_nodes_list(std::ostream& os, std::list<bdd>& l);
  void Print_bdd_by_nodes_list(std::ostream& os, bdd f);
  void Print_bdd_by_nodes_list(std::ostream& os, bdd f, long int* renumber);
  void Print_bdd_by_nodes_list_loc(std::ostream& os, bdd_node* n);
  void Print_bdd_by_nodes_list_loc(std::ostream& os, bdd_node* n, long int* renumber);
  void debug_variables(std::ostream& os);
  void Print_Fixes_Points(std::ostream& os, bdd f);
  void JXC_print(std::ostream& os, long int* renumber, bdd defined, bdd definition, int method);

  // ----- text forms of products and sums of products (added with the text forms) -----
  // Operator texts: or, and, not-open, not-close; pref/suff surround each variable name.
  std::string Print_product_to_String_pref_suff(const char* and_text, const char* not_open,
                                                const char* not_close, bdd p, const char* pref,
                                                const char* suff);
  std::string Print_product_to_String(const char* and_text, const char* not_open, const char* not_close,
                                      bdd p);
  void Print_product(const char* and_text, const char* not_open, const char* not_close, std::ostream& os,
                     bdd p);
  void Print_product_pref_suff(const char* and_text, const char* not_open, const char* not_close,
                               std::ostream& os, bdd p, const char* pref, const char* suff);
  std::string Print_sop_to_String_pref_suff(const char* or_text, const char* and_text, const char* not_open,
                                            const char* not_close, bdd f, const char* pref,
                                            const char* suff, int method);
  std::string Print_sop_to_String(const char* or_text, const char* and_text, const char* not_open,
                                  const char* not_close, bdd f, int method);
  void Print_sop(const char* or_text, const char* and_text, const char* not_open, const char* not_close,
                 std::ostream& os, bdd f, int method);
  void Print_sop_pref_suff(const char* or_text, const char* and_text, const char* not_open,
                           const char* not_close, std::ostream& os, bdd f, const char* pref,
                           const char* suff, int method);
  std::string Print_sop_to_ESTEREL_String(bdd f, int method);
  std::string Print_sop_to_VHDL_String(bdd f, int method);
  void Print_dkproduct(const char* and_text, const char* not_open, const char* not_close, std::ostream& os,
                       bdd p, const std::string& stem);
  void Print_dksop(const char* or_text, const char* and_text, const char* not_open, const char* not_close,
                   std::ostream& os, bdd f, const std::string& stem, int method);
  // Two-level tables; the seven texts: pref, suff, header-start, header-end, row-separator,
  // last-row-end, literal-separator.
  void PLA_print_pref_suff(std::ostream& os, bdd defined, bdd definition, const char* pref,
                           const char* suff, const char* header_start, const char* header_end,
                           const char* row_separator, const char* last_row_end,
                           const char* literal_separator, int method);
  void PLA_print_pref_suff_with_renaming(std::ostream& os, bdd defined, bdd definition, const char* pref,
                                         const char* suff, const char* header_start,
                                         const char* header_end, const char* row_separator,
                                         const char* last_row_end, const char* literal_separator,
                                         int method, long int* renumber);
  void BLIF_print(std::ostream& os, bdd defined, bdd definition, int method);

  // ----- node networks (added with the network emitters) -----
  // One assignment per unmarked node reachable from n, children first; callers clear the marks.
  void Print_node_for_eval(const std::string& or_text, const std::string& and_text,
                           const std::string& not_open, const std::string& not_close,
                           const std::string& var_prefix, const std::string& var_suffix,
                           const std::string& false_text, const std::string& end_text,
                           const std::string& array, std::ostream& os, bdd_node* n);
  void Print_node_for_eval(const std::string& or_text, const std::string& and_text,
                           const std::string& not_open, const std::string& not_close,
                           const std::string& var_prefix, const std::string& var_suffix,
                           const std::string& false_text, const std::string& end_text,
                           const std::string& indent, const std::string& array, std::ostream& os,
                           bdd_node* n);
  void Print_node_for_eval_arrayless(const std::string& or_text, const std::string& and_text,
                                     const std::string& not_open, const std::string& not_close,
                                     const std::string& var_prefix, const std::string& var_suffix,
                                     const std::string& false_text, const std::string& end_text,
                                     const std::string& stem, std::ostream& os, bdd_node* n);
  void Print_node_for_eval_arrayless(const std::string& or_text, const std::string& and_text,
                                     const std::string& not_open, const std::string& not_close,
                                     const std::string& var_prefix, const std::string& var_suffix,
                                     const std::string& false_text, const std::string& end_text,
                                     const std::string& indent, const std::string& stem,
                                     std::ostream& os, bdd_node* n);
  void Print_node_for_eval_NUSMV(const std::string& var_prefix, const std::string& var_suffix,
                                 const std::string& indent, const std::string& stem, std::ostream& os,
                                 bdd_node* n);
  void Print_node_for_eval_VHDL(const std::string& var_prefix, const std::string& var_suffix,
                                const std::string& signal, std::ostream& os, bdd_node* n);
  void Print_node_for_eval_BLIF(const std::string& var_prefix, const std::string& var_suffix,
                                const std::string& stem, std::ostream& os, bdd_node* n);
  void Print_node_for_eval_VHDL_reset_input(const std::string& signal, std::ostream& os,
                                            const std::string& name);
  void Print_node_for_eval_VHDL_input(const std::string& var_prefix, const std::string& var_suffix,
                                      const std::string& signal, std::ostream& os,
                                      const std::string& name);

  // ----- expression parser (added with the parser) -----
  // error: 0 success, 1 refused or syntax/semantic error, 2 memory exhausted; null pointers allowed.
  bdd Parse_expression(const std::string& text, int* priority, int* error);

  bddpp_internals* internal_state;  // caches, memos and scratch buffers

 private:
  void Grow_tables();
  // Current name -> the indexes of the variables of that name. Look-ups by current name scan
  // the names while they are few; the index is built when they add up, then kept up to date
  // by every change of a name.
  std::unordered_map<std::string, std::set<long>> internal_current_names;
  bool internal_current_names_built = false;
  long internal_name_scans = 0;
  bool Use_current_names_index();
  std::vector<long> Indexes_named(const std::string& name);  // in index order
  bool internal_renamed = false;  // a name differs from its creation name (or may)
  // The creation names of the variables 0 .. size-1, kept from the first renaming of one of
  // them on; any other variable still has its creation name in internal_names_table.
  std::vector<std::string> internal_creation_names;
  const std::string& Creation_name(long index) const;
  void Keep_creation_names(long upto);  // of the variables below upto
  long Find_creation_name(const std::string& name, uint64_t hash, size_t& slot) const;
  void Insert_creation_name(uint64_t hash, long index);
  void Index_current_names();
  void Set_current_name(long index, const std::string& name);
  // Find_or_create_bdd_node for callers whose children lie below var_index by construction.
  bdd_node* Find_or_create_ordered(long var_index, int link_then, int link_else, bdd_node* then_node,
                                   bdd_node* else_node, int& link_out);
  // A node of this manager's storage, in no table; New_table_node also numbers it and puts it in
  // the unique table's slot where a look-up for its key ended (hash its key's hash).
  bdd_node* New_node(long global_id, long var_index, int else_link_type, bdd_node* then_node, bdd_node* else_node);
  bdd_node* New_table_node(long var_index, int else_link_type, bdd_node* then_node, bdd_node* else_node,
                           uint64_t hash, size_t slot);
  bdd_node* New_own_var_node(long index);
  bdd_node* Make_own_var_node(long index);
  void Free_node(bdd_node* n);
  // The and/or core, one recursion for both (bdd_ops.cc); Op gives the terminal cases, the
  // computed-table code and the name in reports.
  template <class Op>
  bdd_node* Apply_rec(int lx, bdd_node* x, int ly, bdd_node* y, int& link);
  template <class Op>
  bdd Apply(const bdd& f, const bdd& g);
  struct from_memos;  // of one Apply_from (bdd_ops.cc)
  template <class Op>
  bdd Apply_from(bddpp_manager* from, const bdd& f, const bdd& g);
  template <class Op>
  bdd_node* Apply_from_rec(bddpp_manager* from, int lx, bdd_node* x, int ly, bdd_node* y, int& link,
                           from_memos& memos);
  [[noreturn]] void Null_reference_report(const char* op, bdd_node* x, bdd_node* y, bool bad_manager);
  [[noreturn]] void Post_check_report(const char* op, int lx, bdd_node* x, int ly, bdd_node* y, int lr,
                                      bdd_node* r);
  bdd_node* Restrict_rec(const int* literals, long literals_max, int link, bdd_node* f, int& link_out);
  int OneSat_rec(bdd_node* n, int link, int* literals, std::vector<long>* touched);
  bdd Conjoin_literals(const int* literals, const std::vector<long>& indexes);
  int Eval_rec(int link, bdd_node* n, const int* context, long size);
  bdd Compose_rec(bdd f, long v_index, const bdd& g);
  bdd Replace_rec(bdd f, long int* map);
  bdd Keep_first_rec(bdd f, long int k);
  void Clear_marks_rec(bdd_node* n);

 public:
  long internal_live_handles = 0;  // handles naming this manager; kept in debug builds only
};

// ----- sums of products for debugging: " + ", " . ", "!" and method 0 -----
void Print_debug_bdd(std::ostream& os, bdd f);

// ----- ternary decision tree: then, else and don't-care (then and else) subtrees, unshared -----
class Tdd {
 public:
  bddpp_manager* internal_manager_ref;
  bdd internal_bdd;      // top variable as a positive literal, or the constant of a leaf
  Tdd* internal_then;    // null in a leaf
  Tdd* internal_else;
  Tdd* internal_dont_care;

  Tdd(bddpp_manager* m, bdd f);
  ~Tdd();
  Tdd(const Tdd&) = delete;
  Tdd& operator=(const Tdd&) = delete;

  void Print_bdd_structure(std::ostream& out);
  void Print_bdd_structure_loc(std::ostream& out, int indent);
  // Implicants below this tree under cube, appended to (or enlarging) out[0..n-1]; returns the count.
  int Bdd_implicants_loc(bdd cube, int n, std::vector<bdd>& out);
  int Bdd_implicants_loc(bdd cube, int n, bdd* out);
  int Bdd_prime_implicants(std::vector<bdd>& out);
  int Bdd_prime_implicants(bdd* out);
};

// ----- copies between managers (m1 receives, m2 is the source) -----
bdd_node* Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n);
bdd Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd f);
bdd_node* Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n, long int* map);
bdd Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd& f, long int* map);
bdd_node* Bdd_isomorphe_by_name(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n);
bdd Bdd_isomorphe_by_name(bddpp_manager* m1, bddpp_manager* m2, bdd f);

#endif
