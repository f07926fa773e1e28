// Equation systems: construction, copies, table growth, learning, forgetting and look-ups.
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "Bddexpression.h"
#include "g_exit.h"
#include "list.h"

namespace {

const long kMaxSlots = 0x1fffffff;


[[noreturn]] void table_limit(const char* who) {
  g_exit(1, std::string("in ") + who + ": Nb bdd vars reached!\nprogram aborted ...\n");
}

}  // namespace

// ----- construction, copy, destruction -----

void Bddexpressionwood::init_slots(long from, long to) {
  for (long i = from; i < to; ++i) {
    size_t s = static_cast<size_t>(i);
    exp_table.set(s, nullptr);
    if (!amont_dep_table[s].empty()) amont_dep_table.edit(s).clear();
    if (latest_date_table[s] != 0) latest_date_table.edit(s) = 0;
  }
}

void Bddexpressionwood::size_tables_at_construction() {
  long n = man != nullptr ? man->Nb_bdd_vars() : 0;
  long c = 1;
  if (n >= 2) {
    for (;;) {
      c *= 2;
      if (c >= n) break;
      if (c > kMaxSlots) table_limit("Bddexpression");
    }
  }
  nb_var_bdd = n;
  nb_max_var_bdd = c;
  exp_table.assign(static_cast<size_t>(c));
  amont_dep_table.assign(static_cast<size_t>(c));
  latest_date_table.assign(static_cast<size_t>(c));
}

Bddexpressionwood::Bddexpressionwood()
    : common_bdd_manager(0), man(new bddpp_manager()), nb_var_bdd(0), nb_max_var_bdd(1), nb_level(0) {
  size_tables_at_construction();
}

Bddexpressionwood::Bddexpressionwood(bddpp_manager* m)
    : common_bdd_manager(0), man(m), nb_var_bdd(0), nb_max_var_bdd(1), nb_level(0) {
  size_tables_at_construction();
}

// Copies src into this (empty) wood. The new manager may hold more variables than src's tables
// (variables added straight into the manager): those slots start empty.
void Bddexpressionwood::copy_from(const Bddexpressionwood& src) {
  nb_level = src.nb_level;
  common_bdd_manager = src.common_bdd_manager;
  if (src.man == nullptr)
    man = nullptr;
  else
    man = common_bdd_manager == 1 ? src.man : new bddpp_manager(src.man, fork_copy);
  ens_exp = src.ens_exp;
  nb_var_bdd = man != nullptr ? man->Nb_bdd_vars() : 0;
  nb_max_var_bdd = src.nb_max_var_bdd < 1 ? 1 : src.nb_max_var_bdd;
  while (nb_max_var_bdd < nb_var_bdd) {
    if (nb_max_var_bdd > kMaxSlots) table_limit("Bddexpressionwood");
    nb_max_var_bdd *= 2;
  }
  size_t capacity = static_cast<size_t>(nb_max_var_bdd);
  size_t shared = static_cast<size_t>(src.nb_var_bdd < nb_var_bdd ? src.nb_var_bdd : nb_var_bdd);
  exp_table.assign(capacity);
  amont_dep_table.assign(capacity);
  latest_date_table.share_prefix(src.latest_date_table, shared, capacity);
  Bddexpressionwood& from = const_cast<Bddexpressionwood&>(src);
  if (fork_copy) {
    // The equations are taken on first use (see lender_). Those whose dependences are a
    // superset are settled here as they would be had they been copied now.
    if (from.lent_.version != from.version_ || from.lent_.shared != shared) {
      from.lent_.bits = src.lazy_;
      from.lent_.bits.unite(src.exp_table.filled());
      from.lent_.bits.truncate(shared);
      from.lent_.version = from.version_;
      from.lent_.shared = shared;
    }
    lazy_ = from.lent_.bits;
    std::vector<long> superset(src.unsettled);
    std::sort(superset.begin(), superset.end());
    superset.erase(std::unique(superset.begin(), superset.end()), superset.end());
    for (long id : superset) {
      const Bddexpression* e = id >= 0 && id < static_cast<long>(shared) ? from.own(id) : nullptr;
      if (e != nullptr && e->unsettled_dependences()) unsettled.push_back(id);
    }
    if (!lazy_.empty()) {
      lender_ = &from;
      from.borrowers_.push_back(this);
    }
  } else {
    // Each slot's readers after its equation: copying an equation may fold src's and drop
    // some of src's readers.
    for (size_t s = 0; s < shared; ++s)
      if (Bddexpression* e = from.own(static_cast<long>(s))) exp_table.set(s, new Bddexpression(this, *e));
  }
  // src's readers as the copies above left them.
  amont_dep_table.share_prefix(src.amont_dep_table, shared, capacity);
  if (fork_copy) {
    ens_exp.intersect(lazy_);  // the copy's own slots are all empty; lazy_ holds valid ids only
  } else {
    for (auto it = ens_exp.begin(); it != ens_exp.end();) {
      if (!valid_id(*it) || (exp_table[static_cast<size_t>(*it)] == nullptr && lazy_.count(*it) == 0))
        it = ens_exp.erase(it);
      else
        ++it;
    }
  }
  if (lender_ != nullptr) lender_version_ = lender_->version_;
  // Nothing of this copy has been merged back into it yet.
  unmerged_ = ens_exp;
  captured_size_ = nb_var_bdd;
  // The same dependences (or, folded, fewer): a graph known acyclic stays so. A fork's
  // source is checked once here rather than in each of its copies.
  acyclic = fork_copy ? from.known_acyclic() : src.acyclic;
}

// ----- equations taken on first use -----

Bddexpression* Bddexpressionwood::own(long id) {
  if (lender_ != nullptr && lazy_.count(id) != 0) take(id);
  return exp_table[static_cast<size_t>(id)];
}

Bddexpression* Bddexpressionwood::resolve(long id) {
  touch();
  Bddexpression* e = own(id);
  if (e != nullptr)
    for (size_t b = 0; b < borrowers_.size();) {
      Bddexpressionwood* borrower = borrowers_[b];
      // Taking the last lazy slot removes the borrower from the list.
      if (borrower->lazy_.count(id) != 0) borrower->take(id);
      if (b < borrowers_.size() && borrowers_[b] == borrower) ++b;
    }
  return e;
}

const Bddexpression* Bddexpressionwood::peek(long id) const {
  if (!valid_id(id)) return nullptr;
  if (lender_ == nullptr || lazy_.count(id) == 0) return exp_table[static_cast<size_t>(id)];
  const Bddexpression* e = lender_->peek(id);
  return e == nullptr || e->dependences_copied() ? e : slot(id);
}

const Bddexpression* Bddexpressionwood::untaken(long id) const {
  if (lender_ == nullptr || lazy_.count(id) == 0) return nullptr;
  const Bddexpression* e = lender_->untaken(id);
  return e != nullptr ? e : lender_->exp_table[static_cast<size_t>(id)];
}

void Bddexpressionwood::take(long id) {
  touch();
  lazy_.erase(id);
  // The copy lists its ids to settle; the fork listed them all already.
  size_t listed = unsettled.size();
  if (Bddexpression* e = lender_->own(id)) {
    Bddexpression* copy = new Bddexpression(this, *e);
    exp_table.set(static_cast<size_t>(id), copy);
    if (dated_from_ != nullptr) copy->earliest_date = dated_early(*dated_from_, id);
  }
  unsettled.resize(listed);
  if (lazy_.empty()) stop_borrowing();
}

void Bddexpressionwood::take_all() {
  while (!lazy_.empty()) take(*lazy_.begin());  // the last one stops the borrowing
}

void Bddexpressionwood::lend_all() {
  while (!borrowers_.empty()) borrowers_.back()->take_all();
}

void Bddexpressionwood::stop_borrowing() {
  if (lender_ == nullptr) return;
  auto& list = lender_->borrowers_;
  list.erase(std::find(list.begin(), list.end(), this));
  lender_ = nullptr;
}

Bddexpressionwood::Bddexpressionwood(Bddexpressionwood* src)
    : common_bdd_manager(0), man(nullptr), nb_var_bdd(0), nb_max_var_bdd(1), nb_level(0) {
  if (src == nullptr) {
    man = new bddpp_manager();
    size_tables_at_construction();
    return;
  }
  copy_from(*src);
}

Bddexpressionwood::Bddexpressionwood(Bddexpressionwood* src, bool fork)
    : common_bdd_manager(0), fork_copy(fork), man(nullptr), nb_var_bdd(0), nb_max_var_bdd(1), nb_level(0) {
  copy_from(*src);
}

void Bddexpressionwood::destroy_contents() {
  touch();
  dated_from_.reset();
  lend_all();
  stop_borrowing();
  lazy_.clear();
  // Only the filled slots hold equations (a fork's copy: those its branch took or made); the
  // set's iterator reads past the slot it empties.
  for (long id : exp_table.filled()) {
    if (id >= nb_var_bdd) break;
    Bddexpression* e = exp_table[static_cast<size_t>(id)];
    if (!released.empty()) released.erase(e);
    delete e;
    exp_table.set(static_cast<size_t>(id), nullptr);
  }
  for (Bddexpression* e : released) delete e;
  released.clear();
}

Bddexpressionwood& Bddexpressionwood::operator=(const Bddexpressionwood& src) {
  if (this == &src) return *this;
  bddpp_manager* old_man = man;
  int old_flag = common_bdd_manager;
  destroy_contents();
  exp_table.assign(0);
  amont_dep_table.assign(0);
  latest_date_table.assign(0);
  bool old_is_source = old_man == src.man;
  if (old_flag == 0 && !old_is_source) {
    delete old_man;
    old_man = nullptr;
  }
  // A manager that this wood shared with src stays with src.
  acyclic = false;
  copy_from(src);
  return *this;
}

Bddexpressionwood& Bddexpressionwood::operator=(Bddexpressionwood& src) {
  return *this = static_cast<const Bddexpressionwood&>(src);
}

Bddexpressionwood::~Bddexpressionwood() {
  destroy_contents();
  if (common_bdd_manager == 0) delete man;
}

// ----- table growth -----

void Bddexpressionwood::grow_capacity(long n) {
  if (nb_max_var_bdd >= n) return;
  do {
    if (nb_max_var_bdd > kMaxSlots) table_limit("Bddexpressionwood");
    nb_max_var_bdd *= 2;
  } while (nb_max_var_bdd < n);
  exp_table.resize(static_cast<size_t>(nb_max_var_bdd));
  amont_dep_table.resize(static_cast<size_t>(nb_max_var_bdd));
  latest_date_table.resize(static_cast<size_t>(nb_max_var_bdd));
  for (long i = 0; i < nb_var_bdd; ++i)
    if (Bddexpression* e = slot(i)) e->internal_build_dependances();
}

void Bddexpressionwood::update_bdd_vars() {
  if (man == nullptr) return;
  long n = man->Nb_bdd_vars();
  if (nb_var_bdd >= n) return;
  touch();
  grow_capacity(n);
  init_slots(nb_var_bdd, n);
  nb_var_bdd = n;
}

void Bddexpressionwood::update_bdd_vars(long k) {
  touch();
  long n = man != nullptr ? man->Nb_bdd_vars() : 0;
  if (n != nb_var_bdd + 1 || k < 0 || k > nb_var_bdd) {
    std::cerr << "Internal error in update_bdd_vars(nouv_index):" << std::endl;
    std::cerr << "awaited " << (nb_var_bdd + 1) << " variables, found: " << n << std::endl;
    return;
  }
  if (nb_max_var_bdd < n) {
    do {
      if (nb_max_var_bdd > kMaxSlots) table_limit("Bddexpressionwood");
      nb_max_var_bdd *= 2;
    } while (nb_max_var_bdd < n);
  }
  take_all();  // ids move: every equation of this system is its own from here
  lend_all();
  equation_slots exps;
  exps.assign(static_cast<size_t>(nb_max_var_bdd));
  shared_pages<shared_ids> readers_table;
  readers_table.assign(static_cast<size_t>(nb_max_var_bdd));
  auto shift = [k](long id) { return id >= k ? id + 1 : id; };
  for (long j = 0; j < nb_var_bdd; ++j) {
    size_t to = static_cast<size_t>(shift(j));
    if (Bddexpression* e = exp_table[static_cast<size_t>(j)]) exps.set(to, e);
    for (long r : readers(j)) readers_table.edit(to).insert(shift(r));
  }
  id_bits ids;
  for (long id : ens_exp) ids.insert(shift(id));
  for (auto& c : changes_) c.second = shift(c.second);
  if (k < captured_size_) ++captured_size_;
  id_bits unmerged;
  for (long id : unmerged_) unmerged.insert(shift(id));
  unmerged_.swap(unmerged);
  exp_table.swap(exps);
  amont_dep_table.swap(readers_table);
  latest_date_table.assign(static_cast<size_t>(nb_max_var_bdd));
  ens_exp.swap(ids);
  nb_var_bdd = n;
  for (long j = 0; j < nb_var_bdd; ++j) {
    Bddexpression* e = exp_table[static_cast<size_t>(j)];
    if (e != nullptr) e->internal_build_dependances();
  }
}

bdd Bddexpressionwood::New_var_last(const std::string& name) {
  bdd v = man->New_var_last(name);
  update_bdd_vars();
  return v;
}

long Bddexpressionwood::Index_new_var_last(const std::string& name) {
  bdd v = New_var_last(name);
  return man->Bdd_if_index(v);
}

bdd Bddexpressionwood::New_var_before_by_bdd(bdd b, const std::string& name) {
  long k = man->Bdd_if_index(b);
  bdd r = man->New_var_before(b, name);
  update_bdd_vars(k);
  return r;
}

bdd Bddexpressionwood::New_var_before_by_index(long i, const std::string& name) {
  bdd b = man->Bdd_var_by_index(i);
  bdd r = man->New_var_before(b, name);
  update_bdd_vars(i);
  return r;
}

bdd Bddexpressionwood::New_var_after_by_bdd(bdd b, const std::string& name) {
  long k = man->Bdd_if_index(b);
  bdd r = man->New_var_after(b, name);
  update_bdd_vars(k + 1);
  return r;
}

bdd Bddexpressionwood::New_var_after_by_index(long i, const std::string& name) {
  bdd b = man->Bdd_var_by_index(i);
  bdd r = man->New_var_after(b, name);
  update_bdd_vars(i + 1);
  return r;
}

// ----- learning and forgetting -----

void Bddexpressionwood::release(Bddexpression* e) {
  if (e != nullptr) released.insert(e);
}

void Bddexpressionwood::learn_expression(Bddexpression* e) {
  learn_abstract_expression(e, nullptr);
}

void Bddexpressionwood::learn_abstract_expression(Bddexpression* e, std::set<long>* given_readers) {
  const char* heading = "INTERNAL ERROR in Bddexpressionwood::learn_expression():";
  if (e == nullptr) {
    std::cerr << heading << std::endl << "no expression !!!" << std::endl << std::endl;
    return;
  }
  bddpp_manager* em = e->pw != nullptr ? e->pw->man : nullptr;
  long k = -3;
  if (em != nullptr && bdd_initialised(e->bdd_var) && e->bdd_var.manager_ref() == em) k = em->Bdd_if_index(e->bdd_var);
  long count = man != nullptr ? man->Nb_bdd_vars() : 0;
  if (k < 0 || k >= count) {
    std::cerr << heading << std::endl;
    std::cerr << (k >= 0 ? "bdd variable doesn't exist in Bdd manager" : "no left member in expression") << std::endl
              << std::endl;
    return;
  }
  if (nb_var_bdd <= k) update_bdd_vars();
  Bddexpression* old = slot(k);
  if (old == e) return;
  if (old != nullptr) {
    for (long d : old->vars_dependance)
      if (valid_id(d)) reader_set(d).erase(k);
    release(old);
  } else {
    ens_exp.insert(ens_exp.end(), k);
  }
  exp_table.set(static_cast<size_t>(k), e);
  note_change(k);
  released.erase(e);
  bool abstract = given_readers != nullptr || e->abstraction != 0;
  for (long d : e->vars_dependance) {
    if (valid_id(d)) {
      // Equations mostly arrive in variable order: hint at the end (constant time then).
      reader_set(d).insert(k);
    } else if (abstract) {
      std::cerr << "Warning in Bddexpressionwood::learn_abstract_expression(): dependance " << d
                << " of variable " << k << " ignored (no such variable)" << std::endl;
    }
  }
  if (given_readers != nullptr && !given_readers->empty())
    acyclic = false;
  else
    note_dependences(k, e->vars_dependance);
  if (given_readers != nullptr)
    for (long x : *given_readers)
      if (valid_id(x)) reader_set(k).insert(x);
  if (e->earliest_date > nb_level) nb_level = e->earliest_date;
  if (latest(k) > nb_level) nb_level = latest(k);
}

void Bddexpressionwood::destroy_equation(long id) {
  note_change(id);
  Bddexpression* e = slot(id);
  exp_table.set(static_cast<size_t>(id), nullptr);
  released.erase(e);
  delete e;
}

void Bddexpressionwood::forget_expression_by_bddid(long id) {
  settle();
  if (!valid_id(id)) {
    std::cerr << "Error in Bddexpressionwood::forget_expression_by_bddid(): " << std::endl;
    std::cerr << id << " value not found ..." << std::endl;
    return;
  }
  Bddexpression* e = slot(id);
  if (e == nullptr || !readers(id).empty()) return;
  for (long d : e->vars_dependance)
    if (valid_id(d)) reader_set(d).erase(id);
  destroy_equation(id);
  ens_exp.erase(id);
  latest(id) = 0;
}

void Bddexpressionwood::absolute_forget_expression_by_bddid(long id) {
  if (!valid_id(id)) {
    std::cerr << "Error in Bddexpressionwood::absolute_forget_expression_by_bddid(): " << std::endl;
    std::cerr << id << " value not found ..." << std::endl;
    return;
  }
  if (slot(id) == nullptr || !readers(id).empty()) return;
  destroy_equation(id);
  ens_exp.erase(id);
}

void Bddexpressionwood::clean(std::set<long>& keep) {
  settle();
  for (long id = 0; id < nb_var_bdd; ++id) {
    if (ens_exp.count(id) == 0) continue;
    Bddexpression* e = slot(id);
    if (e == nullptr) {
      std::cerr << "Warning in Bddexpressionwood::clean():" << "  Expression for id var " << id
                << " should be existed ..." << std::endl;
      continue;
    }
    if (keep.count(id) != 0) continue;
    if (readers(id).empty() && e->vars_dependance.empty()) {
      note_change(id);
      exp_table.set(static_cast<size_t>(id), nullptr);
      release(e);
      ens_exp.erase(id);
    }
  }
}

void Bddexpressionwood::clean(std::list<long>& keep) {
  std::set<long> s(keep.begin(), keep.end());
  clean(s);
}

// ----- look-ups -----

Bddexpression* Bddexpressionwood::exp_by_index(long id) {
  if (valid_id(id)) return slot(id);
  std::cerr << "ERROR in Bddexpressionwood::exp_by_index : id `" << id << "' not found!" << std::endl;
  return nullptr;
}

Bddexpression* Bddexpressionwood::exp_by_bdd(bdd b) {
  long k = man != nullptr ? man->Index_var_by_bdd(b) : -3;
  if (valid_id(k)) return slot(k);
  std::cerr << "ERROR in Bddexpressionwood::exp_by_bdd : bdd not found!" << std::endl;
  return nullptr;
}

Bddexpression* Bddexpressionwood::exp_by_bddname(const std::string& s) {
  long k = man != nullptr ? man->Index_var_by_name(s) : -1;
  if (valid_id(k)) return slot(k);
  std::cerr << "ERROR in Bddexpressionwood::exp_by_bddname : `" << s << "' not found!" << std::endl;
  return nullptr;
}

Bddexpression* Bddexpressionwood::exp_by_name(const std::string& s) {
  for (long id = 0; id < nb_var_bdd; ++id) {
    Bddexpression* e = slot(id);
    if (e != nullptr && e->name == s) return e;
  }
  std::cerr << "ERROR in Bddexpressionwood::exp_by_name : `" << s << "' not found!" << std::endl;
  return nullptr;
}

long Bddexpressionwood::Index_exp_by_name(const std::string& s) {
  for (long id = 0; id < nb_var_bdd; ++id) {
    Bddexpression* e = slot(id);
    if (e != nullptr && e->name == s) return id;
  }
  std::cerr << "ERROR in Bddexpressionwood::Index_exp_by_name : `" << s << "' not found!" << std::endl;
  return -1;
}

std::string Bddexpressionwood::Bddname_exp_by_index(long i) {
  if (!valid_id(i)) {
    std::cerr << "ERROR: in Bddexpressionwood::Bddname_exp_by_index(): id " << i << " not found!" << std::endl;
    return "";
  }
  Bddexpression* e = slot(i);
  return e != nullptr ? e->my_bddname() : std::string();
}

std::string Bddexpressionwood::Name_exp_by_index(long i) {
  if (!valid_id(i)) {
    std::cerr << "ERROR: in Bddexpressionwood::Name_exp_by_index(): index " << i << " not found!" << std::endl;
    return "";
  }
  Bddexpression* e = slot(i);
  return e != nullptr ? e->name : std::string();
}

std::string Bddexpressionwood::Bddname_exp_by_bdd(bdd b) { return man->Name_var_by_bdd(b); }

std::string Bddexpressionwood::Name_exp_by_bdd(bdd b) {
  long k = man != nullptr ? man->Index_var_by_bdd(b) : -3;
  if (!valid_id(k)) {
    std::cerr << "ERROR: in Bddexpressionwood::Name_exp_by_bdd(): bdd not found!" << std::endl;
    return "";
  }
  Bddexpression* e = slot(k);
  return e != nullptr ? e->name : std::string();
}

Bddexpression* Bddexpressionwood::exp(int n) {
  if (n >= 0) {
    int i = 0;
    for (long id : ens_exp) {
      Bddexpression* e = slot(id);
      if (e == nullptr) continue;
      if (i == n) return e;
      ++i;
    }
  }
  std::cerr << "ERROR in Bddexpressionwood::exp(): " << n << " bad number ..." << std::endl;
  std::cerr << "possible: " << ens_exp << std::endl;
  return nullptr;
}

void Bddexpressionwood::append_not_expression(long id) {
  Bddexpression* e = slot(id);
  if (e != nullptr) e->append_not_exp();
}
