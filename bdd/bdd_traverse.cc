// Marks and numbering, sizes, consistency, statistics, node records, the structure dump and
// copies between managers.
//
// Copies walk then before else; the by-name copy creates missing variables before walking the
// children, so they appear in the pre-order of the walk.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>

#include "bdd_tables.h"
#include "bddpp.h"
#include "g_exit.h"

// ----- marks and numbering -----

void bddpp_manager::Clear_marks_rec(bdd_node* n) {
  if (!n) return;
  if (!internal_state->visit_memo.first_visit(n, 0)) return;
  n->clear_mark();
  if (n->internal_var_index >= 0 && n->internal_var_index < internal_bdd_vars) {
    Clear_marks_rec(n->internal_then);
    Clear_marks_rec(n->internal_else);
  }
}

void bddpp_manager::Bdd_clear_marks(bdd_node* n) {
  internal_state->visit_memo.begin();
  Clear_marks_rec(n);
}

void bddpp_manager::Bdd_clear_marks(bdd f) { Bdd_clear_marks(f.internal_bdd_node); }

void bddpp_manager::Bdd_global_clear_marks() {
  if (!internal_bdd_node_map) return;
  internal_bdd_node_one->clear_mark();
  internal_bdd_node_map->for_each([](bdd_node* n) { n->clear_mark(); });
}

long int bddpp_manager::Bdd_incremental_id(bdd_node* n, long int id) {
  if (!n) {
    std::cerr << "Warning: call bddpp_manager::Bdd_incremental_id() with null reference!" << std::endl;
    return id;
  }
  if (n->is_marked()) return id;
  n->mark();
  n->local_id(id);
  ++id;
  if (n->internal_var_index == -1) return id;
  id = Bdd_incremental_id(n->internal_then, id);
  id = Bdd_incremental_id(n->internal_else, id);
  return id;
}

long int bddpp_manager::Bdd_node_size(bdd_node* n) {
  Bdd_clear_marks(n);
  return Bdd_incremental_id(n, 0);
}

long int bddpp_manager::Bdd_size(bdd f) { return Bdd_node_size(f.internal_bdd_node); }

long int bddpp_manager::Bdd_total_size() { return internal_next_node_id; }

// ----- consistency -----

// Structure and table membership; the display signature says nothing past 2^18 variables.
static int correct_rec(bddpp_manager* m, const bdd_node* n) {
  if (!m) return 0;
  long v = n->internal_var_index;
  if (v < 0 || v >= m->internal_bdd_vars) return v == -1 ? 1 : 0;
  const bdd_node* kids[2] = {n->internal_then, n->internal_else};
  for (const bdd_node* k : kids)
    if (!k || k == n) return 0;
  return m->internal_state->correct_memo.recall(n, 0, [&] {
    for (const bdd_node* k : kids)
      if (k != m->internal_bdd_node_one && (k->internal_var_index <= v || !correct_rec(k->my_manager(), k))) return 0;
    const bdd_unique_table* table = m->internal_bdd_node_map;
    return table && table->find(v, n->internal_then, n->internal_else, n->internal_else_link_type) == n ? 1 : 0;
  });
}

int bdd_node::is_correct() const {
  bddpp_manager* m = my_manager();
  if (m) m->internal_state->correct_memo.begin();
  return correct_rec(m, this);
}

int bddpp_manager::Bdd_is_correct(bdd f) {
  if (!f.internal_bdd_node) {
    std::cerr << "Warning: call  bddpp_manager::Bdd_is_correct() with a null reference!" << std::endl;
    return 0;
  }
  Bdd_clear_marks(f.internal_bdd_node);
  Bdd_incremental_id(f.internal_bdd_node, 1);
  return f.internal_bdd_node->is_correct();
}

// ----- statistics -----

void bddpp_manager::Bdd_stats(std::ostream& out) {
  out << "BDD MANAGER statistics:\n";
  out << "memory adress: " << static_cast<const void*>(this) << " Version: " << Bdd_version() << "\n";
  out << "bdd constant number: 1\n";
  out << "-: 1 --> " << internal_bdd_node_one->signature() << "\n";
  out << "bdd variables number: " << internal_bdd_vars << "\n";
  if (internal_bdd_vars > 0) {
    out << "Index: name --> signature\n";
    for (long i = 0; i < internal_bdd_vars; ++i)
      out << i << ": " << internal_names_table[i] << " --> " << Own_var_node(i)->signature() << "\n";
  }
  out << "\n";
  if (!internal_bdd_node_map) {
    out << "internal map undefined ...\n";
  } else {
    out << "Map:\n";
    out << "global id: var_index then_node else_node else_link_type (refs number)\n";
    std::vector<bdd_node*> nodes = internal_bdd_node_map->nodes();
    std::sort(nodes.begin(), nodes.end(), [](const bdd_node* a, const bdd_node* b) {
      if (a->signature() != b->signature()) return a->signature() < b->signature();
      return a->internal_global_id < b->internal_global_id;
    });
    long useless = 0;
    int64_t refs = 0;
    for (const bdd_node* n : nodes) {
      out << n->internal_global_id << ": " << n->signature() << " (" << n->internal_nb_refs << ")\n";
      if (n->internal_nb_refs < 1) ++useless;
      refs += n->internal_nb_refs;
    }
    out << "Map Nodes number: " << nodes.size() << " --> useless: " << useless << "\n";
    out << "Global references number :" << refs << "\n";
  }
  out << std::string(46, '-') << "\n";
  out.flush();
}

// ----- node records -----

static void write_record(std::ostream& os, const bdd_node* n, long var) {
  os << n->local_id() << ": " << var << ":" << (n->internal_then ? n->internal_then->local_id() : -3)
     << ":" << (n->internal_else ? n->internal_else->local_id() : -3) << "," << n->internal_else_link_type;
}

void bddpp_manager::Print_bdd_node(std::ostream& os, bdd_node* n) {
  if (n) write_record(os, n, n->internal_var_index);
}

void bddpp_manager::Print_bdd_node(std::ostream& os, bdd_node* n, long int* renumber) {
  if (!n) return;
  long v = n->internal_var_index;
  if (v < 0) {
    write_record(os, n, v);
    return;
  }
  // -1 would read back as the terminal: refuse to write a file that means another function.
  if (renumber[v] == -1) {
    g_exit(1, "FATAL ERROR: bddpp_manager::Print_bdd_node(): variable " +
                  (v < internal_bdd_vars ? internal_names_table[v] : std::string("?")) + " (index " +
                  std::to_string(v) + ") has no file number\n");
  }
  write_record(os, n, renumber[v]);
}

void bddpp_manager::Print_bdd_node_with_adress(std::ostream& os, bdd_node* n) {
  if (!n) return;
  os << static_cast<const void*>(n) << ": " << n->internal_var_index << ":";
  if (n->internal_then)
    os << static_cast<const void*>(n->internal_then);
  else
    os << -3;
  os << ":";
  if (n->internal_else)
    os << static_cast<const void*>(n->internal_else);
  else
    os << -3;
  os << "," << n->internal_else_link_type;
}

void Print_bdd_node(std::ostream& os, bdd_node* n) {
  if (!n) return;
  if (bddpp_manager* m = n->my_manager())
    m->Print_bdd_node(os, n);
  else
    write_record(os, n, n->internal_var_index);
}

// ----- structure dump -----

void bddpp_manager::Chars(char c, int n, std::ostream& os) {
  for (int i = 0; i < n; ++i) os << c;
}

void bddpp_manager::Print_bdd_structure(std::ostream& os, bdd f) {
  bdd_node* n = f.internal_bdd_node;
  if (!n) return;
  Bdd_clear_marks(n);
  Bdd_incremental_id(n, 0);
  Bdd_clear_marks(n);
  if (f.internal_link_type == -1) {
    os << "not(" << std::endl;
    Print_bdd_structure_loc(os, 5, n);
    os << "   )" << std::endl;
  } else {
    Print_bdd_structure_loc(os, 0, n);
  }
}

void bddpp_manager::Print_bdd_structure_loc(std::ostream& os, int indent, bdd_node* n) {
  if (!n) return;
  Chars(' ', indent, os);
  if (n->is_marked()) {
    os << "already found node: " << n->local_id() << std::endl;
    return;
  }
  bdd_node* one = internal_bdd_node_one;
  if (n->internal_var_index == -1) {
    os << "1" << " (node: " << n->local_id() << ",index: " << -1 << ")" << std::endl;
    return;
  }
  const std::string name = n->internal_var_index < internal_bdd_vars ? internal_names_table[n->internal_var_index] : "";
  if (n->internal_then == one && n->internal_else == one && n->internal_else_link_type == -1) {
    os << name << " (node: " << n->local_id() << ",index: " << n->internal_var_index << ")" << std::endl;
    return;
  }
  n->mark();
  os << "if " << name << " (node: " << n->local_id() << ",index: " << n->internal_var_index << ")" << std::endl;
  Print_bdd_structure_loc(os, indent + 2, n->internal_then);
  Chars(' ', indent, os);
  os << "else (not " << name << ")" << std::endl;
  if (n->internal_else_link_type == 1) {
    Print_bdd_structure_loc(os, indent + 2, n->internal_else);
  } else {
    Chars(' ', indent + 2, os);
    os << "not(" << std::endl;
    Print_bdd_structure_loc(os, indent + 6, n->internal_else);
    Chars(' ', indent + 2, os);
    os << "   )" << std::endl;
  }
}

void bddpp_manager::Print_bdd_structure(FILE*, bdd) {
  std::cerr << "bddpp_manager::Print_bdd_structure(FILE * file,bdd f) A FAIRE" << std::endl;
}

// ----- copies between managers -----

namespace {

// Node-form copies are memoised by source node (their result is a node, read plainly); the
// handle-form copy by (node, link).
using node_copy_memo = bdd_memo<bdd_node*>;
using handle_copy_memo = bdd_memo<bdd_node_link>;

// or(and(not x, e), and(x, t)) for x = variable v above every variable of t and e, one of
// which is the constant: the nodes the and/or cores would request, in their order, without
// running them (v's own node, then and(not x, e), then and(x, t), then the or).
bdd_node* place_over_constant(bddpp_manager* m1, long v, int else_link, bdd_node* t, bdd_node* e, int& link) {
  bdd_node* one = m1->internal_bdd_node_one;
  bdd_node* x = m1->Own_var_node(v);
  int l = 1;
  if (e != one) m1->Find_or_create_bdd_node(v, -1, else_link, one, e, l);
  bdd_node* b = x;
  if (t != one) {
    l = 1;
    b = m1->Find_or_create_bdd_node(v, 1, -1, t, one, l);
  }
  link = 1;
  bdd_node* r = e != one             ? m1->Find_or_create_bdd_node(v, 1, else_link, one, e, link)
                : else_link == -1    ? b
                : t == one           ? one
                                     : m1->Find_or_create_bdd_node(v, 1, 1, t, one, link);
  r->inc_nbrefs();  // as the handle the cores return would leave it
  return r;
}

// The node of variable v over the copied children t and e (else read through else_link).
bdd_node* place_node(bddpp_manager* m1, long v, int else_link, bdd_node* t, bdd_node* e, int& link) {
  bdd_node* one = m1->internal_bdd_node_one;
  bool t_below = t == one || v < t->internal_var_index;
  bool e_below = e == one || v < e->internal_var_index;
  if (t_below && e_below) {
    if (t != one && e != one) {
      link = 1;
      return m1->Find_or_create_bdd_node(v, 1, else_link, t, e, link);
    }
    return place_over_constant(m1, v, else_link, t, e, link);
  }
  bdd x = m1->Bdd_var_by_index(v);
  bdd tt(m1, 1, t);
  bdd ee(m1, else_link, e);
  bdd a = m1->Bdd_and(m1->Bdd_not(x), ee);
  bdd b = m1->Bdd_and(x, tt);
  bdd r = m1->Bdd_or(a, b);
  r.internal_bdd_node->inc_nbrefs();
  link = r.internal_link_type;
  return r.internal_bdd_node;
}

bdd_node* copy_by_map(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n, long int* map, node_copy_memo& memo) {
  if (n == m2->internal_bdd_node_one) return m1->internal_bdd_node_one;
  return memo.recall(n, 0, [&] {
    bdd_node* t = copy_by_map(m1, m2, n->internal_then, map, memo);
    bdd_node* e = copy_by_map(m1, m2, n->internal_else, map, memo);
    int link = 1;
    bdd_node* r = place_node(m1, map[n->internal_var_index], n->internal_else_link_type, t, e, link);
    if (link != 1) std::cerr << "erreur inattendue dans Bdd_isomorphe() avec correspondance!" << std::endl;
    return r;
  });
}

bdd copy_handle_by_map(bddpp_manager* m1, bddpp_manager* m2, const bdd& f, long int* map, handle_copy_memo& memo) {
  bdd_node* n = f.internal_bdd_node;
  if (n == m2->internal_bdd_node_one) return f.internal_link_type == 1 ? m1->Bdd_one() : m1->Bdd_zero();
  return bdd_recall_handle(memo, m1, f, [&] {
    bdd t = copy_handle_by_map(m1, m2, m2->Bdd_then(f), map, memo);
    bdd e = copy_handle_by_map(m1, m2, m2->Bdd_else(f), map, memo);
    bdd x = m1->Bdd_var_by_index(map[n->internal_var_index]);
    bdd a = m1->Bdd_and(m1->Bdd_not(x), e);
    bdd b = m1->Bdd_and(x, t);
    return m1->Bdd_or(a, b);
  });
}

bool copied_as_itself(bddpp_manager* m, const bdd_node* n) {
  if (!n->pooled()) return false;  // a caller's node: its id may be another node's
  const std::vector<bool>& marks = m->internal_state->copied_as_itself;
  size_t id = static_cast<size_t>(n->internal_global_id);
  return id < marks.size() && marks[id];
}

void note_copied_as_itself(bddpp_manager* m, const bdd_node* n) {
  if (!n->pooled()) return;
  std::vector<bool>& marks = m->internal_state->copied_as_itself;
  size_t id = static_cast<size_t>(n->internal_global_id);
  if (id >= marks.size()) marks.resize(std::max(id + 1, 2 * marks.size()));
  marks[id] = true;
}

// Within one manager whose variables keep their creation names, the copy by name of a node is
// the node itself, after asking for the nodes place_node asks for.
bool copies_as_itself(bddpp_manager* m1, bddpp_manager* m2) { return m1 == m2 && !m1->Renamed(); }

bdd_node* copy_by_name(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n, node_copy_memo& memo) {
  if (n == m2->internal_bdd_node_one) return m1->internal_bdd_node_one;
  bool itself = copies_as_itself(m1, m2);
  if (itself && copied_as_itself(m1, n)) return n;
  return memo.recall(n, 0, [&] {
    const std::string& name = m2->internal_names_table[n->internal_var_index];
    // Between a system and its copy, a variable mostly keeps its index.
    long i = m1->Index_var_by_name(name, n->internal_var_index);
    if (i < 0) i = m1->New_node_var_last(name)->internal_var_index;
    bdd_node* t = copy_by_name(m1, m2, n->internal_then, memo);
    bdd_node* e = copy_by_name(m1, m2, n->internal_else, memo);
    int link = 1;
    bdd_node* r = place_node(m1, i, n->internal_else_link_type, t, e, link);
    if (link != 1) std::cerr << "erreur inattendue dans Bdd_isomorphe_by_name() !" << std::endl;
    if (itself && r == n) note_copied_as_itself(m1, n);
    return r;
  });
}

// A copy's memo, kept by the thread from one small copy to the next and begun empty in O(1), so
// that copying many small functions does not allocate a table for each; one grown by a large
// copy is given back, since look-ups spread over a large table miss the caches. Copies do not
// nest.
template <class Memo>
struct reused_memo {
  Memo& memo;
  reused_memo() : memo(held()) { memo.begin(); }
  ~reused_memo() { memo.trim(1024); }
  static Memo& held() {
    static thread_local Memo m;
    return m;
  }
};

bool bad_copy_call(bddpp_manager* m1, bddpp_manager* m2, const bdd_node* n) {
  if (m1 && m2 && n) return false;
  std::cerr << "ERROR: Bad call of Bdd_isomorphe() !" << std::endl;
  return true;
}

}  // namespace

bdd_node* bdd_copy_equal_index(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n, bdd_memo<bdd_node*>& memo) {
  if (n == m2->internal_bdd_node_one) return m1->internal_bdd_node_one;
  return memo.recall(n, 0, [&] {
    bdd_node* t = bdd_copy_equal_index(m1, m2, n->internal_then, memo);
    bdd_node* e = bdd_copy_equal_index(m1, m2, n->internal_else, memo);
    int link = 1;
    bdd_node* r = m1->Find_or_create_bdd_node(n->internal_var_index, 1, n->internal_else_link_type, t, e, link);
    if (link != 1) std::cerr << "erreur inattendue dans Bdd_isomorphe() avec correspondance!" << std::endl;
    return r;
  });
}

bdd_node* Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n) {
  if (bad_copy_call(m1, m2, n)) return m1 ? m1->internal_bdd_node_one : nullptr;
  reused_memo<node_copy_memo> r;
  return bdd_copy_equal_index(m1, m2, n, r.memo);
}

bdd Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd f) {
  if (bad_copy_call(m1, m2, f.internal_bdd_node)) return m1 ? m1->Bdd_zero() : bdd();
  return bdd(m1, f.internal_link_type, Bdd_isomorphe(m1, m2, f.internal_bdd_node));
}

bdd_node* Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n, long int* map) {
  if (bad_copy_call(m1, m2, n)) return m1 ? m1->internal_bdd_node_one : nullptr;
  reused_memo<node_copy_memo> r;
  return copy_by_map(m1, m2, n, map, r.memo);
}

bdd Bdd_isomorphe(bddpp_manager* m1, bddpp_manager* m2, bdd& f, long int* map) {
  if (bad_copy_call(m1, m2, f.internal_bdd_node)) return m1 ? m1->Bdd_zero() : bdd();
  reused_memo<handle_copy_memo> r;
  return copy_handle_by_map(m1, m2, f, map, r.memo);
}

bdd_node* Bdd_isomorphe_by_name(bddpp_manager* m1, bddpp_manager* m2, bdd_node* n) {
  if (bad_copy_call(m1, m2, n)) return m1 ? m1->internal_bdd_node_one : nullptr;
  if (copies_as_itself(m1, m2) && copied_as_itself(m1, n)) return n;  // asks for nothing new
  reused_memo<node_copy_memo> r;
  return copy_by_name(m1, m2, n, r.memo);
}

bdd Bdd_isomorphe_by_name(bddpp_manager* m1, bddpp_manager* m2, bdd f) {
  if (bad_copy_call(m1, m2, f.internal_bdd_node)) return m1 ? m1->Bdd_zero() : bdd();
  return bdd(m1, f.internal_link_type, Bdd_isomorphe_by_name(m1, m2, f.internal_bdd_node));
}
