// Supports, predicates, restriction, quantification, composition, renaming, associations,
// simplification and satisfying cubes.
//
// Order of sub-computations (node ids depend on it):
//   exist/forall     = restrict(f, v), then restrict(f, not v), then or/and
//   compose          = then cofactor, then else cofactor, then ite (g or the variable)
//   replace_vars     = new variable, then cofactor, else cofactor, then ite
//   keep_first       = then cofactor, else cofactor, then ite
// The memos of the recursive walks are keyed by (node, link): the same node read through the
// other link gives different intermediate nodes.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "bdd_tables.h"
#include "bddpp.h"
#include "g_exit.h"

// ----- supports and dependence -----

std::set<long> bddpp_manager::set_of_index_depend_on(bdd f) {
  if (!bdd_owned_by(f, this)) {
    std::cerr << "Warning: call  bddpp_manager::set_of_index_depend_on() with a bad manager" << std::endl;
    return std::set<long>();
  }
  return f.internal_bdd_node->var_index_dep();
}

bool bddpp_manager::support_is(bdd f, const std::set<long>& s) {
  const std::vector<int32_t>* vars = support_vars(f);
  return vars != nullptr && vars->size() == s.size() && std::equal(vars->begin(), vars->end(), s.begin());
}

const std::vector<int32_t>* bddpp_manager::support_vars(bdd f) {
  return bdd_owned_by(f, this) ? &f.internal_bdd_node->support()->vars : nullptr;
}

void bddpp_manager::Present_variables(bdd f, int* present) {
  for (long i = 0; i < internal_bdd_vars; ++i) present[i] = 0;
  for (int32_t v : f.internal_bdd_node->support()->vars) present[v] = 1;
}

int bddpp_manager::exists_common_variables(bdd& f, bdd& g) {
  const std::vector<int32_t>& a = f.internal_bdd_node->support()->vars;
  const std::vector<int32_t>& b = g.internal_bdd_node->support()->vars;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i] == b[j]) return 1;
    if (a[i] < b[j])
      ++i;
    else
      ++j;
  }
  return 0;
}

int bddpp_manager::Bdd_node_depends_on(bdd_node* n, bdd_node* v) {
  if (!n || !v || n->my_manager() != this || v->my_manager() != this) {
    std::cerr << "Error in bddpp_manager::Bdd_node_depends_on():  bad Bdd manager or bdd(s) not initialized!"
              << std::endl;
    return 0;
  }
  if (n->internal_var_index == v->internal_var_index) return 1;
  if (n == internal_bdd_node_one) return 0;
  return n->var_index_dep(v->internal_var_index);
}

int bddpp_manager::Bdd_depends_on(bdd f, bdd g) { return Bdd_node_depends_on(f.internal_bdd_node, g.internal_bdd_node); }

// ----- predicates -----

static bool bare_variable(const bdd_node* n, const bdd_node* one) {
  return n && n != one && n->internal_then == one && n->internal_else == one && n->internal_else_link_type == -1;
}

int bddpp_manager::Bdd_is_var(bdd f) {
  return bare_variable(f.internal_bdd_node, internal_bdd_node_one) && f.internal_link_type == 1 ? 1 : 0;
}

int bddpp_manager::Bdd_is_negvar(bdd f) {
  return bare_variable(f.internal_bdd_node, internal_bdd_node_one) && f.internal_link_type == -1 ? 1 : 0;
}

int bddpp_manager::Bdd_is_tautology(bdd f, int value) {
  return value != 0 ? Bdd_is_one_tautologic(f) : Bdd_is_zero_tautologic(f);
}

int bddpp_manager::Bdd_is_tautology(bdd f) { return f.internal_bdd_node == internal_bdd_node_one ? 1 : 0; }

int bddpp_manager::Bdd_is_zero_tautologic(bdd f) {
  return f.internal_bdd_node == internal_bdd_node_one && f.internal_link_type == -1 ? 1 : 0;
}

int bddpp_manager::Bdd_is_one_tautologic(bdd f) {
  return f.internal_bdd_node == internal_bdd_node_one && f.internal_link_type == 1 ? 1 : 0;
}

int bddpp_manager::Bdd_is_cube(bdd f) {
  if (Bdd_is_tautology(f)) return 1;
  bdd t = Bdd_then(f);
  bdd e = Bdd_else(f);
  if (Bdd_is_zero_tautologic(t)) return Bdd_is_cube(e);
  if (Bdd_is_zero_tautologic(e)) return Bdd_is_cube(t);
  return 0;
}

// ----- restriction -----

bdd_node* bddpp_manager::Restrict_rec(const int* literals, long literals_max, int link, bdd_node* f, int& link_out) {
  if (!f) {
    g_exit(1, "Error in Bdd_cube_reduce(): bdd has a Null pointer!\n");
  }
  link_out = link;
  if (f == internal_bdd_node_one) return f;
  long v = f->internal_var_index;
  // Below the last literal nothing changes: with the memos on, the rebuild would only find f again
  // (the plain walk rebuilds it).
  bdd_memo<bdd_node_link>& memo = internal_state->restrict_memo;
  if (memo.on && v > literals_max) return f;
  int lit = v <= literals_max ? literals[v] : 2;
  if (lit == 1) return Restrict_rec(literals, literals_max, link, f->internal_then, link_out);
  if (lit != 2)
    return Restrict_rec(literals, literals_max, link * f->internal_else_link_type, f->internal_else, link_out);
  bdd_node_link r = memo.recall(f, link, [&] {
    int tl = 1, el = 1;
    bdd_node* t = Restrict_rec(literals, literals_max, link, f->internal_then, tl);
    bdd_node* e = Restrict_rec(literals, literals_max, link * f->internal_else_link_type, f->internal_else, el);
    if (t == e && tl == el) return bdd_node_link(t, tl);
    int l = 1;
    bdd_node* n = Find_or_create_ordered(v, tl, el, t, e, l);
    return bdd_node_link(n, l);
  });
  link_out = r.second;
  return r.first;
}

bdd_node* bddpp_manager::Bdd_cube_reduce(int link, bdd_node* f, int* literals, int& link_out) {
  internal_state->restrict_memo.begin();
  return Restrict_rec(literals, internal_bdd_vars - 1, link, f, link_out);
}

bdd_node* bddpp_manager::Bdd_cube_reduce(int link, bdd_node* f, int link_c, bdd_node* c, int& link_out) {
  if (!f) {
    g_exit(1, "Error in Bdd_cube_reduce(): bdd has a Null pointer!\n");
  }
  link_out = link;
  if (f == internal_bdd_node_one) return f;
  if (!c) {
    g_exit(1, "Error in Bdd_cube_reduce(): assertion has a Null pointer!\n");
  }
  if (c == internal_bdd_node_one) return f;
  // The literals of the path that the literal conversion walks, set in the shared array
  // (all 2 between calls) and reset afterwards.
  std::vector<int>& lits = internal_state->path_literals(internal_max_bdd_vars);
  std::vector<long>& set = internal_state->cube_indexes;
  set.clear();
  long max_index = -1;
  int l = link_c;
  for (bdd_node* n = c; n && n != internal_bdd_node_one;) {
    long v = n->internal_var_index;
    if (n->internal_then == internal_bdd_node_one && n->internal_else == internal_bdd_node_one) {
      lits[v] = l == 1 ? 1 : 0;
      set.push_back(v);
      max_index = std::max(max_index, v);
      break;
    }
    if (n->internal_then == internal_bdd_node_one) {
      lits[v] = 0;
      l *= n->internal_else_link_type;
      n = n->internal_else;
    } else {
      lits[v] = 1;
      n = n->internal_then;
    }
    set.push_back(v);
    max_index = std::max(max_index, v);
  }
  // Past max_index every literal is 2.
  internal_state->restrict_memo.begin();
  bdd_node* r = Restrict_rec(lits.data(), max_index, link, f, link_out);
  for (long v : set) lits[v] = 2;
  return r;
}

bdd bddpp_manager::Bdd_cube_reduce(bdd f, bdd c) {
  int link = 1;
  bdd_node* r = Bdd_cube_reduce(f.internal_link_type, f.internal_bdd_node, c.internal_link_type, c.internal_bdd_node, link);
  return bdd(this, link, r);
}

// On a non-cube c this is the conjunction of the restrictions to the disjoint cubes that
// Bdd_satisfy picks from c, which need not agree with f on c; callers pass cubes.
bdd bddpp_manager::Bdd_reduce(bdd f, bdd c) {
  if (!exists_common_variables(f, c)) return f;
  if (Bdd_is_cube(c)) return Bdd_cube_reduce(f, c);
  bdd result = Bdd_one();
  bdd rest = c;
  while (!Bdd_is_zero_tautologic(rest)) {
    bdd m = Bdd_satisfy(rest);
    if (!Bdd_is_cube(m)) {
      std::ostringstream text;
      text << "ERREUR sur !!!\n";
      Print_bdd_structure(text, m);
      g_exit(1, text.str());
    }
    bdd part = Bdd_cube_reduce(f, m);
    result = Bdd_and(result, part);
    rest = Bdd_and(rest, Bdd_not(m));
  }
  return result;
}

// ----- truncation of the order -----

bdd bddpp_manager::Keep_first_rec(bdd f, long int k) {
  bdd_node* n = f.internal_bdd_node;
  if (n == internal_bdd_node_one) return f;
  if (n->internal_var_index >= k) return Bdd_one();
  return bdd_recall_handle(internal_state->keep_memo, this, f, [&] {
    bdd t = Keep_first_rec(Bdd_then(f), k);
    bdd e = Keep_first_rec(Bdd_else(f), k);
    return Bdd_ite(1, n->internal_var_index, t, e);
  });
}

bdd bddpp_manager::Bdd_keep_first_variables(bdd f, long int k) {
  internal_state->keep_memo.begin();
  return Keep_first_rec(f, k);
}

// ----- quantification -----

bdd bddpp_manager::Bdd_exist(bdd f, bdd v) {
  if (!Bdd_is_var(v) && !Bdd_is_negvar(v)) return f;
  if (!Bdd_depends_on(f, v)) return f;
  bdd a = Bdd_cube_reduce(f, v);
  bdd b = Bdd_cube_reduce(f, Bdd_not(v));
  return Bdd_or(a, b);
}

bdd bddpp_manager::Bdd_forall(bdd f, bdd v) {
  if (!Bdd_is_var(v) && !Bdd_is_negvar(v)) return f;
  if (!Bdd_depends_on(f, v)) return f;
  bdd a = Bdd_cube_reduce(f, v);
  bdd b = Bdd_cube_reduce(f, Bdd_not(v));
  return Bdd_and(a, b);
}

// ----- composition and renaming -----

bdd bddpp_manager::Bdd_compose(bdd f, bdd v, bdd g) {
  if (!Bdd_is_var(v)) {
    std::cerr << "Warning in bddpp_manager::Bdd_compose(): second parametre is not a variable!" << std::endl;
    return Bdd_zero();
  }
  return Bdd_compose_loc(f, v, g);
}

// Walks down to the terminals on every path (the ite at each node makes the same nodes as the
// plain walk; the memo only skips repeated sub-walks).
bdd bddpp_manager::Compose_rec(bdd f, long v_index, const bdd& g) {
  bdd_node* n = f.internal_bdd_node;
  if (n == internal_bdd_node_one) return f;
  return bdd_recall_handle(internal_state->compose_memo, this, f, [&] {
    bdd t = Compose_rec(Bdd_then(f), v_index, g);
    bdd e = Compose_rec(Bdd_else(f), v_index, g);
    return n->internal_var_index == v_index ? Bdd_ite(g, t, e) : Bdd_ite(1, n->internal_var_index, t, e);
  });
}

bdd bddpp_manager::Bdd_compose_loc(bdd f, bdd v, bdd g) {
  internal_state->compose_memo.begin();
  return Compose_rec(f, v.internal_bdd_node ? v.internal_bdd_node->internal_var_index : -3, g);
}

bdd bddpp_manager::Replace_rec(bdd f, long int* map) {
  bdd_node* n = f.internal_bdd_node;
  if (n == internal_bdd_node_one) return f;
  return bdd_recall_handle(internal_state->replace_memo, this, f, [&] {
    bdd x = Bdd_var_by_index(map[n->internal_var_index]);
    bdd t = Replace_rec(Bdd_then(f), map);
    bdd e = Replace_rec(Bdd_else(f), map);
    return Bdd_ite(x, t, e);
  });
}

bdd bddpp_manager::Bdd_replace_vars(bdd f, long int* map) {
  internal_state->replace_memo.begin();
  return Replace_rec(f, map);
}

// ----- associations (an entry is a node read through its link) -----

void bddpp_manager::Bdd_assoc_bdd_to_var(bdd e, bdd v) {
  if (!Bdd_is_var(v)) {
    if ((Bdd_is_one_tautologic(v) && Bdd_is_one_tautologic(e)) ||
        (Bdd_is_zero_tautologic(v) && Bdd_is_zero_tautologic(e)))
      return;
    g_exit(1, "error in bddpp_manager::Bdd_assoc_bdd_to_var():\n     second parameter is not a var !\nreplace from: " +
                  Print_sop_to_String("+", ".", "!", "", v, 1) +
                  " by expression: " + Print_sop_to_String("+", ".", "!", "", e, 1) + "\n");
  }
  long i = v.internal_bdd_node->internal_var_index;
  bdd r = e;
  for (long j = 0; j < internal_bdd_vars; ++j) {
    if (!r.internal_bdd_node->var_index_dep(j)) continue;
    bdd_node* a = Assoc_node(j);
    bdd assoc(this, internal_assoc_link_table[j], a);
    if (a->var_index_dep(j)) continue;
    r = Bdd_compose(r, Bdd_var_by_index(j), assoc);
  }
  internal_assoc_var_table.at(i) = r.internal_bdd_node;
  internal_assoc_link_table.at(i) = r.internal_link_type;
  if (r.internal_bdd_node->var_index_dep(i)) return;
  bdd xi = Bdd_var_by_index(i);
  for (long j = 0; j < internal_bdd_vars; ++j) {
    if (j == i) continue;
    bdd_node* a = Assoc_node(j);
    if (!a->var_index_dep(i)) continue;
    bdd c = Bdd_compose(bdd(this, internal_assoc_link_table[j], a), xi, r);
    internal_assoc_var_table.at(j) = c.internal_bdd_node;
    internal_assoc_link_table.at(j) = c.internal_link_type;
  }
}

bdd bddpp_manager::Bdd_follow_assoc(bdd f, int* self) {
  *self = -1;
  if (Bdd_is_var(f)) {
    long i = f.internal_bdd_node->internal_var_index;
    bdd_node* a = Assoc_node(i);
    if (a->var_index_dep(i)) *self = static_cast<int>(i);
    return bdd(this, internal_assoc_link_table[i], a);
  }
  bdd result = f;
  if (!f.internal_bdd_node) return result;
  std::vector<int32_t> support = f.internal_bdd_node->support()->vars;
  for (int32_t j : support) {
    bdd_node* a = Assoc_node(j);
    if (!a->var_index_dep(j)) {
      bdd x = Bdd_var_by_index(j);
      result = Bdd_compose(result, x, bdd(this, internal_assoc_link_table[j], a));
    } else {
      *self = j;
    }
  }
  return result;
}

// ----- simplification against a forbidden set -----

bdd bddpp_manager::Bdd_simplify(bdd f, bdd c) {
  if (Bdd_is_tautology(f)) return f;
  bdd result = f;
  std::vector<int32_t> support = f.internal_bdd_node->support()->vars;
  for (int32_t j : support) {
    bdd x = Bdd_var_by_index(j);
    bdd g = Bdd_exist(result, x);
    if (Bdds_excl(g, c)) result = g;
  }
  return result;
}

// Only indexes above f's top variable are tried, and f's support has none: f comes back as is.
bdd bddpp_manager::Bdd_simplify2(bdd f, bdd) { return f; }

// ----- satisfying cube -----

int bddpp_manager::OneSat_rec(bdd_node* n, int link, int* literals, std::vector<long>* touched) {
  if (!n) {
    g_exit(1, "ERROR: call bddpp_manager::Bdd_OneSat() with null reference\n");
  }
  if (n == internal_bdd_node_one) return link == 1 ? 1 : 0;
  long v = n->internal_var_index;
  literals[v] = 1;
  if (touched) touched->push_back(v);
  if (OneSat_rec(n->internal_then, link, literals, touched)) return 1;
  literals[v] = 0;
  return OneSat_rec(n->internal_else, link * n->internal_else_link_type, literals, touched);
}

int bddpp_manager::Bdd_OneSat(bdd_node* n, int link, int* literals) { return OneSat_rec(n, link, literals, nullptr); }

bdd bddpp_manager::Conjoin_literals(const int* literals, const std::vector<long>& indexes) {
  bdd result = Bdd_one();
  for (long i : indexes) {
    if (literals[i] == 0)
      result = Bdd_and(result, Bdd_not(Bdd_var_by_index(i)));
    else if (literals[i] == 1)
      result = Bdd_and(result, Bdd_var_by_index(i));
  }
  return result;
}

bdd bddpp_manager::Bdd_satisfy(bdd f) {
  std::vector<int>& lits = internal_state->path_literals(internal_max_bdd_vars);
  std::vector<long>& touched = internal_state->satisfy_indexes;
  touched.clear();
  OneSat_rec(f.internal_bdd_node, f.internal_link_type, lits.data(), &touched);
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  bdd r = Conjoin_literals(lits.data(), touched);
  for (long v : touched) lits[v] = 2;
  return r;
}
