// Boolean operations: constants, cofactor steps, the and/or cores and the derived connectives.
//
// Node ids follow the order of node requests, so every derived operation evaluates its
// operands left to right into named temporaries:
//   xor  = and(f, not g), then and(not f, g), then or
//   ite  = and(f, g), then and(not f, h), then or
// and the and/or core expands the then cofactor before the else cofactor.
#include <cstdlib>
#include <iostream>

#include "bdd_tables.h"
#include "bddpp.h"

bdd bddpp_manager::Bdd_one() { return bdd(this, 1, internal_bdd_node_one); }

bdd bddpp_manager::Bdd_zero() { return bdd(this, -1, internal_bdd_node_one); }

// A foreign handle keeps its manager so that the and/or checks still refuse it.
bdd bddpp_manager::Bdd_not(bdd f) {
  bddpp_manager* m = bdd_initialised(f) ? f.internal_manager_ref : this;
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

// ----- the and/or core -----

namespace {

// or(x, y) = not(and(not x, not y)): the recursion is the same, on the same cofactors, and
// requests the same nodes in the same order (a node and its complement are one request), so
// only the terminal cases tell the two apart. absorbing is the link of the constant that
// decides the result (and: zero, or: one); the other constant gives the other operand.
struct and_op {
  static constexpr int absorbing = -1;
  static constexpr int code = bdd_computed_table::op_and;
  static constexpr const char* name = "Bdd_and";
};
struct or_op {
  static constexpr int absorbing = 1;
  static constexpr int code = bdd_computed_table::op_or;
  static constexpr const char* name = "Bdd_or";
};

inline bdd_node* counted(bdd_node* n, int l, int& link) {
  link = l;
  n->inc_nbrefs();
  return n;
}

// The constant one read through link l: one for +1, zero otherwise.
inline int constant_link(int l) { return l == 1 ? 1 : -1; }

}  // namespace

template <class Op>
bdd_node* bddpp_manager::Apply_rec(int lx, bdd_node* x, int ly, bdd_node* y, int& link) {
  if (!x || !y) Null_reference_report(Op::name, x, y, false);
  bdd_node* one = internal_bdd_node_one;
  // A constant operand either decides the result or gives the other operand.
  if (x == one) return constant_link(lx) == Op::absorbing ? counted(one, Op::absorbing, link) : counted(y, ly, link);
  if (y == one) return constant_link(ly) == Op::absorbing ? counted(one, Op::absorbing, link) : counted(x, lx, link);
  if (x == y) return lx == ly ? counted(x, lx, link) : counted(one, Op::absorbing, link);
  const bdd_computed_table::probe probe = internal_state->cache.locate(Op::code, lx, x, ly, y);
  {
    bdd_node* r;
    int rl;
    if (internal_state->cache.lookup(probe, r, rl)) {
      link = rl;  // counts only over-approximate: a cached result takes no extra unit
      return r;
    }
  }
  long vx = x->internal_var_index, vy = y->internal_var_index;
  long top;
  int tl = 1, el = 1;
  bdd_node *t, *e;
  if (vx < vy) {
    t = Apply_rec<Op>(lx, x->internal_then, ly, y, tl);
    e = Apply_rec<Op>(lx * x->internal_else_link_type, x->internal_else, ly, y, el);
    top = vx;
  } else if (vx == vy) {
    t = Apply_rec<Op>(lx, x->internal_then, ly, y->internal_then, tl);
    e = Apply_rec<Op>(lx * x->internal_else_link_type, x->internal_else, ly * y->internal_else_link_type,
                      y->internal_else, el);
    top = vx;
  } else {
    t = Apply_rec<Op>(ly, y->internal_then, lx, x, tl);
    e = Apply_rec<Op>(ly * y->internal_else_link_type, y->internal_else, lx, x, el);
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
    Post_check_report(Op::name, lx, x, ly, y, link, r);
  internal_state->cache.store(probe, r, link);
  return r;
}

bdd_node* bddpp_manager::Bdd_and(int lx, bdd_node* x, int ly, bdd_node* y, int& link) {
  return Apply_rec<and_op>(lx, x, ly, y, link);
}

bdd_node* bddpp_manager::Bdd_or(int lx, bdd_node* x, int ly, bdd_node* y, int& link) {
  return Apply_rec<or_op>(lx, x, ly, y, link);
}

// ----- handle operations -----

template <class Op>
bdd bddpp_manager::Apply(const bdd& f, const bdd& g) {
  if (f.internal_bdd_node && g.internal_bdd_node && (f.internal_manager_ref != this || g.internal_manager_ref != this))
    Null_reference_report(Op::name, f.internal_bdd_node, g.internal_bdd_node, true);
  internal_state->cache.fit(internal_bdd_node_map->size());
  int link = 1;
  bdd_node* r =
      Apply_rec<Op>(f.internal_link_type, f.internal_bdd_node, g.internal_link_type, g.internal_bdd_node, link);
  return bdd(this, link, r);
}

bdd bddpp_manager::Bdd_and(bdd f, bdd g) { return Apply<and_op>(f, g); }

bdd bddpp_manager::Bdd_or(bdd f, bdd g) { return Apply<or_op>(f, g); }

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
    f = bdd(this, link, Own_var_node(index));
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
