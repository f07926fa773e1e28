// Simplifications of an equation system in place: constant propagation, wire and local
// suppression, reduction under a condition or a quantified variable, loop breaking, the
// tautology check and the abstract (jxa) text.
#include <algorithm>
#include <iostream>
#include <unordered_map>
#include <vector>

#include "Bddexpression.h"
#include "list.h"

namespace {

// An equation whose right side a pass may rewrite.
bool rewritable(const Bddexpression* e) { return e != nullptr && e->abstraction == 0 && bdd_initialised(e->bdd_exp); }

// The equation e of id substituted into each equation of rs, in order, which then depends on
// deps instead of id.
void substitute(Bddexpressionwood& w, long id, const Bddexpression& e, const std::set<long>& rs,
                const std::set<long>& deps) {
  for (long r : rs) {
    Bddexpression* re = w.slot(r);
    if (re == nullptr) continue;
    re->bdd_exp = w.man->Bdd_compose(re->bdd_exp, e.bdd_var, e.bdd_exp);
    re->vars_dependance.erase(id);
    re->vars_dependance.insert(deps.begin(), deps.end());
  }
}

// The wires that suppress_wires removed, each with its right side as it stood then; the
// readers' right sides are rewritten once, at the end or when a reader is itself removed,
// instead of once per wire (a reader of k wires would be walked k times). Substituting all
// of them at once gives the function that substituting them one by one, in removal order,
// gives: a right side only reads wires removed after it.
class Substitutions {
 public:
  explicit Substitutions(bddpp_manager* m) : man(m), one(m->Bdd_one().node()) {}

  void add(long id, const bdd& right_side) {
    by_id[id] = right_side;
    reset(resolved);
  }
  // f with every removed wire replaced by its right side, itself substituted.
  bdd apply(const bdd& f) {
    if (by_id.empty() || !bdd_initialised(f)) return f;
    reset(memo);
    return walk(f);
  }

 private:
  struct Key {
    const bdd_node* n;
    int link;
    bool operator==(const Key& o) const { return n == o.n && link == o.link; }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const { return std::hash<const void*>()(k.n) ^ static_cast<size_t>(k.link + 1); }
  };

  // Bottom-up rebuild of f (recursive, as the manager's own compose is).
  bdd walk(const bdd& f) {
    bdd_node* n = f.node();
    if (n == one) return f;
    Key key{n, f.link_type()};
    auto hit = memo.find(key);
    if (hit != memo.end()) return hit->second;
    bdd t0 = man->Bdd_then(f), e0 = man->Bdd_else(f);
    bdd t = walk(t0), e = walk(e0);
    long v = n->var_index();
    bdd r;
    auto sub = by_id.find(v);
    if (sub != by_id.end())
      r = man->Bdd_ite(resolve(v, sub->second), t, e);
    else if (t.node() == t0.node() && t.link_type() == t0.link_type() && e.node() == e0.node() &&
             e.link_type() == e0.link_type())
      r = f;
    else
      r = man->Bdd_ite(1, v, t, e);
    memo.emplace(key, r);
    return r;
  }
  // The right side of the removed wire v with the wires removed after it substituted.
  bdd resolve(long v, const bdd& right_side) {
    auto hit = resolved.find(v);
    if (hit != resolved.end()) return hit->second;
    std::unordered_map<Key, bdd, KeyHash> outer;
    outer.swap(memo);
    bdd r = walk(right_side);
    memo.swap(outer);
    resolved.emplace(v, r);
    return r;
  }

  // Emptied for the next walk. clear() costs the bucket count, which one large walk leaves
  // high: a sparse table is dropped instead, so that many small walks stay linear.
  template <class Map>
  static void reset(Map& m) {
    if (m.bucket_count() > 8 * m.size() + 64)
      Map().swap(m);
    else
      m.clear();
  }

  bddpp_manager* man;
  const bdd_node* one;
  std::unordered_map<long, bdd> by_id;
  std::unordered_map<long, bdd> resolved;
  std::unordered_map<Key, bdd, KeyHash> memo;
};

}  // namespace

bool Bddexpressionwood::in_keep(const std::list<int>& keep, int usertype) const {
  return std::find(keep.begin(), keep.end(), usertype) != keep.end();
}

void Bddexpressionwood::clean_reader_table() {
  for (long id = 0; id < nb_var_bdd; ++id) {
    auto stale = [&](long r) {
      Bddexpression* e = slot(r);
      return e == nullptr || e->vars_dependance.count(id) == 0;
    };
    const std::set<long>& rs = readers(id);
    if (std::none_of(rs.begin(), rs.end(), stale)) continue;  // a shared set stays shared
    std::set<long>& own = reader_set(id).edit();
    for (auto it = own.begin(); it != own.end();) it = stale(*it) ? own.erase(it) : std::next(it);
  }
}

// ----- constant propagation -----

void Bddexpressionwood::constants_propagation(std::list<int>& keep) {
  settle();
  std::set<long> removed;
  // The constants each reader is to be reduced by, applied at once (one walk of the reader
  // instead of one per constant) before the reader's right side is next read: by its own
  // constant test or at the end. Reducing by the cube of the literals gives the function
  // that reducing by each literal in turn gives.
  std::unordered_map<long, std::vector<std::pair<long, bool>>> pending;
  auto settle = [&](long r) {
    auto it = pending.find(r);
    if (it == pending.end()) return;
    std::vector<std::pair<long, bool>> literals = std::move(it->second);
    pending.erase(it);
    Bddexpression* re = slot(r);
    if (re == nullptr) return;
    // From the deepest variable up, so that each conjunction adds one node.
    std::sort(literals.begin(), literals.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    bdd cube = man->Bdd_one();
    for (const auto& l : literals) {
      bdd x = man->Bdd_var_by_index(l.first);
      cube = man->Bdd_and(l.second ? x : man->Bdd_not(x), cube);
    }
    re->bdd_exp = man->Bdd_reduce(re->bdd_exp, cube);
    re->internal_build_dependances();
  };
  for (bool changed = true; changed;) {
    changed = false;
    for (long id : ens_exp) {
      Bddexpression* e = slot(id);
      if (e == nullptr || e->abstraction != 0 || readers(id).empty() || !bdd_initialised(e->bdd_exp)) continue;
      settle(id);
      bool one = man->Bdd_is_tautology(e->bdd_exp, 1) != 0;
      bool zero = !one && man->Bdd_is_tautology(e->bdd_exp, 0) != 0;
      if (!one && !zero) continue;
      for (long r : readers(id)) {
        Bddexpression* re = slot(r);
        if (!rewritable(re)) continue;
        pending[r].emplace_back(id, one);
      }
      if (!in_keep(keep, e->usertype)) {
        destroy_equation(id);
        removed.insert(id);
      }
      reader_set(id).clear();
      changed = true;
    }
  }
  while (!pending.empty()) settle(pending.begin()->first);
  for (long id : removed) ens_exp.erase(id);
  internal_global_build_dependances();
}

void Bddexpressionwood::constants_propagation() {
  std::list<int> none;
  constants_propagation(none);
}

// ----- wire and local suppression -----

void Bddexpressionwood::suppress_wires(std::list<int>& keep) {
  settle();
  Substitutions removed(man);
  std::set<long> rewritten;  // readers whose right side still reads removed wires
  for (long id = 0; id < nb_var_bdd; ++id) {
    Bddexpression* e = slot(id);
    if (!rewritable(e) || in_keep(keep, e->usertype) || readers(id).empty()) continue;
    if (e->vars_dependance.size() != 1) continue;
    long d = *e->vars_dependance.begin();
    // A loop of length one (x := f(x)) is kept: its readers would read a variable left undefined.
    if (d == id || !valid_id(d) || reader_is_abstract(id)) continue;
    if (rewritten.erase(id) != 0) e->bdd_exp = removed.apply(e->bdd_exp);
    reader_set(d).erase(id);
    ens_exp.erase(id);
    std::set<long> rs = readers(id);
    for (long r : rs) {
      Bddexpression* re = slot(r);
      if (re == nullptr) continue;
      re->vars_dependance.erase(id);
      re->vars_dependance.insert(d);
      rewritten.insert(r);
    }
    removed.add(id, e->bdd_exp);
    reader_set(d).insert(rs.begin(), rs.end());
    destroy_equation(id);
    reader_set(id).clear();
    latest(id) = 0;
  }
  for (long r : rewritten)
    if (Bddexpression* re = slot(r)) re->bdd_exp = removed.apply(re->bdd_exp);
  constants_propagation(keep);
  clean_reader_table();

  // Dates by critical paths; one memoised sweep serves every id when the graph is acyclic.
  const long n = nb_var_bdd;
  std::vector<long> up(static_cast<size_t>(n), 0), up_h(static_cast<size_t>(n), 0);
  std::vector<long> down(static_cast<size_t>(n), 0), down_h(static_cast<size_t>(n), 0);
  // value and height of every equation (with readers, downwards); false at the first cycle.
  auto sweep = [&](bool upwards, std::vector<long>& value, std::vector<long>& height) {
    start_walk();
    for (long id = 0; id < n; ++id) {
      if (slot(id) == nullptr || (!upwards && readers(id).empty())) continue;
      size_t s = static_cast<size_t>(id);
      if (walk_stamp[s] == walk_generation && walk_colour[s] == 2) {
        value[s] = walk_value[s];
        height[s] = walk_height[s];
      } else if (!memo_walk(id, upwards, value[s], height[s])) {
        return false;
      }
    }
    return true;
  };
  bool acyclic = sweep(true, up, up_h) && sweep(false, down, down_h);
  for (long id = 0; id < n; ++id) {
    Bddexpression* e = slot(id);
    if (e == nullptr) continue;
    size_t s = static_cast<size_t>(id);
    long early, late;
    if (acyclic && 1 + up_h[s] < n)
      early = 1 + up[s];
    else
      early = up_critical_path(id, 1, 1);
    e->earliest_date = early;
    if (readers(id).empty())
      late = 0;
    else if (acyclic && (down_h[s] == 0 || down_h[s] < n))
      late = down[s];
    else
      late = down_critical_path(id, 1, 0);
    e->setLateDate(late);
    // The level count covers every date given here.
    nb_level = std::max(nb_level, std::max(early, e->getLateDate()) + 1);
  }
}

void Bddexpressionwood::suppress_wires() {
  std::list<int> none;
  suppress_wires(none);
}

void Bddexpressionwood::suppress_locals(std::list<int>& keep) {
  settle();
  for (long id = 0; id < nb_var_bdd; ++id) {
    Bddexpression* e = slot(id);
    if (e == nullptr || in_keep(keep, e->usertype) || readers(id).empty() || e->vars_dependance.empty()) continue;
    // Abstract equations have no right side to substitute; a loop of length one is kept.
    if (!rewritable(e) || reader_is_abstract(id) || e->vars_dependance.count(id) != 0) continue;
    std::set<long> deps = e->vars_dependance;
    std::set<long> rs = readers(id);
    substitute(*this, id, *e, rs, deps);
    for (long d : deps) {
      if (!valid_id(d)) continue;
      reader_set(d).insert(rs.begin(), rs.end());
      reader_set(d).erase(id);
    }
    destroy_equation(id);
    reader_set(id).clear();
    ens_exp.erase(id);
  }
  constants_propagation(keep);
  clean_reader_table();
}

void Bddexpressionwood::suppress_locals() {
  std::list<int> none;
  suppress_locals(none);
}

// ----- reduction and quantification -----

// kind 0: Bdd_reduce by c, 1: exist over c, 2: forall over c.
void Bddexpressionwood::reduce_all(int kind, const bdd& c) {
  settle();
  if (!bdd_initialised(c) || c.manager_ref() != man) return;
  for (long id : ens_exp) {
    Bddexpression* e = slot(id);
    if (e == nullptr || !bdd_initialised(e->bdd_exp)) continue;
    std::set<long> before = e->set_of_index_used_variables();
    if (kind == 0)
      e->bdd_exp = man->Bdd_reduce(e->bdd_exp, c);
    else if (kind == 1)
      e->bdd_exp = man->Bdd_exist(e->bdd_exp, c);
    else
      e->bdd_exp = man->Bdd_forall(e->bdd_exp, c);
    e->build_normal_dependances();
    std::set<long> after = e->set_of_index_used_variables();
    if (before == after) continue;
    for (long v : priv(after, before))
      if (valid_id(v)) reader_set(v).insert(id);
    for (long v : priv(before, after))
      if (valid_id(v)) reader_set(v).erase(id);
  }
}

void Bddexpressionwood::reduce_expressions(bdd c, std::list<int>& keep) {
  reduce_all(0, c);
  constants_propagation(keep);
}

void Bddexpressionwood::reduce_expressions(bdd c) {
  std::list<int> none;
  reduce_expressions(c, none);
}

void Bddexpressionwood::reduce_expressions_when_var_forgotten_by_exist_op(long index) {
  if (index >= 0 && index < man->Nb_bdd_vars()) reduce_all(1, man->Bdd_var_by_index(index));
  constants_propagation();
}

void Bddexpressionwood::reduce_expressions_when_var_forgotten_by_forall_op(long index) {
  if (index >= 0 && index < man->Nb_bdd_vars()) reduce_all(2, man->Bdd_var_by_index(index));
  constants_propagation();
}

// ----- loop breaking -----

namespace {

// The variable that most equations of the loop read and no equation defines, outside
// ineligible; -1 when there is none.
long choose_cut(Bddexpressionwood& w, const std::list<long>& loop, const std::set<long>& ineligible) {
  std::vector<long> count(static_cast<size_t>(w.Nb_bdd_vars()), 0);
  for (long id : loop)
    if (Bddexpression* e = w.slot(id))
      for (long d : e->vars_dependance)
        if (w.valid_id(d)) ++count[static_cast<size_t>(d)];
  long cut = -1, best = 0;
  for (long id = 0; id < w.Nb_bdd_vars(); ++id) {
    if (ineligible.count(id) != 0) continue;
    Bddexpression* e = w.slot(id);
    if (e != nullptr && !e->vars_dependance.empty()) continue;
    if (count[static_cast<size_t>(id)] > best) {
      best = count[static_cast<size_t>(id)];
      cut = id;
    }
  }
  return cut;
}

// An expanded equation's index and those of its then and else copies (negative: none).
struct pair_ids {
  long expanded, positive, negative;
};

// Each copy reads the copies of the expanded variables on its side instead of them.
void rename_in_copies(Bddexpressionwood& w, const std::vector<pair_ids>& pairs) {
  long vars = w.man->Nb_bdd_vars();
  std::vector<long> positive(static_cast<size_t>(vars)), negative(static_cast<size_t>(vars));
  for (long i = 0; i < vars; ++i) positive[static_cast<size_t>(i)] = negative[static_cast<size_t>(i)] = i;
  for (const pair_ids& p : pairs) {
    if (p.positive >= 0) positive[static_cast<size_t>(p.expanded)] = p.positive;
    if (p.negative >= 0) negative[static_cast<size_t>(p.expanded)] = p.negative;
  }
  for (const pair_ids& p : pairs) {
    for (int side = 0; side < 2; ++side) {
      long c = side == 0 ? p.positive : p.negative;
      Bddexpression* copy = w.slot(c);
      if (copy == nullptr || !bdd_initialised(copy->bdd_exp)) continue;
      long* table = side == 0 ? positive.data() : negative.data();
      copy->setBddExp(w.man->Bdd_replace_vars(copy->bdd_exp, table), 0, 0);
    }
  }
}

}  // namespace

std::set<long> Bddexpressionwood::loop_breaking(std::set<long> eligible, int& ok) {
  settle();
  acyclic = false;
  std::set<long> ineligible;
  for (long id = 0; id < nb_var_bdd; ++id)
    if (eligible.count(id) == 0) ineligible.insert(id);
  // Dates only rise during a computation: start each detection from cleared dates.
  auto detect = [this]() {
    for (long id = 0; id < nb_var_bdd; ++id) {
      latest(id) = 0;
      if (Bddexpression* e = slot(id)) e->earliest_date = 0;
    }
    nb_level = 0;
    return loop_detection();
  };
  std::list<long> loop = detect();
  ok = 1;
  std::set<long> created;
  while (!loop.empty() && ok == 1) {
    long cut = choose_cut(*this, loop, ineligible);
    if (cut < 0) {
      ok = 0;
      break;
    }
    ineligible.insert(cut);
    // Expansion: each equation v := f becomes ite(x, v_x, v_notx), the copies defined by the
    // cofactors of f.
    std::vector<pair_ids> pairs;
    bdd x = man->Bdd_var_by_id(cut);
    for (long id : loop) {
      Bddexpression* e = slot(id);
      if (e == nullptr || !rewritable(e)) continue;
      bdd f = e->bdd_exp;
      long t = -3, el = -3;
      e->Shannon_expand(cut, t, el);
      // The then copy before the else copy: node ids follow that order.
      if (t >= 0)
        enter(man->Name_var_by_index(t), this, man->Bdd_var_by_index(t), man->Bdd_reduce(f, x), 0, 0);
      if (el >= 0)
        enter(man->Name_var_by_index(el), this, man->Bdd_var_by_index(el), man->Bdd_reduce(f, man->Bdd_not(x)), 0, 0);
      for (long c : {t, el})
        if (c >= 0) {
          ineligible.insert(c);
          created.insert(c);
        }
      pairs.push_back(pair_ids{id, t, el});
    }
    rename_in_copies(*this, pairs);
    loop = detect();
  }
  return created;
}

// ----- tautology check -----

int Bddexpressionwood::global_tautology() {
  settle();
  constants_propagation();
  for (long id : ens_exp) {
    Bddexpression* e = slot(id);
    if (e == nullptr) continue;
    if (!bdd_initialised(e->bdd_exp) || man->Bdd_is_tautology(e->bdd_exp) == 0) return 0;
  }
  return 1;
}

// ----- abstract text -----

namespace {

// A line per renumbered variable: its index, the kept variables it reads and those that read
// it, each with its critical path, then its text: module.jxc and the index when a module is
// named, else the equation's definition when it has one.
void put_jxa_lines(Bddexpressionwood& w, std::ostream& os, long* renumber, std::set<long>& kept,
                   const std::string* module) {
  w.settle();
  for (long id = 0; id < w.Nb_bdd_vars(); ++id) {
    if (renumber[id] < 0) continue;
    std::set<long> none;
    std::set<long> up = set_reencoding(set_inter(w.up_dependances(id, 1, none), kept), renumber);
    std::set<long> down = set_reencoding(set_inter(w.down_dependances(id, 1, none), kept), renumber);
    long early = w.up_critical_path(id, 1, 1);
    long late = w.down_critical_path(id, 1, 0);
    os << renumber[id] << " : " << up << ":" << early << ", " << down << ":" << late;
    Bddexpression* e = module == nullptr ? w.slot(id) : nullptr;
    if (module != nullptr) os << "[\"" << *module << ".jxc:" << renumber[id] << "\"]";
    if (e != nullptr && !e->exp_def.empty()) os << "[\"" << e->exp_def << "\"]";
    os << ";" << std::endl;
  }
}

}  // namespace

void Bddexpressionwood::Put_jxa(std::ostream& os, long* renumber, std::set<long>& kept, int) {
  put_jxa_lines(*this, os, renumber, kept, nullptr);
}

void Bddexpressionwood::Put_jxa(std::ostream& os, long* renumber, std::set<long>& kept, int,
                                const std::string& module) {
  put_jxa_lines(*this, os, renumber, kept, &module);
}
