// Boolean operations: constants, cofactor steps, the and/or cores and the derived connectives.
//
// Node ids follow the order of node requests, so every derived operation evaluates its
// operands left to right into named temporaries:
//   xor  = and(f, not g), then and(not f, g), then or
//   ite  = and(f, g), then and(not f, h), then or
// and the and/or core expands the then cofactor before the else cofactor.
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "bdd_tables.h"
#include "bddpp.h"
#include "g_exit.h"

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
  std::ostringstream text;
  text << "ERROR: call bddpp_manager::" << name << "() with null reference\n";
  if (name == "Bdd_and")
    text << "Bdd_and(" << static_cast<const void*>(x) << "," << static_cast<const void*>(y) << ")\n";
  if (bad_manager) text << "bad manager: an operand belongs to another bddpp_manager\n";
  g_exit(1, text.str());
}

void bddpp_manager::Post_check_report(const char* op, int lx, bdd_node* x, int ly, bdd_node* y, int lr, bdd_node* r) {
  std::ostringstream text;
  text << "INTERNAL ERROR in " << op << "(): result has an index (" << r->internal_var_index
       << ") less than the operands (" << x->internal_var_index << ") and (" << y->internal_var_index << ")!\n";
  Bdd_global_clear_marks();
  long id = Bdd_incremental_id(x, 0);
  id = Bdd_incremental_id(y, id);
  Bdd_incremental_id(r, id);
  Bdd_clear_marks(x);
  Bdd_clear_marks(y);
  Bdd_clear_marks(r);
  text << "\n\n";
  text << "x= " << (lx == -1 ? "NOT" : "") << "\n";
  Print_bdd_structure_loc(text, 5, x);
  text << "y= " << (ly == -1 ? "NOT" : "") << "\n";
  Print_bdd_structure_loc(text, 5, y);
  text << "result= " << (lr == -1 ? "NOT" : "") << "\n";
  Print_bdd_structure_loc(text, 5, r);
  g_exit(1, text.str());
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

// ----- and/or with an operand of another manager -----

namespace {

// (x, link, y, link) -> (node, link), exact: a lost entry would walk a shared subgraph again.
class pair_memo {
 public:
  static uint64_t key(const bdd_node* n, int l) { return bdd_ptr_bits(n) | (l == 1 ? 0 : 1); }
  const bdd_node_link* find(uint64_t a, uint64_t b) const {
    if (slots_.empty()) return nullptr;
    for (size_t i = index(a, b);; i = (i + 1) & mask_) {
      const slot& s = slots_[i];
      if (s.a == 0) return nullptr;
      if (s.a == a && s.b == b) return &s.r;
    }
  }
  void put(uint64_t a, uint64_t b, const bdd_node_link& r) {
    if ((used_ + 1) * 2 > slots_.size()) grow();
    size_t i = index(a, b);
    while (slots_[i].a != 0) i = (i + 1) & mask_;
    slots_[i] = {a, b, r};
    ++used_;
  }

 private:
  struct slot {
    uint64_t a = 0, b = 0;  // a == 0: empty (a node's address is never 0)
    bdd_node_link r{nullptr, 0};
  };
  size_t index(uint64_t a, uint64_t b) const {
    uint64_t h = a * 0x9e3779b97f4a7c15ULL + b * 0xc2b2ae3d27d4eb4fULL;
    return static_cast<size_t>(h ^ (h >> 29)) & mask_;
  }
  void grow() {
    std::vector<slot> old;
    old.swap(slots_);
    slots_.resize(old.empty() ? 256 : 2 * old.size());
    mask_ = slots_.size() - 1;
    used_ = 0;
    for (const slot& s : old)
      if (s.a != 0) put(s.a, s.b, s.r);
  }
  std::vector<slot> slots_;
  size_t mask_ = 0, used_ = 0;
};

}  // namespace

struct bddpp_manager::from_memos {
  pair_memo pairs;
  bdd_memo<bdd_node*> copies;  // the nodes of `from` copied whole (the other operand neutral)
};

// Apply_rec with x a node of `from`: the same recursion, x keeping its side.
template <class Op>
bdd_node* bddpp_manager::Apply_from_rec(bddpp_manager* from, int lx, bdd_node* x, int ly, bdd_node* y, int& link,
                                        from_memos& memos) {
  bdd_node* one = internal_bdd_node_one;
  if (x == from->internal_bdd_node_one)
    return constant_link(lx) == Op::absorbing ? counted(one, Op::absorbing, link) : counted(y, ly, link);
  if (y == one)
    return constant_link(ly) == Op::absorbing ? counted(one, Op::absorbing, link)
                                              : counted(bdd_copy_equal_index(this, from, x, memos.copies), lx, link);
  uint64_t kx = pair_memo::key(x, lx), ky = pair_memo::key(y, ly);
  if (const bdd_node_link* known = memos.pairs.find(kx, ky)) {
    link = known->second;
    return known->first;
  }
  long vx = x->internal_var_index, vy = y->internal_var_index;
  long top = vx < vy ? vx : vy;
  int tl = 1, el = 1;
  bdd_node* xt = vx == top ? x->internal_then : x;
  bdd_node* xe = vx == top ? x->internal_else : x;
  int lxe = vx == top ? lx * x->internal_else_link_type : lx;
  bdd_node* yt = vy == top ? y->internal_then : y;
  bdd_node* ye = vy == top ? y->internal_else : y;
  int lye = vy == top ? ly * y->internal_else_link_type : ly;
  bdd_node* t = Apply_from_rec<Op>(from, lx, xt, ly, yt, tl, memos);
  bdd_node* e = Apply_from_rec<Op>(from, lxe, xe, lye, ye, el, memos);
  bdd_node* r;
  if (t == e && tl == el) {
    r = t;
    link = tl;
  } else {
    link = 1;
    r = Find_or_create_ordered(top, tl, el, t, e, link);
  }
  r->inc_nbrefs();
  memos.pairs.put(kx, ky, bdd_node_link(r, link));
  return r;
}

template <class Op>
bdd bddpp_manager::Apply_from(bddpp_manager* from, const bdd& f, const bdd& g) {
  if (from == nullptr || !bdd_owned_by(f, from) || !bdd_owned_by(g, this))
    Null_reference_report(Op::name, f.internal_bdd_node, g.internal_bdd_node, true);
  from_memos memos;
  memos.copies.begin();
  int link = 1;
  bdd_node* r = Apply_from_rec<Op>(from, f.internal_link_type, f.internal_bdd_node, g.internal_link_type,
                                   g.internal_bdd_node, link, memos);
  return bdd(this, link, r);
}

bdd bddpp_manager::Bdd_and_from(bddpp_manager* from, const bdd& f, const bdd& g) {
  return Apply_from<and_op>(from, f, g);
}

bdd bddpp_manager::Bdd_or_from(bddpp_manager* from, const bdd& f, const bdd& g) {
  return Apply_from<or_op>(from, f, g);
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
