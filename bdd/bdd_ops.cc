// Boolean operations: constants, cofactor steps, the and/or cores and the derived connectives.
//
// Node ids follow the order of node requests, so every derived operation evaluates its
// operands left to right into named temporaries:
//   xor  = and(f, not g), then and(not f, g), then or
//   ite  = and(f, g), then and(not f, h), then or
// and the cores expand the then cofactor before the else cofactor.
#include <cstdlib>
#include <iostream>

#include "bdd_tables.h"
#include "bddpp.h"

bdd bddpp_manager::Bdd_one() { return bdd(this, 1, internal_bdd_node_one); }

bdd bddpp_manager::Bdd_zero() { return bdd(this, -1, internal_bdd_node_one); }

// A foreign handle keeps its manager so that the and/or checks still refuse it.
bdd bddpp_manager::Bdd_not(bdd f) {
  bddpp_manager* m = f.internal_bdd_node && f.internal_manager_ref ? f.internal_manager_ref : this;
  return bdd(m, -f.internal_link_type, f.internal_bdd_node);
}

// A constant is its own cofactor.
bdd bddpp_manager::Bdd_then(bdd f) {
  bdd_node* n = f.internal_bdd_node;
  if (!n || n == internal_bdd_node_one) return bdd(this, f.internal_link_type, n);
  return bdd(this, f.internal_link_type, n->internal_then);
}

bdd bddpp_manager::Bdd_else(bdd f) {
  bdd_node* n = f.internal_bdd_node;
  if (!n || n == internal_bdd_node_one) return bdd(this, f.internal_link_type, n);
  return bdd(this, f.internal_link_type * n->internal_else_link_type, n->internal_else);
}

// ----- fatal reports -----

void bddpp_manager::Null_reference_report(const char* op, bdd_node* x, bdd_node* y, bool bad_manager) {
  std::string name(op);
  std::cerr << "ERROR: call bddpp_manager::" << name << "() with null reference" << std::endl;
  if (name == "Bdd_and")
    std::cerr << "Bdd_and(" << static_cast<const void*>(x) << "," << static_cast<const void*>(y) << ")" << std::endl;
  if (bad_manager) std::cerr << "bad manager: an operand belongs to another bddpp_manager" << std::endl;
  std::exit(1);
}

void bddpp_manager::Post_check_report(const char* op, int lx, bdd_node* x, int ly, bdd_node* y, int lr, bdd_node* r) {
  std::cerr << "INTERNAL ERROR in " << op << "(): result has an index (" << r->internal_var_index
            << ") less than the operands (" << x->internal_var_index << ") and (" << y->internal_var_index << ")!"
            << std::endl;
  Bdd_global_clear_marks();
  long id = Bdd_incremental_id(x, 0);
  id = Bdd_incremental_id(y, id);
  Bdd_incremental_id(r, id);
  Bdd_clear_marks(x);
  Bdd_clear_marks(y);
  Bdd_clear_marks(r);
  std::cerr << "\n\n";
  std::cerr << "x= " << (lx == -1 ? "NOT" : "") << "\n";
  Print_bdd_structure_loc(std::cerr, 5, x);
  std::cerr << "y= " << (ly == -1 ? "NOT" : "") << "\n";
  Print_bdd_structure_loc(std::cerr, 5, y);
  std::cerr << "result= " << (lr == -1 ? "NOT" : "") << "\n";
  Print_bdd_structure_loc(std::cerr, 5, r);
  std::cerr.flush();
  std::exit(1);
}

// ----- cores -----

// The else sub-problem is known before the then one runs: start loading its cache entry.
#if BDD_EXACT_CACHE
#define PREFETCH_ELSE(op, lx, x, ly, y) internal_state->cache.prefetch(op, lx, x, ly, y)
#else
#define PREFETCH_ELSE(op, lx, x, ly, y) ((void)0)
#endif

bdd_node* bddpp_manager::Bdd_and(int lx, bdd_node* x, int ly, bdd_node* y, int& link) {
  if (!x || !y) Null_reference_report("Bdd_and", x, y, false);
  bdd_node* one = internal_bdd_node_one;
  if (x == one) {
    if (lx == 1) {
      link = ly;
      y->inc_nbrefs();
      return y;
    }
    link = -1;
    one->inc_nbrefs();
    return one;
  }
  if (y == one) {
    if (ly == 1) {
      link = lx;
      x->inc_nbrefs();
      return x;
    }
    link = -1;
    one->inc_nbrefs();
    return one;
  }
  if (x == y) {
    if (lx == ly) {
      link = lx;
      x->inc_nbrefs();
      return x;
    }
    link = -1;
    one->inc_nbrefs();
    return one;
  }
#if BDD_EXACT_CACHE
  {
    bdd_node* r;
    int rl;
    if (internal_state->cache.lookup(bdd_computed_table::op_and, lx, x, ly, y, r, rl)) {
      link = rl;  // counts only over-approximate: a cached result takes no extra unit
      return r;
    }
  }
#endif
  long vx = x->internal_var_index, vy = y->internal_var_index;
  long top;
  int tl = 1, el = 1;
  bdd_node *t, *e;
  if (vx < vy) {
    PREFETCH_ELSE(bdd_computed_table::op_and, lx * x->internal_else_link_type, x->internal_else, ly, y);
    t = Bdd_and(lx, x->internal_then, ly, y, tl);
    e = Bdd_and(lx * x->internal_else_link_type, x->internal_else, ly, y, el);
    top = vx;
  } else if (vx == vy) {
    PREFETCH_ELSE(bdd_computed_table::op_and, lx * x->internal_else_link_type, x->internal_else,
                  ly * y->internal_else_link_type, y->internal_else);
    t = Bdd_and(lx, x->internal_then, ly, y->internal_then, tl);
    e = Bdd_and(lx * x->internal_else_link_type, x->internal_else, ly * y->internal_else_link_type, y->internal_else,
                el);
    top = vx;
  } else {
    PREFETCH_ELSE(bdd_computed_table::op_and, ly * y->internal_else_link_type, y->internal_else, lx, x);
    t = Bdd_and(ly, y->internal_then, lx, x, tl);
    e = Bdd_and(ly * y->internal_else_link_type, y->internal_else, lx, x, el);
    top = vy;
  }
  bdd_node* r;
  if (t == e && tl == el) {
    r = t;
    link = tl;
    r->inc_nbrefs();
  } else {
    link = 1;
    r = Find_or_create_ordered(top, tl, el, t, e, link);
    r->inc_nbrefs();
  }
  if (r != one && r->internal_var_index < vx && r->internal_var_index < vy)
    Post_check_report("Bdd_and", lx, x, ly, y, link, r);
#if BDD_EXACT_CACHE
  internal_state->cache.store(bdd_computed_table::op_and, lx, x, ly, y, r, link);
#endif
  return r;
}

bdd_node* bddpp_manager::Bdd_or(int lx, bdd_node* x, int ly, bdd_node* y, int& link) {
  if (!x || !y) Null_reference_report("Bdd_or", x, y, false);
  bdd_node* one = internal_bdd_node_one;
  if (x == one) {
    if (lx == 1) {
      link = 1;
      one->inc_nbrefs();
      return one;
    }
    link = ly;
    y->inc_nbrefs();
    return y;
  }
  if (y == one) {
    if (ly == 1) {
      link = 1;
      one->inc_nbrefs();
      return one;
    }
    link = lx;
    x->inc_nbrefs();
    return x;
  }
  if (x == y) {
    if (lx == ly) {
      link = lx;
      x->inc_nbrefs();
      return x;
    }
    link = 1;
    one->inc_nbrefs();
    return one;
  }
#if BDD_EXACT_CACHE
  {
    bdd_node* r;
    int rl;
    if (internal_state->cache.lookup(bdd_computed_table::op_or, lx, x, ly, y, r, rl)) {
      link = rl;  // counts only over-approximate: a cached result takes no extra unit
      return r;
    }
  }
#endif
  long vx = x->internal_var_index, vy = y->internal_var_index;
  long top;
  int tl = 1, el = 1;
  bdd_node *t, *e;
  if (vx < vy) {
    PREFETCH_ELSE(bdd_computed_table::op_or, lx * x->internal_else_link_type, x->internal_else, ly, y);
    t = Bdd_or(lx, x->internal_then, ly, y, tl);
    e = Bdd_or(lx * x->internal_else_link_type, x->internal_else, ly, y, el);
    top = vx;
  } else if (vx == vy) {
    PREFETCH_ELSE(bdd_computed_table::op_or, lx * x->internal_else_link_type, x->internal_else,
                  ly * y->internal_else_link_type, y->internal_else);
    t = Bdd_or(lx, x->internal_then, ly, y->internal_then, tl);
    e = Bdd_or(lx * x->internal_else_link_type, x->internal_else, ly * y->internal_else_link_type, y->internal_else,
               el);
    top = vx;
  } else {
    PREFETCH_ELSE(bdd_computed_table::op_or, ly * y->internal_else_link_type, y->internal_else, lx, x);
    t = Bdd_or(ly, y->internal_then, lx, x, tl);
    e = Bdd_or(ly * y->internal_else_link_type, y->internal_else, lx, x, el);
    top = vy;
  }
  bdd_node* r;
  if (t == e && tl == el) {
    r = t;
    link = tl;
    r->inc_nbrefs();
  } else {
    link = 1;
    r = Find_or_create_ordered(top, tl, el, t, e, link);
    r->inc_nbrefs();
  }
  if (r != one && r->internal_var_index < vx && r->internal_var_index < vy)
    Post_check_report("Bdd_or", lx, x, ly, y, link, r);
#if BDD_EXACT_CACHE
  internal_state->cache.store(bdd_computed_table::op_or, lx, x, ly, y, r, link);
#endif
  return r;
}

// ----- handle operations -----

bdd bddpp_manager::Bdd_and(bdd f, bdd g) {
  if (f.internal_bdd_node && g.internal_bdd_node && (f.internal_manager_ref != this || g.internal_manager_ref != this))
    Null_reference_report("Bdd_and", f.internal_bdd_node, g.internal_bdd_node, true);
#if BDD_EXACT_CACHE
  internal_state->cache.fit(internal_bdd_node_map->size());
#endif
  int link = 1;
  bdd_node* r = Bdd_and(f.internal_link_type, f.internal_bdd_node, g.internal_link_type, g.internal_bdd_node, link);
  return bdd(this, link, r);
}

bdd bddpp_manager::Bdd_or(bdd f, bdd g) {
  if (f.internal_bdd_node && g.internal_bdd_node && (f.internal_manager_ref != this || g.internal_manager_ref != this))
    Null_reference_report("Bdd_or", f.internal_bdd_node, g.internal_bdd_node, true);
#if BDD_EXACT_CACHE
  internal_state->cache.fit(internal_bdd_node_map->size());
#endif
  int link = 1;
  bdd_node* r = Bdd_or(f.internal_link_type, f.internal_bdd_node, g.internal_link_type, g.internal_bdd_node, link);
  return bdd(this, link, r);
}

bdd bddpp_manager::Bdd_nand(bdd f, bdd g) { return Bdd_not(Bdd_and(f, g)); }

bdd bddpp_manager::Bdd_nor(bdd f, bdd g) { return Bdd_not(Bdd_or(f, g)); }

bdd bddpp_manager::Bdd_xor(bdd f, bdd g) {
  bdd a = Bdd_and(f, Bdd_not(g));
  bdd b = Bdd_and(Bdd_not(f), g);
  return Bdd_or(a, b);
}

bdd bddpp_manager::Bdd_xnor(bdd f, bdd g) { return Bdd_not(Bdd_xor(f, g)); }

bdd bddpp_manager::Bdd_eq(bdd f, bdd g) { return Bdd_xnor(f, g); }

bdd bddpp_manager::Bdd_implication(bdd f, bdd g) { return Bdd_or(Bdd_not(f), g); }

bdd bddpp_manager::Bdd_ite(bdd f, bdd g, bdd h) {
  bdd a = Bdd_and(f, g);
  bdd b = Bdd_and(Bdd_not(f), h);
  return Bdd_or(a, b);
}

bdd bddpp_manager::Bdd_ite(int link, long int index, bdd g, bdd h) {
  bdd f;
  if (index == -1) {
    f = bdd(this, link, internal_bdd_node_one);
  } else if (index >= 0 && index < internal_bdd_vars) {
    f = bdd(this, link, internal_variables_table[index]);
  } else {
    std::cerr << "ERROR: abnormal index in bddpp_manager::Bdd_ite()" << std::endl;
    f = bdd(this, link, nullptr);
  }
  return Bdd_ite(f, g, h);
}

int bddpp_manager::Bdd_equiv(bdd f, bdd g) {
  bdd x = Bdd_xnor(f, g);
  return Bdd_is_one_tautologic(x);
}

int bddpp_manager::Bdd_imply(bdd f, bdd g) {
  bdd x = Bdd_or(Bdd_not(f), g);
  return Bdd_is_one_tautologic(x);
}

int bddpp_manager::Bdds_excl(bdd f, bdd g) {
  bdd x = Bdd_and(f, g);
  return Bdd_is_zero_tautologic(x);
}

int bddpp_manager::Bdds_exclude(bdd f, bdd g) { return Bdds_excl(f, g); }
