// Package adapters for the workloads: OursPkg over bddpp_manager, BuddyPkg over
// the comparator's C interface. Both create every variable up front, in index
// order, before any timed work.
#ifndef BENCH_PACKAGES_H
#define BENCH_PACKAGES_H

#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bddpp.h"

#ifdef BENCH_HAVE_BUDDY
#include "buddy_side.h"
#endif

namespace bench {

class OursPkg {
 public:
  using B = bdd;
  // Room up front, as the comparator's (BuddyPkg::kInitialNodes).
  static constexpr long kInitialNodes = 1 << 12;

  explicit OursPkg(int nvars) {
    for (int i = 0; i < nvars; ++i) vars_.push_back(m_.New_var_last("v" + std::to_string(i)));
    nvars_.reserve(nvars);
    for (int i = 0; i < nvars; ++i) nvars_.push_back(m_.Bdd_not(vars_[i]));
  }

  bddpp_manager& manager() { return m_; }
  int nvars() const { return static_cast<int>(vars_.size()); }

  B one() { return m_.Bdd_one(); }
  B zero() { return m_.Bdd_zero(); }
  const B& var(int i) const { return vars_[i]; }
  const B& nvar(int i) const { return nvars_[i]; }
  B and_(const B& f, const B& g) { return m_.Bdd_and(f, g); }
  B or_(const B& f, const B& g) { return m_.Bdd_or(f, g); }
  B not_(const B& f) { return m_.Bdd_not(f); }
  B ite(const B& f, const B& g, const B& h) { return m_.Bdd_ite(f, g, h); }

  int eval(const B& f, const int* ctx) { return m_.Bdd_eval_for_literal(f, const_cast<int*>(ctx)); }
  // non-terminal nodes of f
  long nodes(const B& f) { return m_.Bdd_size(f) - 1; }
  long total_size() { return m_.Bdd_total_size(); }

  // Satisfying assignments over all the manager's variables, read from the
  // node structure. Both polarities are counted by sums only: a difference
  // 2^k - count would lose the small counts in double precision.
  double satcount(const B& f) {
    std::unordered_map<const bdd_node*, std::pair<double, double>> memo;
    return std::ldexp(count(f.node(), f.link_type(), memo), level(f.node()));
  }

 private:
  using CountMemo = std::unordered_map<const bdd_node*, std::pair<double, double>>;

  int level(const bdd_node* n) const {
    long v = n->var_index();
    return v < 0 ? nvars() : static_cast<int>(v);
  }

  // models of (n, link) over the variables from n's level down
  double count(bdd_node* n, int link, CountMemo& memo) {
    if (n->var_index() < 0) return link > 0 ? 1.0 : 0.0;
    auto it = memo.find(n);
    if (it == memo.end()) {
      int v = level(n);
      bdd_node* t = n->then_node();
      bdd_node* e = n->else_node();
      int el = n->else_link_type();
      std::pair<double, double> c;
      c.first = std::ldexp(count(t, 1, memo), level(t) - v - 1) + std::ldexp(count(e, el, memo), level(e) - v - 1);
      c.second = std::ldexp(count(t, -1, memo), level(t) - v - 1) + std::ldexp(count(e, -el, memo), level(e) - v - 1);
      it = memo.emplace(n, c).first;
    }
    return link > 0 ? it->second.first : it->second.second;
  }

  bddpp_manager m_{kInitialNodes};
  std::vector<B> vars_;
  std::vector<B> nvars_;
};

#ifdef BENCH_HAVE_BUDDY

// Counted reference on a comparator node, so that its collector keeps it.
class BRef {
 public:
  BRef() = default;
  explicit BRef(int r) : r_(r) { bs_addref(r_); }
  BRef(const BRef& o) : r_(o.r_) { bs_addref(r_); }
  BRef& operator=(const BRef& o) {
    if (r_ != o.r_) {
      bs_addref(o.r_);
      bs_delref(r_);
      r_ = o.r_;
    }
    return *this;
  }
  ~BRef() { bs_delref(r_); }
  int get() const { return r_; }
  friend bool operator==(const BRef& a, const BRef& b) { return a.r_ == b.r_; }

 private:
  int r_ = 0;
};

// Owns the comparator's single global state for its lifetime: only one
// BuddyPkg may exist at a time. Its handles must be destroyed before it.
class BuddyPkg {
 public:
  using B = BRef;

  // Starting sizes equal to our package's: room for 4096 nodes and a computed
  // table of 4096 entries that grows with the node table (ours up to 2^21
  // entries). Dynamic reordering stays off. With nodes > 0, the table starts
  // with room for that many nodes (and as many computed-table entries): given
  // every node a run produces, it never collects, like our package.
  static constexpr int kInitialNodes = 1 << 12;
  static constexpr int kCacheEntries = 1 << 12;

  // expand_ite: ite(f, g, h) as or(and(f, g), and(not f, h)), the and/or requests our package
  // makes for it (node ids follow requests there), instead of the comparator's one ite pass.
  explicit BuddyPkg(int nvars, long nodes = 0, bool expand_ite = false) : n_(nvars), expand_ite_(expand_ite) {
    int room = nodes > kInitialNodes ? static_cast<int>(nodes) : kInitialNodes;
    bs_init(room, nodes > 0 ? room : kCacheEntries, nvars);
  }
  ~BuddyPkg() { bs_done(); }
  BuddyPkg(const BuddyPkg&) = delete;
  BuddyPkg& operator=(const BuddyPkg&) = delete;

  int nvars() const { return n_; }

  B one() { return B(bs_true()); }
  B zero() { return B(bs_false()); }
  B var(int i) const { return B(bs_var(i)); }
  B nvar(int i) const { return B(bs_nvar(i)); }
  B and_(const B& f, const B& g) { return B(bs_and(f.get(), g.get())); }
  B or_(const B& f, const B& g) { return B(bs_or(f.get(), g.get())); }
  B not_(const B& f) { return B(bs_not(f.get())); }
  B ite(const B& f, const B& g, const B& h) {
    if (!expand_ite_) return B(bs_ite(f.get(), g.get(), h.get()));
    B a = and_(f, g);
    B b = and_(not_(f), h);
    return or_(a, b);
  }

  int eval(const B& f, const int* ctx) { return bs_eval3(f.get(), ctx); }
  long nodes(const B& f) { return bs_nodecount(f.get()); }
  long total_size() { return bs_produced(); }
  long collections() { return bs_collections(); }
  double satcount(const B& f) { return bs_satcount(f.get()); }

 private:
  int n_;
  bool expand_ite_;
};

#endif

}  // namespace bench

#endif
