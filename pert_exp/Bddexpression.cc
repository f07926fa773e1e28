// One equation: construction, copies, accessors and the changes of its right side.
#include "Bddexpression.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <unordered_set>

namespace {

// Index of b in m without the manager's error text for handles it does not own.
long quiet_index(bddpp_manager* m, const bdd& b) {
  if (m == nullptr || !bdd_initialised(b) || b.manager_ref() != m) return -3;
  return m->Bdd_if_index(b);
}

// b copied into `to`; an uninitialised handle stays uninitialised.
bdd translate(bddpp_manager* to, const bdd& b) {
  if (!bdd_initialised(b) || to == nullptr) return bdd();
  if (b.manager_ref() == to) return b;
  return Bdd_isomorphe(to, b.manager_ref(), b);
}

}  // namespace

bool Bddexpression::has_manager() const { return pw != nullptr && pw->man != nullptr; }

bddpp_manager* Bddexpression::my_bdd_manager() const { return pw != nullptr ? pw->man : nullptr; }

long Bddexpression::my_index_var() const { return quiet_index(my_bdd_manager(), bdd_var); }

// ----- construction -----

Bddexpression::Bddexpression()
    : pw(nullptr), abstraction(1), w(1), earliest_date(0), usertype(0) {}

Bddexpression::Bddexpression(Bddexpressionwood* wood)
    : pw(wood), abstraction(1), w(1), earliest_date(0), usertype(0) {}

Bddexpression::Bddexpression(const std::string& n, Bddexpressionwood* wood, bdd var, bdd exp, long early, long late)
    : Bddexpression(n, wood, var, exp, std::string(), early, late, 0) {}

Bddexpression::Bddexpression(const std::string& n, Bddexpressionwood* wood, bdd var, bdd exp, long early, long late,
                             int type)
    : Bddexpression(n, wood, var, exp, std::string(), early, late, type) {}

Bddexpression::Bddexpression(const std::string& n, Bddexpressionwood* wood, bdd var, bdd exp,
                             const std::string& def, long early, long late, int type)
    : pw(wood), name(n), abstraction(1), exp_def(def), w(1), earliest_date(early), usertype(type) {
  if (!has_manager()) return;
  abstraction = def.empty() ? 0 : 1;
  bdd_var = var;
  bdd_exp = exp;
  build_normal_dependances();
  pw->learn_expression(this);
  setLateDate(late);
}

Bddexpression::Bddexpression(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late)
    : pw(wood), abstraction(1), w(1), earliest_date(early), usertype(0) {
  if (!has_manager()) return;
  bddpp_manager* m = pw->man;
  if (bdd_initialised(var) && var.manager_ref() == m) name = m->Name_var_by_bdd(var);
  abstraction = 0;
  bdd_var = var;
  bdd_exp = exp;
  build_normal_dependances();
  pw->learn_expression(this);
  setLateDate(late);
}

Bddexpression::Bddexpression(long id, Bddexpressionwood* wood, std::set<long>* readers, std::set<long>* deps,
                             long early, long late)
    : Bddexpression(id, wood, readers, deps, std::string(), early, late) {}

Bddexpression::Bddexpression(long id, Bddexpressionwood* wood, std::set<long>* readers, std::set<long>* deps,
                             const std::string& def, long early, long late)
    : pw(wood), abstraction(1), exp_def(def), w(1), earliest_date(early), usertype(0) {
  if (deps != nullptr) vars_dependance = *deps;
  if (!has_manager()) return;
  bddpp_manager* m = pw->man;
  if (id >= 0 && id < m->Nb_bdd_vars()) {
    bdd_var = m->Bdd_var_by_id(id);
    name = m->Name_var_by_bdd(bdd_var);
  }
  pw->learn_abstract_expression(this, readers);
  setLateDate(late);
}

Bddexpression::Bddexpression(long id, Bddexpressionwood* wood, std::set<long>& deps, const std::string& def,
                             long early, long late)
    : Bddexpression(id, wood, nullptr, &deps, def, early, late) {}

Bddexpression::Bddexpression(Bddexpressionwood* from, Bddexpressionwood* to, Bddexpression& e)
    : pw(to),
      name(e.name),
      abstraction(1),
      exp_def(e.exp_def),
      w(e.w),
      vars_dependance(e.vars_dependance),
      earliest_date(e.earliest_date),
      usertype(e.usertype) {
  (void)from;  // the handles name their own manager
  if (!has_manager()) return;
  abstraction = e.abstraction;
  bdd_var = translate(to->man, e.bdd_var);
  copy_right_side(to->man, e);
  to->update_bdd_vars();
  to->learn_expression(this);
}

Bddexpression::Bddexpression(Bddexpressionwood* to, Bddexpression& e)
    : pw(to),
      name(e.name),
      abstraction(1),
      exp_def(e.exp_def),
      w(e.w),
      vars_dependance(e.vars_dependance),
      earliest_date(e.earliest_date),
      usertype(e.usertype) {
  if (!has_manager()) return;
  abstraction = e.abstraction;
  bdd_var = translate(to->man, e.bdd_var);
  copy_right_side(to->man, e);
  // Read after the copy, which may have folded e.
  const Bddexpression* further = e.copied_from();
  origin_ = further != nullptr ? further : &e;
  origin_stamp_ = further != nullptr ? e.origin_stamp_ : e.stamp();
  copy_stamp_ = bdd_exp.stamp_;
}

void Bddexpression::materialize() const {
  const RightSide& r = bdd_exp;
  if (!r.foreign_) return;
  r.foreign_ = false;
  bddpp_manager* to = my_bdd_manager();
  bool deps_of_base = dependences_of == r.base_;
  r.base_ = translate(to, r.base_);
  for (bdd& t : r.pending_) t = translate(to, t);
  if (deps_of_base) const_cast<Bddexpression*>(this)->dependences_of = r.base_;
}

const Bddexpression* Bddexpression::copied_from() const {
  return origin_ != nullptr && bdd_exp.stamp_ == copy_stamp_ ? origin_ : nullptr;
}

bool Bddexpression::void_when_unchanged(int kind) const {
  if (!defer_appends || abstraction != 0 || !has_manager()) return false;
  bddpp_manager* m = pw->man;
  const RightSide& r = bdd_exp;
  if (m->Renamed() || !bdd_owned_by(r.base_, m)) return false;
  if (!r.pending_.empty()) {
    // The merge appends the copy's terms, all known here, unless operators differ (a fold).
    return kind != replace_op && r.pending_kind_ == kind && dependences_current();
  }
  // An absorbing right side takes the merge's other path.
  bool one = m->Bdd_is_tautology(r.base_, 1) != 0;
  bool zero = m->Bdd_is_tautology(r.base_, 0) != 0;
  return !((kind != and_op && one) || (kind != or_op && zero));
}

bool Bddexpression::merge_back_is_void(int kind) {
  return merged_stamp_ == bdd_exp.stamp_ && void_when_unchanged(kind) && pw->known_acyclic();
}

void Bddexpression::note_merged_back(uint64_t stamp_before, int kind) {
  if (bdd_exp.stamp_ != stamp_before || !void_when_unchanged(kind)) return;
  merged_stamp_ = stamp_before;
  long k = my_index_var();
  if (pw->slot(k) == this) pw->unmerged_.erase(k);
}

void Bddexpression::note_absorbed(uint64_t origin, uint64_t stamp_before, int kind) {
  if (bdd_exp.stamp_ != stamp_before || !void_when_unchanged(kind)) return;
  absorbed_origin_ = origin;
  absorbed_at_ = stamp_before;
  absorbed_kind_ = kind;
}

bool Bddexpression::absorbs(uint64_t origin, int kind) {
  return absorbed_at_ == bdd_exp.stamp_ && absorbed_origin_ == origin && absorbed_kind_ == kind &&
         void_when_unchanged(kind) && pw->known_acyclic();
}

uint64_t Bddexpressionwood::capture() {
  // Equations past the last copy's size were not recorded: all are still to be merged back.
  if (nb_var_bdd > captured_size_) {
    unmerged_.insert(ens_exp.lower_bound(captured_size_), ens_exp.end());
    captured_size_ = nb_var_bdd;
  }
  last_capture_ = Bddexpression::RightSide::next_stamp();
  return last_capture_;
}

void Bddexpressionwood::note_change(long k, bool record) {
  touch();
  if (k >= captured_size_) return;
  if (record) changes_.emplace_back(Bddexpression::RightSide::next_stamp(), k);
  unmerged_.insert(k);
}

std::vector<long> Bddexpressionwood::changed_since(uint64_t since) const {
  std::vector<long> ids;
  for (auto it = changes_.rbegin(); it != changes_.rend() && it->first > since; ++it) ids.push_back(it->second);
  return ids;
}

// The right side of e translated into `to`, pending terms included. Exact dependences are
// kept as they are (a translation keeps the variable ids), otherwise recomputed; a superset
// stays one, registered in this equation's wood.
void Bddexpression::copy_right_side(bddpp_manager* to, const Bddexpression& e) {
  if (abstraction != 0) {
    internal_build_dependances();
    return;
  }
  const RightSide& r = e.bdd_exp;
  bool current = e.dependences_current();
  bool superset = e.unsettled_dependences();
  if (!current && !superset) {
    bdd_exp = translate(to, e.bdd_exp.get());
    internal_build_dependances();
    return;
  }
  // A fork's copy keeps the handles as they are (the original's, or those it still holds):
  // see materialize. Any other copy translates them now.
  bdd_exp = r.base_;
  bdd_exp.pending_ = r.pending_;
  bdd_exp.foreign_ = bdd_initialised(r.base_) && r.base_.manager_ref() != to;
  if (pw == nullptr || !pw->fork_copy) materialize();
  bdd_exp.depth_ = r.depth_;
  bdd_exp.pending_kind_ = r.pending_kind_;
  dependences_of = bdd_exp.base_;  // vars_dependance is e's, copied with the other fields
  dependences_size = vars_dependance.size();
  dependences_superset = superset;
  if (superset && pw != nullptr) pw->unsettled.push_back(my_index_var());
}

void Bddexpression::copy_fields(const Bddexpression& e) {
  e.bdd_exp.get();  // exact dependences to copy
  pw = e.pw;
  name = e.name;
  abstraction = e.abstraction;
  exp_def = e.exp_def;
  w = e.w;
  vars_dependance = e.vars_dependance;
  earliest_date = e.earliest_date;
  usertype = e.usertype;
  if (has_manager()) {
    bdd_var = e.bdd_var;
    bdd_exp = abstraction == 0 ? e.bdd_exp.get() : bdd();
  } else {
    abstraction = 1;
    bdd_var = bdd();
    bdd_exp = bdd();
  }
}

Bddexpression::Bddexpression(const Bddexpression& e) : pw(nullptr), abstraction(1), w(1), earliest_date(0), usertype(0) {
  copy_fields(e);
  if (has_manager()) internal_build_dependances();
}

Bddexpression::Bddexpression(Bddexpression& e) : Bddexpression(static_cast<const Bddexpression&>(e)) {}

Bddexpression& Bddexpression::operator=(const Bddexpression& e) {
  if (this == &e) return *this;
  copy_fields(e);
  if (!has_manager()) abstraction = e.abstraction;
  return *this;
}

Bddexpression& Bddexpression::operator=(Bddexpression& e) { return *this = static_cast<const Bddexpression&>(e); }

Bddexpression::~Bddexpression() = default;

// ----- accessors -----

std::string Bddexpression::my_bddname() const {
  bddpp_manager* m = my_bdd_manager();
  if (m == nullptr || !bdd_initialised(bdd_var) || bdd_var.manager_ref() != m) return "";
  return m->Name_var_by_bdd(bdd_var);
}

long Bddexpression::getLateDate() const {
  if (pw == nullptr) return 0;
  long k = quiet_index(pw->man, bdd_var);
  return pw->valid_id(k) ? pw->latest(k) : 0;
}

void Bddexpression::setLateDate(long d) {
  if (pw == nullptr) {
    std::cerr << "internal error in Bddexpression::setLateDate(): no wood found!" << std::endl;
    return;
  }
  long k = quiet_index(pw->man, bdd_var);
  if (pw->valid_id(k)) pw->latest(k) = d;
}

void Bddexpression::setExpDef(const std::string& def) {
  exp_def = def;
  if (!def.empty()) abstraction = 1;
}

void Bddexpression::setBddexpressionwood(Bddexpressionwood* wood) {
  pw = wood;
  if (wood != nullptr) wood->learn_expression(this);
}

void Bddexpression::add_specific_var_dependance(long id) {
  vars_dependance.insert(id);
  if (pw != nullptr) pw->acyclic = false;  // the reader table does not follow
}

std::set<long> Bddexpression::set_of_index_used_variables() const {
  std::set<long> r = set_of_var_dependances();
  if (has_manager()) {
    long k = my_index_var();
    if (k >= 0) r.insert(k);
  }
  return r;
}

void Bddexpression::internal_build_dependances() {
  if (has_manager()) internal_build_dependances(pw->man);
}

void Bddexpression::internal_build_dependances(bddpp_manager* m) {
  if (abstraction != 0 || m == nullptr) return;
  const bdd& f = bdd_exp.get();
  dependences_superset = false;
  if (!bdd_initialised(f) || f.manager_ref() != m) {
    vars_dependance.clear();
    dependences_of = bdd();
    return;
  }
  // Folding seldom shrinks the support: a set that already holds it is kept.
  const std::vector<int32_t>* support = m->support_vars(f);
  if (support == nullptr || !vars_dependance.equals(support->begin(), support->size()))
    vars_dependance = m->set_of_index_depend_on(f);
  dependences_of = f;
  dependences_size = vars_dependance.size();
}

bool Bddexpression::dependences_copied() const {
  return !has_manager() || abstraction != 0 || dependences_current() || unsettled_dependences();
}

bool Bddexpression::dependences_current() const {
  const bdd& f = bdd_exp.base_;
  return abstraction == 0 && !dependences_superset && bdd_initialised(f) && bdd_initialised(dependences_of) &&
         dependences_of.node() == f.node() && dependences_of.link_type() == f.link_type() &&
         dependences_of.manager_ref() == f.manager_ref() && vars_dependance.size() == dependences_size;
}

void Bddexpression::build_normal_dependances() {
  if (pw != nullptr && pw->man != nullptr) pw->update_bdd_vars();
  internal_build_dependances();
}

// ----- right side -----

void Bddexpression::setBddVar(bddpp_manager*, bdd var) {
  if (pw != nullptr) {
    std::cerr << "In Bddexpression::setBddVar(bddpp_manager *, bdd): " << std::endl;
    std::cerr << "   wood already defined! Aborted  ..." << std::endl;
    return;
  }
  bdd_var = var;
}

void Bddexpression::setBddExp(bddpp_manager* m, bdd f) {
  if (pw != nullptr) {
    std::cerr << "In Bddexpression::setBddExp(bddpp_manager *, bdd): " << std::endl;
    std::cerr << "   wood already defined! Aborted  ..." << std::endl;
    std::cerr << "   use only Bddexpression::setBddExp(bdd) !!!" << std::endl;
    return;
  }
  bdd_exp = f;
  abstraction = 0;
  internal_build_dependances(m);
}

// ----- pending terms -----

bool Bddexpression::defer_appends = true;

uint64_t Bddexpression::RightSide::next_stamp() {
  static std::atomic<uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

void Bddexpression::restamp() {
  bdd_exp.stamp_ = RightSide::next_stamp();
  if (pw == nullptr || pw->man == nullptr || pw->captured_size_ == 0) return;
  long k = my_index_var();
  if (pw->slot(k) != this) return;
  // Recorded once after each capture.
  bool first = logged_stamp_ <= pw->last_capture_;
  if (first) logged_stamp_ = bdd_exp.stamp_;
  pw->note_change(k, first);
}

Bddexpression::RightSide& Bddexpression::RightSide::operator=(const bdd& f) {
  owner_->restamp();
  foreign_ = false;
  base_ = f;
  pending_.clear();
  depth_.clear();
  pending_kind_ = replace_op;
  owner_->dependences_superset = false;
  return *this;
}

const bdd& Bddexpression::RightSide::get() const {
  if (!pending_.empty() || owner_->dependences_superset)
    owner_->fold_pending();  // translates what it does not fold
  else if (foreign_)
    owner_->materialize();
  return base_;
}

// The term whose deepest variable is deepest first (the newest first among equals), the
// folded part last: a term's own variables then lie above the fold's, but for the ones it
// shares (a condition near the top of the order), and an or of one variable above the fold
// makes one node. Ordering by top variable instead would fold a term guarded by an early
// condition through every later term.
void Bddexpression::fold_pending() {
  RightSide& r = bdd_exp;
  // Terms and a base still the original's are read where they lie by the fold.
  bool read_there = r.foreign_ && !r.pending_.empty();
  if (read_there)
    r.foreign_ = false;
  else
    materialize();
  if (!r.pending_.empty() || dependences_superset) restamp();
  if (!r.pending_.empty()) {
    bddpp_manager* m = read_there ? my_bdd_manager() : r.pending_.front().manager_ref();
    std::vector<size_t> order;
    for (size_t i = r.pending_.size(); i-- > 0;) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&r](size_t a, size_t b) { return r.depth_[a] > r.depth_[b]; });
    bdd fold = translate(m, r.pending_[order.front()]);
    auto with = [&](const bdd& f) {
      bddpp_manager* there = f.manager_ref() != m ? f.manager_ref() : nullptr;
      if (r.pending_kind_ == or_op)
        fold = there != nullptr ? m->Bdd_or_from(there, f, fold) : m->Bdd_or(f, fold);
      else
        fold = there != nullptr ? m->Bdd_and_from(there, f, fold) : m->Bdd_and(f, fold);
    };
    for (size_t i = 1; i < order.size(); ++i) with(r.pending_[order[i]]);
    if (bdd_initialised(r.base_)) with(r.base_);
    r.base_ = fold;
    r.pending_.clear();
    r.depth_.clear();
    r.pending_kind_ = replace_op;
    if (!dependences_superset) {
      dependences_of = r.base_;
      dependences_size = vars_dependance.size();
      return;
    }
  }
  if (!dependences_superset) return;
  dependences_superset = false;
  // The superset, shared rather than copied: a support that kept every variable keeps the set.
  shared_ids before = vars_dependance;
  if (has_manager() && abstraction == 0)
    internal_build_dependances();
  else
    vars_dependance.clear();
  long k = my_index_var();
  if (before.same_as(vars_dependance)) return;  // the same set: no reader to drop
  if (pw == nullptr || !pw->valid_id(k) || pw->slot(k) != this) return;
  for (long d : before)
    if (vars_dependance.count(d) == 0 && pw->valid_id(d)) pw->reader_set(d).erase(k);
}

bool Bddexpression::defer_terms(int kind, const std::vector<bdd>& terms) {
  if (!has_manager() || abstraction != 0) return false;
  bddpp_manager* m = pw->man;
  RightSide& r = bdd_exp;
  // A base still the original's stays there (see materialize): the terms are this manager's.
  if (!bdd_owned_by(r.base_, r.foreign_ ? r.base_.manager_ref() : m)) return false;
  int absorbing = kind == or_op ? 1 : 0;
  for (const bdd& g : terms)
    if (!bdd_owned_by(g, m) || m->Bdd_is_tautology(g, absorbing) != 0) return false;
  if (!r.pending_.empty() && r.pending_kind_ != kind) fold_pending();
  if (r.pending_.empty() && r.base_.manager_ref()->Bdd_is_tautology(r.base_, absorbing) != 0) return false;
  // Operands of pairwise disjoint supports, none of them absorbing: the support of the fold
  // is the union of theirs. Neutral terms change nothing.
  bool exact = dependences_current();
  std::set<long> added;
  for (const bdd& g : terms) {
    if (m->Bdd_is_tautology(g, 1 - absorbing) != 0) continue;
    std::set<long> support = m->set_of_index_depend_on(g);
    for (long d : support) {
      if (vars_dependance.count(d) != 0 || added.count(d) != 0)
        exact = false;
      else
        added.insert(d);
    }
    r.pending_.push_back(g);
    r.depth_.push_back(support.empty() ? -1 : *support.rbegin());
    r.pending_kind_ = kind;
    restamp();
  }
  pw->update_bdd_vars();
  vars_dependance.insert(added.begin(), added.end());
  if (exact) {
    dependences_size = vars_dependance.size();
  } else if (!dependences_superset && !r.pending_.empty()) {
    dependences_superset = true;
    restamp();
    pw->unsettled.push_back(my_index_var());
  }
  long k = my_index_var();
  if (pw->valid_id(k)) walk_after_change(k, true, added);
  return true;
}

void Bddexpressionwood::settle() {
  std::vector<long> ids;
  ids.swap(unsettled);
  for (long id : ids)
    if (Bddexpression* e = slot(id)) e->bdd_exp.get();
}

// Kahn's algorithm over the equations and the dependences that have one.
bool Bddexpressionwood::known_acyclic() {
  if (acyclic) return true;
  std::vector<long> pending_deps(static_cast<size_t>(nb_var_bdd), 0);
  std::vector<std::vector<long>> read_by(static_cast<size_t>(nb_var_bdd));
  std::vector<long> ready;
  long left = 0;
  for (long id : ens_exp) {
    const Bddexpression* e = peek(id);
    if (e == nullptr) continue;
    ++left;
    for (long d : e->vars_dependance) {
      if (peek(d) == nullptr) continue;
      ++pending_deps[static_cast<size_t>(id)];
      read_by[static_cast<size_t>(d)].push_back(id);
    }
    if (pending_deps[static_cast<size_t>(id)] == 0) ready.push_back(id);
  }
  while (!ready.empty()) {
    long d = ready.back();
    ready.pop_back();
    --left;
    for (long r : read_by[static_cast<size_t>(d)])
      if (--pending_deps[static_cast<size_t>(r)] == 0) ready.push_back(r);
  }
  acyclic = left == 0;
  return acyclic;
}

// A new cycle goes through an added edge: some d of `added` depends, transitively, on k.
// Searched from both ends at once (up from added over the dependences, down from k over
// the readers), so that the smaller side bounds the cost; the searches meet on a path.
void Bddexpressionwood::note_dependences(long k, const std::set<long>& added) {
  if (!acyclic) return;
  std::unordered_set<long> up_seen, down_seen{k};
  std::vector<long> up, down{k};
  for (long d : added) {
    if (peek(d) == nullptr) continue;
    if (d == k) {
      acyclic = false;
      return;
    }
    if (up_seen.insert(d).second) up.push_back(d);
  }
  while (!up.empty() && !down.empty()) {
    long x = up.back();
    up.pop_back();
    for (long d : peek(x)->vars_dependance) {
      if (peek(d) == nullptr || !up_seen.insert(d).second) continue;
      if (down_seen.count(d) != 0) {
        acyclic = false;
        return;
      }
      up.push_back(d);
    }
    long y = down.back();
    down.pop_back();
    for (long r : readers(y)) {
      if (peek(r) == nullptr || !down_seen.insert(r).second) continue;
      if (up_seen.count(r) != 0) {
        acyclic = false;
        return;
      }
      down.push_back(r);
    }
  }
}

namespace {

// The pending terms of an equation, and those added to them, as a set. A copy's list begins
// with the terms it inherited, in the same places: those are found where they stand. Others
// are looked for in the whole list, indexed once many were.
class known_terms {
 public:
  explicit known_terms(const std::vector<bdd>& pending) : pending_(pending) {}
  // false when t, the i-th term of the copy's list, is known already; t is known after.
  bool add(size_t i, const bdd& t) {
    key k{t.node(), t.link_type()};
    if (i < pending_.size() && key_of(pending_[i]) == k) return false;
    if (!indexed_ && ++linear_looks_ > kLinearLooks) {
      for (const bdd& p : pending_) index_.insert(key_of(p));
      index_.insert(added_.begin(), added_.end());
      indexed_ = true;
    }
    if (indexed_) return index_.insert(k).second;
    for (const bdd& p : pending_)
      if (key_of(p) == k) return false;
    if (std::find(added_.begin(), added_.end(), k) != added_.end()) return false;
    added_.push_back(k);
    return true;
  }

 private:
  using key = std::pair<bdd_node*, int>;
  static key key_of(const bdd& b) { return {b.node(), b.link_type()}; }
  // Looks through the lists before they are indexed: a merge mostly brings one or two terms.
  static constexpr int kLinearLooks = 16;
  const std::vector<bdd>& pending_;
  std::vector<key> added_;
  std::set<key> index_;  // pending_ and added_, once indexed_
  bool indexed_ = false;
  int linear_looks_ = 0;
};

}  // namespace

void Bddexpression::merge_right_side(int kind, Bddexpression& e) {
  const char* op = kind == or_op ? "append_or_exp" : "append_and_exp";
  bddpp_manager* from = e.my_bdd_manager();
  if (!has_manager() || from == nullptr) {
    change_right_side(op, kind, bdd());
    return;
  }
  materialize();
  bddpp_manager* m = pw->man;
  const RightSide& there = e.bdd_exp;
  const RightSide& here = bdd_exp;
  // A copy's right side not yet read is still the original's: translated back from there.
  if (there.foreign_) from = there.base_.manager_ref();
  bool same_kinds = (there.pending_.empty() || there.pending_kind_ == kind) &&
                    (here.pending_.empty() || here.pending_kind_ == kind);
  bdd base = there.base_;  // and its translation here, when compared
  bdd base_here;
  if (defer_appends && same_kinds && abstraction == 0 && e.abstraction == 0 && bdd_owned_by(here.base_, m) &&
      bdd_owned_by(base, from) && (base_here = Bdd_isomorphe_by_name(m, from, base)) == here.base_) {
    known_terms known(here.pending_);
    std::vector<bdd> terms;
    for (size_t i = 0; i < there.pending_.size(); ++i) {
      const bdd& t = there.pending_[i];
      bdd copied = Bdd_isomorphe_by_name(m, t.manager_ref(), t);
      if (known.add(i, copied)) terms.push_back(copied);
    }
    if (defer_terms(kind, terms)) return;
  }
  const bdd& f = e.bdd_exp.get();
  // A right side that is the base just translated asks for the same nodes again, which exist
  // now: the translation is not made twice (nodes are never freed during a compile).
  bool translated = bdd_initialised(base_here) && f.node() == base.node() && f.link_type() == base.link_type() &&
                    f.manager_ref() == base.manager_ref();
  bddpp_manager* f_man = f.manager_ref() != nullptr ? f.manager_ref() : from;
  change_right_side(op, kind, translated ? base_here : Bdd_isomorphe_by_name(m, f_man, f));
}

// kind: replace_op, or_op or and_op. Keeps the wood's reader table exact, touching only the
// readers of the variables that the right side gains or loses (an or-merge into a long
// equation changes one or two of them).
void Bddexpression::change_right_side(const char* op, int kind, const bdd& g) {
  if (!has_manager()) {
    std::cerr << "In Bddexpression::" << op << "(): " << std::endl;
    std::cerr << "   no wood defined! Aborted  ..." << std::endl;
    return;
  }
  if (kind != replace_op && defer_appends && defer_terms(kind, {g})) return;
  fold_pending();
  Bddexpressionwood* wood = pw;
  bddpp_manager* m = wood->man;
  long k = my_index_var();
  bool keyed = wood->valid_id(k);
  // An or (and) of two right sides of disjoint supports, neither of them one (zero), depends
  // on every variable of both: the support of g, found by a walk of g alone, is added.
  bool merged = kind != replace_op && dependences_current() && bdd_initialised(g) && g.manager_ref() == m;
  std::set<long> added;
  if (merged) {
    int absorbing = kind == or_op ? 1 : 0;
    merged = m->Bdd_is_tautology(bdd_exp, absorbing) == 0 && m->Bdd_is_tautology(g, absorbing) == 0;
    if (merged) added = m->set_of_index_depend_on(g);
    for (auto it = added.begin(); merged && it != added.end(); ++it) merged = vars_dependance.count(*it) == 0;
  }
  std::set<long> before;
  if (keyed && !merged) before = vars_dependance.release();
  if (kind == replace_op) {
    bdd_exp = g;
  } else if (!bdd_initialised(bdd_exp.get())) {
    bdd_exp = g;
  } else {
    bdd_exp = kind == or_op ? m->Bdd_or(bdd_exp, g) : m->Bdd_and(bdd_exp, g);
  }
  abstraction = 0;
  if (merged) {
    if (pw->man != nullptr) pw->update_bdd_vars();
    vars_dependance.insert(added.begin(), added.end());
    dependences_of = bdd_exp.get();
    dependences_size = vars_dependance.size();
  } else {
    build_normal_dependances();
  }
  if (!keyed) return;
  // Old ids are checked against the wood as it was; the right side may have grown it.
  auto lost = before.begin();
  auto gained = merged ? vars_dependance.end() : vars_dependance.begin();
  while (lost != before.end() || gained != vars_dependance.end()) {
    if (gained == vars_dependance.end() || (lost != before.end() && *lost < *gained)) {
      if (wood->valid_id(*lost)) wood->reader_set(*lost).erase(k);
      ++lost;
    } else if (lost == before.end() || *gained < *lost) {
      ++gained;
    } else {
      ++lost;
      ++gained;
    }
  }
  walk_after_change(k, merged, added);
}

// While some dependences of the wood are supersets, the memoised walks run first: when they
// find neither a cycle nor a chain over the bound, the exact graph (a subgraph) has none
// either and the walks would have no effect. Otherwise the wood is settled and they run.
void Bddexpression::walk_after_change(long k, bool merged, const std::set<long>& added) {
  Bddexpressionwood* wood = pw;
  wood->note_dependences(k, merged ? added : vars_dependance.get());
  if (wood->known_acyclic()) {
    for (long d : merged ? added : vars_dependance.get())
      if (wood->valid_id(d)) wood->reader_set(d).insert(k);
    return;
  }
  bool settled = wood->unsettled.empty();
  auto quiet = [&](bool up) {
    long v = 0, h = 0;
    if (up ? wood->slot(k) == nullptr : wood->readers(k).empty()) return true;
    wood->start_walk();
    if (!wood->memo_walk(k, up, v, h)) return false;
    return up ? h < wood->nb_var_bdd : h == 0 || h - 1 < wood->nb_var_bdd;
  };
  if (!settled && !quiet(false)) {
    wood->settle();
    settled = true;
  }
  if (settled) wood->warn_of_cycles_below(k);
  // The up walk reads dependences only, which the reader insertions do not change: one walk
  // gives every result unless it needed the literal walk (a cycle), which may change the wood.
  long valid = 0;
  for (long d : vars_dependance) {
    if (!wood->valid_id(d)) continue;
    ++valid;
    // Kept variables already list k (the table is exact); only the added ones need it.
    if (!merged || added.count(d) != 0) wood->reader_set(d).insert(k);
  }
  if (valid == 0) return;
  if (!settled) {
    if (quiet(true)) return;
    wood->settle();
    valid = 0;
    for (long d : vars_dependance) valid += wood->valid_id(d) ? 1 : 0;
  }
  bool walked = false;
  for (long i = 0; i < valid && !walked; ++i) {
    long v = 0, h = 0;
    wood->start_walk();
    if (wood->slot(k) == nullptr || (wood->memo_walk(k, true, v, h) && h < wood->nb_var_bdd))
      walked = true;
    else
      wood->up_critical_path(k, 0, 1);
  }
}

void Bddexpression::setBddExp(bdd f) { change_right_side("setBddExp", replace_op, f); }

void Bddexpression::append_or_exp(bdd g) { change_right_side("append_or_exp", or_op, g); }

void Bddexpression::append_and_exp(bdd g) { change_right_side("append_and_exp", and_op, g); }

void Bddexpression::setBddExp(bdd f, long early, long late) {
  if (!has_manager()) {
    std::cerr << "In Bddexpression::setBddExp(): " << std::endl;
    std::cerr << "   no wood defined! Aborted  ..." << std::endl;
    return;
  }
  Bddexpressionwood* wood = pw;
  long k = my_index_var();
  bool keyed = wood->valid_id(k);
  if (keyed)
    for (long d : vars_dependance)
      if (wood->valid_id(d)) wood->reader_set(d).erase(k);
  bdd_exp = f;
  earliest_date = early;
  setLateDate(late);
  abstraction = 0;
  build_normal_dependances();
  if (!keyed) return;
  wood->note_dependences(k, vars_dependance);
  for (long d : vars_dependance)
    if (wood->valid_id(d)) wood->reader_set(d).insert(k);
}

void Bddexpression::append_not_exp() {
  if (!has_manager()) {
    std::cerr << "In Bddexpression::append_not_exp(): " << std::endl;
    std::cerr << "   no wood defined! Aborted  ..." << std::endl;
    return;
  }
  if (bdd_initialised(bdd_exp)) bdd_exp = pw->man->Bdd_not(bdd_exp);
}

void Bddexpression::Shannon_expand(long var, long& then_id, long& else_id) {
  then_id = -3;
  else_id = -3;
  if (!has_manager() || abstraction != 0 || !bdd_initialised(bdd_exp)) return;
  bddpp_manager* m = pw->man;
  if (var < 0 || var >= m->Nb_bdd_vars()) return;
  bdd x = m->Bdd_var_by_id(var);
  std::string xname = m->Name_var_by_index(var);
  // Named after the defined variable, which is unique (the status and value equations of one
  // signal share their equation name); a name already in the manager gets a numeric suffix.
  std::string stem = my_bddname();
  if (stem.empty()) stem = name;
  auto fresh = [m](const std::string& base) {
    std::string candidate = base;
    for (long k = 1; m->Index_var_by_name(candidate) >= 0; ++k) candidate = base + "_" + std::to_string(k);
    return candidate;
  };
  // Then copy before else copy, in named temporaries: variable and node ids follow that order.
  bdd t = pw->New_var_last(fresh(stem + "_" + xname));
  bdd e = pw->New_var_last(fresh(stem + "_not" + xname));
  setBddExp(m->Bdd_ite(x, t, e), 0, 0);
  then_id = m->Index_var_by_bdd(t);
  else_id = m->Index_var_by_bdd(e);
}

bool Bddexpression::operator==(const Bddexpression& e) const {
  return abstraction == e.abstraction && bdd_var == e.bdd_var && bdd_exp == e.bdd_exp && usertype == e.usertype &&
         w == e.w && name == e.name && exp_def == e.exp_def;
}
