// Dating of an equation system (earliest and latest dates), the sorts and cycle detection.
//
// The full computation first tries a topological pass: on an acyclic graph whose dates stay
// under the bound 2n it gives the same dates and level count as the propagation, in linear time.
// Otherwise (a cycle) the propagation runs, on explicit stacks in the recursive visiting order.
#include <algorithm>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <iostream>
#include <utility>

#include "Bddexpression.h"
#include "wood_walk.h"

namespace {

// Whether the equation of slot i, if any, defines the variable i of m.
bool in_own_slot(const Bddexpression* e, bddpp_manager* m, long i) {
  if (e == nullptr) return true;
  return bdd_initialised(e->bdd_var) && e->bdd_var.manager_ref() == m && m->Bdd_if_index(e->bdd_var) == i;
}

// Gives the date `date` to v, then date + 1 to the successors (ids 0..n-1) of each vertex
// whose date rose, depth first. raise(x, d) gives d to x and returns the successors to pass
// d + 1 to, or null when x keeps its date or the walk stops there.
template <class Raise>
void propagate(long n, long v, long date, Raise raise) {
  struct frame {
    long date;
    wood_walk::set_cursor successors;
  };
  wood_walk::depth_first<frame> walk;
  auto enter = [&](long x, long d) {
    if (const shared_ids* next = raise(x, d)) walk.open(frame{d, wood_walk::set_cursor(*next)});
  };
  enter(v, date);
  walk.run([&](frame& f, long x) {
    if (x >= 0 && x < n) enter(x, f.date + 1);
  });
}

// The edges of a date graph in flat arrays, read once from the sets: the targets of each vertex
// 0..n-1 in the order of its set. An edges(v, visit) callable, as wood_walk::topological takes.
class flat_edges {
 public:
  explicit flat_edges(long n) {
    first.reserve(static_cast<size_t>(n) + 1);
    first.push_back(0);
  }
  void add(long t) { target.push_back(t); }
  // Ends the targets of the next vertex (vertices are closed in order, from 0).
  void close() { first.push_back(static_cast<long>(target.size())); }
  template <class Visit>
  void operator()(long v, Visit visit) const {
    for (long k = first[static_cast<size_t>(v)], end = first[static_cast<size_t>(v) + 1]; k < end; ++k)
      visit(target[static_cast<size_t>(k)]);
  }

 private:
  std::vector<long> first;
  std::vector<long> target;
};

const char* kFullError = "ERREUR dans compute_date(): nombre de variables trop grand :";
const char* kListError = "ERREUR dans compute_date(list ident): numero de variables trop grand :";

}  // namespace

// ----- propagation -----

void Bddexpressionwood::early_propagation(long v, long date) {
  const long bound = 2 * nb_var_bdd;
  propagate(nb_var_bdd, v, date, [&](long x, long d) -> const shared_ids* {
    Bddexpression* e = slot(x);
    if (e == nullptr || d <= e->earliest_date) return nullptr;
    e->earliest_date = d;
    if (d + 1 > nb_level) nb_level = d + 1;
    return nb_level > bound ? nullptr : &readers(x);
  });
}

void Bddexpressionwood::late_propagation(long v, long date) {
  const long bound = 2 * nb_var_bdd;
  propagate(nb_var_bdd, v, date, [&](long x, long d) -> const shared_ids* {
    if (!valid_id(x)) return nullptr;
    long& late = latest(x);
    if (late >= d && late != 0) return nullptr;
    late = d;
    if (d + 1 > nb_level) nb_level = d + 1;
    Bddexpression* e = slot(x);
    return e == nullptr || nb_level > bound ? nullptr : &e->vars_dependance;
  });
}

// Steps a to c of the computation for the id i.
void Bddexpressionwood::date_step(long i, const char* error_text) {
  const long n = nb_var_bdd;
  Bddexpression* e = slot(i);
  if (!readers(i).empty()) {
    std::vector<long> rs(readers(i).begin(), readers(i).end());
    for (long r : rs) {
      if (r < 0) continue;
      if (r >= n) {
        std::cerr << error_text << r << ">= " << n << std::endl;
        continue;
      }
      long s = e != nullptr ? slot(i)->earliest_date + 1 : 1;
      early_propagation(r, s);
    }
  } else if (e != nullptr && nb_level <= e->earliest_date) {
    nb_level = e->earliest_date + 1;
  }
  if (e != nullptr) {
    long late = e->getLateDate();
    std::vector<long> deps(e->vars_dependance.begin(), e->vars_dependance.end());
    for (long d : deps)
      if (d >= 0 && d < n) late_propagation(d, late + 1);
  }
}

namespace {

// What the full dating in topological order gives ids 0..n-1 read through eq(i) (the equation,
// or null) and readers_of(i), nothing written: each id's dates, whether it has readers, the
// readers past the table (reported once the dates are set) and the level count.
struct topological_dates {
  std::vector<long> early, late;
  std::vector<char> equation, read;
  std::vector<long> beyond;
  long level = 0;
};

// A level the id i gives: past its earliest date when that rose or nobody reads it, past its
// latest date when it has one.
long level_term(bool equation, long before, long early, bool read, long late) {
  long level = 0;
  if (equation && (early > before || !read)) level = early + 1;
  if (late > 0) level = std::max(level, late + 1);
  return level;
}

// False (a cycle, an equation outside its variable's slot, a date past the bound 2n) where the
// propagation must run instead.
template <class Eq, class Readers>
bool date_in_topological_order(long n, bddpp_manager* man, Eq eq, Readers readers_of_id, topological_dates& out) {
  const size_t sn = static_cast<size_t>(n);
  std::vector<long>& early = out.early;
  early.assign(sn, 0);
  out.equation.assign(sn, 0);
  out.read.assign(sn, 0);
  out.beyond.clear();
  std::vector<long> before(sn, 0);

  // Each set is read once, into flat edges: the readers with an equation (with whether there
  // is any reader, and the readers past the table) and the dependences within the table.
  auto has_equation = [&](long v) { return v >= 0 && v < n && eq(v) != nullptr; };
  flat_edges readers_with_equation(n), dependences_of(n);
  for (long i = 0; i < n; ++i) {
    const Bddexpression* e = eq(i);
    if (!in_own_slot(e, man, i)) return false;
    size_t si = static_cast<size_t>(i);
    for (long r : readers_of_id(i)) {
      out.read[si] = 1;
      if (r >= n) out.beyond.push_back(r);
      if (has_equation(r)) readers_with_equation.add(r);
    }
    readers_with_equation.close();
    if (e != nullptr) {
      out.equation[si] = 1;
      before[si] = early[si] = e->earliest_date;
      for (long d : e->vars_dependance)
        if (d >= 0 && d < n) dependences_of.add(d);
    }
    dependences_of.close();
  }
  std::vector<long> order;

  // Earliest dates: an edge p -> r for each reader r of p, both with an equation; the readers of
  // a variable without equation start at 1.
  auto readers_of = [&](long p, auto visit) {
    if (has_equation(p)) readers_with_equation(p, visit);
  };
  auto at_least_one = [&](long r) { early[static_cast<size_t>(r)] = std::max(early[static_cast<size_t>(r)], 1L); };
  for (long p = 0; p < n; ++p)
    if (!has_equation(p)) readers_with_equation(p, at_least_one);
  auto pass_early = [&](long p, long r) {
    early[static_cast<size_t>(r)] = std::max(early[static_cast<size_t>(r)], early[static_cast<size_t>(p)] + 1);
  };
  if (!wood_walk::topological(n, readers_of, order, pass_early)) return false;

  // Latest dates: an edge x -> d for each dependence d of the equation of x; a dependence
  // without equation gets its date but has no edge out.
  std::vector<long>& late = out.late;
  late.assign(sn, 0);
  auto pass_late = [&](long x, long d) {
    late[static_cast<size_t>(d)] = std::max(late[static_cast<size_t>(d)], late[static_cast<size_t>(x)] + 1);
  };
  if (!wood_walk::topological(n, dependences_of, order, pass_late)) return false;

  out.level = 0;
  for (size_t s = 0; s < sn; ++s)
    out.level = std::max(out.level, level_term(out.equation[s], before[s], early[s], out.read[s], late[s]));
  return out.level <= 2 * n;
}

// The passes of dates_by_topological_order(ids), false on a cycle; level rises past each date
// passed. Earliest dates: a listed id passes its date + 1 (1 without equation) to its readers; so
// does every equation whose date rises.
bool pass_early(Bddexpressionwood& w, const flat_edges& readers_of, const std::vector<char>& seed,
                std::vector<long>& early, std::vector<long>& order, long& level) {
  if (!wood_walk::topological(w.nb_var_bdd, readers_of, order)) return false;
  std::vector<long> start(early);
  for (long p : order) {
    size_t sp = static_cast<size_t>(p);
    bool has_equation = w.slot(p) != nullptr;
    if (!seed[sp] && early[sp] == start[sp]) continue;
    if (seed[sp] && has_equation && w.readers(p).empty()) level = std::max(level, early[sp] + 1);
    long d = has_equation ? early[sp] + 1 : 1;
    readers_of(p, [&](long r) {
      size_t sr = static_cast<size_t>(r);
      if (w.slot(r) == nullptr || d <= early[sr]) return;
      early[sr] = d;
      level = std::max(level, d + 1);
    });
  }
  return true;
}

// Latest dates: a listed equation passes its latest date + 1 to its dependences; so does every
// equation whose latest date rises.
bool pass_late(Bddexpressionwood& w, const flat_edges& dependences_of, const std::vector<char>& seed,
               std::vector<long>& late, std::vector<long>& order, long& level) {
  if (!wood_walk::topological(w.nb_var_bdd, dependences_of, order)) return false;
  std::vector<long> start(late);
  for (long x : order) {
    size_t sx = static_cast<size_t>(x);
    if (w.slot(x) == nullptr || (!seed[sx] && late[sx] == start[sx])) continue;
    long d = late[sx] + 1;
    dependences_of(x, [&](long t) {
      size_t st = static_cast<size_t>(t);
      if (d <= late[st]) return;
      late[st] = d;
      level = std::max(level, d + 1);
    });
  }
  return true;
}

}  // namespace

// Dates of an acyclic system in topological order; false (nothing changed) when a cycle, an
// equation stored outside its variable's slot or a date past the bound needs the propagation.
bool Bddexpressionwood::dates_by_topological_order() {
  const long n = nb_var_bdd;
  topological_dates d;
  auto eq = [&](long i) -> const Bddexpression* { return slot(i); };
  auto readers_of = [&](long i) -> const shared_ids& { return readers(i); };
  if (!date_in_topological_order(n, man, eq, readers_of, d)) return false;
  for (long r : d.beyond) std::cerr << kFullError << r << ">= " << n << std::endl;
  for (long i = 0; i < n; ++i) {
    size_t s = static_cast<size_t>(i);
    if (Bddexpression* e = slot(i)) e->earliest_date = d.early[s];
    latest(i) = d.late[s];
  }
  nb_level = d.level;
  return true;
}

// ----- dating a fork's copy from its lender's -----

struct Bddexpressionwood::fork_dating {
  long n = 0;                    // the lender's slot count
  std::vector<long> early;       // each id's earliest date (equations only)
  shared_pages<long> late;       // each id's latest date
  std::vector<std::pair<long, long>> by_level;  // (level term, id) of the ids giving one, highest first
  // For each id v, the ids whose readers hold v, and the ids with an equation depending on v.
  std::vector<long> reader_of_first, reader_of;
  std::vector<long> user_first, user;
};

long Bddexpressionwood::dated_early(const fork_dating& d, long id) {
  return id >= 0 && id < d.n ? d.early[static_cast<size_t>(id)] : 0;
}

std::shared_ptr<const Bddexpressionwood::fork_dating> Bddexpressionwood::dating_for_copies() {
  if (fork_dating_ != nullptr) return fork_dating_;
  if (lender_ != nullptr || man == nullptr) return nullptr;
  const long n = nb_var_bdd;
  const size_t sn = static_cast<size_t>(n);
  // A copy takes an equation with its dependences as they are, unless they must be computed.
  for (long i = 0; i < n; ++i) {
    const Bddexpression* e = exp_table[static_cast<size_t>(i)];
    if ((e != nullptr) != (ens_exp.count(i) != 0) || (e != nullptr && !e->dependences_copied())) return nullptr;
  }
  topological_dates d;
  auto eq = [&](long i) -> const Bddexpression* { return exp_table[static_cast<size_t>(i)]; };
  auto readers_of = [&](long i) -> const shared_ids& { return readers(i); };
  if (!date_in_topological_order(n, man, eq, readers_of, d) || !d.beyond.empty()) return nullptr;

  auto f = std::make_shared<fork_dating>();
  f->n = n;
  f->early = std::move(d.early);
  f->late.assign(sn);
  for (size_t s = 0; s < sn; ++s) {
    if (d.late[s] != 0) f->late.edit(s) = d.late[s];
    const Bddexpression* e = exp_table[s];
    long before = e != nullptr ? e->earliest_date : 0;
    long term = level_term(d.equation[s], before, f->early[s], d.read[s], d.late[s]);
    if (term > 0) f->by_level.emplace_back(term, static_cast<long>(s));
  }
  std::sort(f->by_level.begin(), f->by_level.end(), std::greater<>());
  // Reverse edges, as flat lists per id.
  auto reverse = [&](std::vector<long>& first, std::vector<long>& from, auto edges) {
    first.assign(sn + 1, 0);
    for (long i = 0; i < n; ++i) edges(i, [&](long t) { ++first[static_cast<size_t>(t) + 1]; });
    for (size_t s = 0; s < sn; ++s) first[s + 1] += first[s];
    from.assign(static_cast<size_t>(first[sn]), 0);
    std::vector<long> at(first.begin(), first.end() - 1);
    for (long i = 0; i < n; ++i) edges(i, [&](long t) { from[static_cast<size_t>(at[static_cast<size_t>(t)]++)] = i; });
  };
  reverse(f->reader_of_first, f->reader_of, [&](long i, auto visit) {
    for (long r : readers(i))
      if (r >= 0 && r < n) visit(r);
  });
  reverse(f->user_first, f->user, [&](long i, auto visit) {
    if (const Bddexpression* e = exp_table[static_cast<size_t>(i)])
      for (long v : e->vars_dependance)
        if (v >= 0 && v < n) visit(v);
  });
  fork_dating_ = f;
  return fork_dating_;
}

namespace {

// Ids in the order they are reached, each once.
struct reached {
  std::unordered_set<long> in;
  std::vector<long> ids;
  void reach(long v) {
    if (in.insert(v).second) ids.push_back(v);
  }
};

// Kahn's order of the ids of a region under edges(v, visit) restricted to the region, with a
// longest-path pass: value(v) is called once every edge into v is passed; false on a cycle.
template <class Edges, class Value>
bool region_in_order(const reached& region, Edges edges, Value value) {
  std::unordered_map<long, long> pending;
  for (long v : region.ids)
    edges(v, [&](long t) {
      if (region.in.count(t) != 0) ++pending[t];
    });
  std::vector<long> order;
  for (long v : region.ids)
    if (pending.count(v) == 0) order.push_back(v);
  for (size_t k = 0; k < order.size(); ++k) {
    long v = order[k];
    value(v);
    edges(v, [&](long t) {
      if (region.in.count(t) != 0 && --pending[t] == 0) order.push_back(t);
    });
  }
  return order.size() == region.ids.size();
}

}  // namespace

// The steps of date_from_lender: the copy w, its lender from, the lender's dating b.
struct Bddexpressionwood::lender_dating {
  lender_dating(Bddexpressionwood& copy, const fork_dating& dating) : w(copy), b(dating) {}
  Bddexpressionwood& w;
  const fork_dating& b;
  Bddexpressionwood* from = w.lender_;
  const long n = w.nb_var_bdd, n0 = b.n;
  // The copy's equation of v as the full dating reads it: the lender's while not taken.
  const Bddexpression* eq(long v) const {
    if (v < 0 || v >= n) return nullptr;
    return (v < n0 && w.lazy_.count(v) != 0 ? from : &w)->exp_table[static_cast<size_t>(v)];
  }
  // visit(x) for each x of ids within the table.
  template <class Visit>
  void each(const shared_ids& ids, Visit visit) const {
    for (long x : ids)
      if (x >= 0 && x < n) visit(x);
  }

  // The changed ids: those taken or given an equation, those past the lender's table, those
  // whose readers differ. False where the full dating must run: an equation out of its slot, a
  // reader past the table.
  reached changed;
  bool list_changes() {
    for (size_t k = 0; (k << 6) < static_cast<size_t>(n0); ++k) {
      uint64_t bits = (from->ens_exp.word(k) | w.ens_exp.word(k)) & ~w.lazy_.word(k);
      for (; bits != 0; bits &= bits - 1) {
        long v = static_cast<long>((k << 6) + static_cast<size_t>(__builtin_ctzll(bits)));
        if (v < n0) changed.reach(v);
      }
    }
    for (long v : w.changed_since(0))
      if (v >= 0 && v < n0) changed.reach(v);
    for (long v = n0; v < n; ++v) changed.reach(v);
    w.amont_dep_table.for_each_unshared(from->amont_dep_table, static_cast<size_t>(n0), [&](size_t s) {
      long v = static_cast<long>(s);
      if (!(w.readers(v) == from->readers(v))) changed.reach(v);
    });
    for (long v : changed.ids) {
      if ((v >= n0 || w.lazy_.count(v) == 0) && !in_own_slot(eq(v), w.man, v)) return false;
      for (long r : w.readers(v))
        if (r >= n) return false;  // reported by the full dating
    }
    return true;
  }

  // The ids whose earliest date may differ: the readers of a changed id (its own and the
  // lender's) and every equation read, from there on, by one with an equation.
  reached early_region;
  void reach_early() {
    auto reach = [&](long r) { early_region.reach(r); };
    for (long v : changed.ids) {
      reach(v);
      each(w.readers(v), reach);
      if (v < n0) each(from->readers(v), reach);
    }
    for (size_t k = 0; k < early_region.ids.size(); ++k) early_edges(early_region.ids[k], reach);
  }
  // The ids whose latest date may differ: the dependences of a changed id (its own and the
  // lender's), and every dependence, from there on, of one with an equation.
  reached late_region;
  void reach_late() {
    auto reach = [&](long d) { late_region.reach(d); };
    for (long v : changed.ids) {
      reach(v);
      late_edges(v, reach);
      if (v < n0)
        if (const Bddexpression* e = from->exp_table[static_cast<size_t>(v)]) each(e->vars_dependance, reach);
    }
    for (size_t k = 0; k < late_region.ids.size(); ++k) late_edges(late_region.ids[k], reach);
  }
  template <class Visit>
  void early_edges(long p, Visit visit) const {
    if (eq(p) == nullptr) return;
    for (long r : w.readers(p))
      if (r >= 0 && r < n && eq(r) != nullptr) visit(r);
  }
  template <class Visit>
  void late_edges(long x, Visit visit) const {
    if (const Bddexpression* e = eq(x)) each(e->vars_dependance, visit);
  }

  // The edges into an id of a region: the unchanged ids of the lender's reverse lists, and the
  // changed ids whose sets hold it.
  std::unordered_map<long, std::vector<long>> changed_readers_of, changed_users_of;
  void list_changed_edges() {
    for (long v : changed.ids) {
      each(w.readers(v), [&](long r) { changed_readers_of[r].push_back(v); });
      late_edges(v, [&](long d) { changed_users_of[d].push_back(v); });
    }
  }
  template <class Visit>
  void into(long v, const std::vector<long>& first, const std::vector<long>& list,
            const std::unordered_map<long, std::vector<long>>& extra, Visit visit) const {
    if (v < n0)
      for (long k = first[static_cast<size_t>(v)]; k < first[static_cast<size_t>(v) + 1]; ++k)
        if (changed.in.count(list[static_cast<size_t>(k)]) == 0) visit(list[static_cast<size_t>(k)]);
    auto it = extra.find(v);
    if (it != extra.end())
      for (long p : it->second) visit(p);
  }

  // Earliest dates over the region, from the lender's outside it.
  std::unordered_map<long, long> early;
  long early_of(long v) const {
    auto it = early.find(v);
    return it != early.end() ? it->second : b.early[static_cast<size_t>(v)];
  }
  bool date_early() {
    auto edges = [&](long p, auto visit) { early_edges(p, visit); };
    return region_in_order(early_region, edges, [&](long v) {
      const Bddexpression* e = eq(v);
      if (e == nullptr) return;
      long date = e->earliest_date;
      into(v, b.reader_of_first, b.reader_of, changed_readers_of, [&](long p) {
        date = std::max(date, eq(p) != nullptr ? early_of(p) + 1 : 1L);
      });
      early[v] = date;
    });
  }
  // Latest dates over the region, from the lender's outside it.
  std::unordered_map<long, long> late;
  long late_of(long v) const {
    auto it = late.find(v);
    return it != late.end() ? it->second : (v < n0 ? b.late[static_cast<size_t>(v)] : 0L);
  }
  bool date_late() {
    auto edges = [&](long x, auto visit) { late_edges(x, visit); };
    return region_in_order(late_region, edges, [&](long v) {
      long date = 0;
      into(v, b.user_first, b.user, changed_users_of, [&](long x) {
        if (eq(x) != nullptr) date = std::max(date, late_of(x) + 1);
      });
      late[v] = date;
    });
  }

  // The level: the highest term, the lender's outside the regions.
  long level() const {
    auto affected = [&](long v) {
      return changed.in.count(v) != 0 || early_region.in.count(v) != 0 || late_region.in.count(v) != 0;
    };
    auto top = std::find_if(b.by_level.begin(), b.by_level.end(), [&](const auto& t) { return !affected(t.second); });
    long level = top != b.by_level.end() ? top->first : 0;
    auto term = [&](long v) {
      const Bddexpression* e = eq(v);
      long e_date = e != nullptr ? early_of(v) : 0;
      return level_term(e != nullptr, e != nullptr ? e->earliest_date : 0, e_date, !w.readers(v).empty(), late_of(v));
    };
    for (const reached* r : {&changed, &early_region, &late_region})
      for (long v : r->ids) level = std::max(level, term(v));
    return level;
  }
};

bool Bddexpressionwood::date_from_lender() {
  Bddexpressionwood* from = lender_;
  if (from == nullptr || from->lender_ != nullptr || !borrowers_.empty() || dated_from_ != nullptr ||
      from->version_ != lender_version_)
    return false;
  std::shared_ptr<const fork_dating> base = from->dating_for_copies();
  if (base == nullptr || nb_var_bdd < base->n) return false;
  lender_dating d(*this, *base);
  if (!d.list_changes()) return false;
  d.reach_early();
  d.reach_late();
  d.list_changed_edges();
  if (!d.date_early() || !d.date_late()) return false;
  long level = d.level();
  if (level > 2 * d.n) return false;

  // The copy's dates: those of the regions written, the lender's read by every other id (its
  // latest dates shared, its earliest ones taken on with each equation).
  std::vector<std::pair<long, long>> early_dates(d.early.begin(), d.early.end());
  std::sort(early_dates.begin(), early_dates.end());
  for (const auto& e : early_dates) slot(e.first)->earliest_date = e.second;
  touch();
  latest_date_table.replace_prefix(base->late, static_cast<size_t>(d.n0));
  for (long v = d.n0; v < d.n; ++v) latest(v) = 0;
  for (const auto& e : d.late) latest(e.first) = e.second;
  dated_from_ = base;
  nb_level = level;
  return true;
}

// The propagation from the listed ids, in one pass over each date graph in topological
// order. Its result is the propagation's whenever the graphs are acyclic, every equation sits
// in its variable's slot, no latest date is negative (0 stands for "none" there) and the
// level stays under the bound 2n; otherwise nothing is changed and false is returned.
// Propagations from one id at a time cost the length of the chain each when the given dates
// are not yet consistent, quadratic in all.
bool Bddexpressionwood::dates_by_topological_order(const std::list<long>& ids) {
  const long n = nb_var_bdd;
  auto in_range = [n](long v) { return v >= 0 && v < n; };
  std::vector<char> seed(static_cast<size_t>(n), 0), beyond(seed.size(), 0);
  for (long i : ids)
    if (in_range(i)) seed[static_cast<size_t>(i)] = 1;
  // Each set is read once, into flat edges; the variables with a reader past the table are
  // marked for the report. A variable without equation passes a date only when listed: the
  // readers of the others are not read (they order nothing that changes, and a cycle through
  // one stops the propagation there too).
  std::vector<long> early(seed.size(), 0), late(seed.size(), 0);
  flat_edges readers_of(n), dependences_of(n);
  for (long i = 0; i < n; ++i) {
    size_t si = static_cast<size_t>(i);
    Bddexpression* e = slot(i);
    late[si] = latest(i);
    if (late[si] < 0 || !in_own_slot(e, man, i)) return false;
    if (seed[si] || e != nullptr)
      for (long r : readers(i)) {
        if (r >= n) beyond[si] = 1;
        if (in_range(r)) readers_of.add(r);
      }
    readers_of.close();
    if (e != nullptr) {
      early[si] = e->earliest_date;
      for (long d : e->vars_dependance)
        if (in_range(d)) dependences_of.add(d);
    }
    dependences_of.close();
  }
  std::vector<long> order;
  long level = nb_level;

  if (!pass_early(*this, readers_of, seed, early, order, level)) return false;
  if (!pass_late(*this, dependences_of, seed, late, order, level) || level > 2 * n) return false;

  for (long i : ids)
    if (!in_range(i))
      std::cerr << kListError << i << ">= " << n << std::endl;
    else if (beyond[static_cast<size_t>(i)])
      for (long r : readers(i))
        if (r >= n) std::cerr << kListError << r << ">= " << n << std::endl;
  for (long i = 0; i < n; ++i) {
    if (Bddexpression* e = slot(i)) e->earliest_date = early[static_cast<size_t>(i)];
    latest(i) = late[static_cast<size_t>(i)];
  }
  nb_level = level;
  return true;
}

long Bddexpressionwood::compute_dates() {
  settle();
  update_bdd_vars();
  const long n = nb_var_bdd;
  if (nb_level != 0 || n <= 0) return nb_level;
  if (date_from_lender() || dates_by_topological_order()) return nb_level;
  for (long i = 0; i < n; ++i) latest(i) = 0;
  for (long i = 0; i < n; ++i) date_step(i, kFullError);
  return nb_level;
}

long Bddexpressionwood::compute_dates(std::list<long>& ids) {
  settle();
  update_bdd_vars();
  if (nb_level <= 0) {
    nb_level = compute_dates();
    return nb_level;
  }
  if (dates_by_topological_order(ids)) return nb_level;
  for (long i : ids) {
    if (!valid_id(i)) {
      std::cerr << kListError << i << ">= " << nb_var_bdd << std::endl;
      continue;
    }
    date_step(i, kListError);
  }
  return nb_level;
}

long PERT(Bddexpressionwood* w) { return w != nullptr ? w->compute_dates() : 0; }

std::list<long> Bddexpressionwood::loop_detection() {
  settle();
  std::list<long> r;
  if (nb_level == 0) compute_dates();
  const long n = nb_var_bdd;
  if (nb_level <= n || n < 1) return r;
  for (long v = 0; v < n; ++v) {
    Bddexpression* e = slot(v);
    if (e != nullptr && (e->earliest_date > n || latest(v) > n)) r.push_back(v);
  }
  return r;
}

namespace {

// The ids 0..n-1 with a date (date(id) >= 0) by date, ascending or descending, ids ascending
// within a date: a counting sort while the highest date stays within a few times the count
// (dates set by critical paths may pass the level count), a comparison sort beyond.
template <class Date>
std::list<long> dated_order(long n, Date date, bool descending) {
  std::vector<std::pair<long, long>> dated;  // (date, id), ids ascending
  long top = -1;
  for (long id = 0; id < n; ++id) {
    long d = date(id);
    if (d < 0) continue;
    dated.emplace_back(d, id);
    top = std::max(top, d);
  }
  std::vector<long> order(dated.size());
  if (top <= 4 * static_cast<long>(dated.size()) + 1024) {
    std::vector<size_t> next(static_cast<size_t>(top) + 2, 0);
    auto bucket = [&](long d) { return static_cast<size_t>(descending ? top - d : d); };
    for (const auto& x : dated) ++next[bucket(x.first) + 1];
    for (size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
    for (const auto& x : dated) order[next[bucket(x.first)]++] = x.second;
  } else {
    if (descending)
      for (auto& x : dated) x.first = -x.first;
    std::sort(dated.begin(), dated.end());
    for (size_t k = 0; k < dated.size(); ++k) order[k] = dated[k].second;
  }
  return std::list<long>(order.begin(), order.end());
}

}  // namespace

// Both sorts run up to the greater of the level count and the highest date, so that an equation
// dated past the level count (dates set by critical paths) is not lost.
std::list<long> Bddexpressionwood::earliest_sort() const {
  if (nb_level < 0) return std::list<long>();
  return dated_order(
      nb_var_bdd,
      [this](long id) {
        Bddexpression* e = slot(id);
        return e != nullptr && e->earliest_date >= 0 ? e->earliest_date : -1;
      },
      false);
}

std::list<long> Bddexpressionwood::latest_sort() const {
  if (nb_level < 0) return std::list<long>();
  return dated_order(
      nb_var_bdd, [this](long id) { return slot(id) != nullptr && latest(id) >= 0 ? latest(id) : -1; }, true);
}

// ----- the older, self-contained computation -----

namespace {

long table_index(Bddexpression& e, long N) {
  bddpp_manager* m = e.my_bdd_manager();
  if (m == nullptr || !bdd_initialised(e.bdd_var) || e.bdd_var.manager_ref() != m) return -1;
  long x = m->Bdd_if_index(e.bdd_var);
  return x >= 0 && x < N ? x : -1;
}

template <class At>
long pert_original(long count, At at) {
  if (count < 1) return 0;
  bddpp_manager* m = at(0).my_bdd_manager();
  long N = m != nullptr ? m->Nb_bdd_vars() : 0;
  std::vector<long> early(static_cast<size_t>(N), 0), late(static_cast<size_t>(N), 0);
  for (long i = 0; i < count; ++i) {
    long x = table_index(at(i), N);
    if (x < 0) continue;
    early[static_cast<size_t>(x)] = at(i).getEarlyDate();
    late[static_cast<size_t>(x)] = at(i).getLateDate();
  }
  int overflow = 0, overflow2 = 0;
  for (bool changed = true; changed && overflow == 0;) {
    changed = false;
    for (long i = 0; i < count && !changed && overflow == 0; ++i)
      changed = learn_upstream_dependance(N, early.data(), at(i), &overflow) != 0;
  }
  for (bool changed = true; changed && overflow2 == 0;) {
    changed = false;
    for (long i = 0; i < count && !changed && overflow2 == 0; ++i)
      changed = learn_downstream_dependance(N, late.data(), at(i), &overflow2) != 0;
  }
  if (overflow == 0 && overflow2 == 0) {
    long result = normalise_min_min(N, early.data(), late.data()) + 1;
    for (long i = 0; i < count; ++i) {
      long x = table_index(at(i), N);
      if (x < 0) continue;
      at(i).setEarlyDate(early[static_cast<size_t>(x)]);
      at(i).setLateDate(late[static_cast<size_t>(x)]);
    }
    return result;
  }
  std::cout << "CYCLE DE CAUSALITE SUR:" << std::endl;
  for (long i = 0; i < count; ++i) {
    long x = table_index(at(i), N);
    if (x < 0) continue;
    if (early[static_cast<size_t>(x)] >= N && late[static_cast<size_t>(x)] >= N) std::cout << at(i) << std::endl;
  }
  std::cout << std::endl;
  return -1;
}

int learn_dependance(long N, long* dates, Bddexpression& e, int* overflow, bool upstream, const char* error) {
  long x = table_index(e, N);
  *overflow = 0;
  if (x < 0) {
    std::cerr << error << std::endl;
    return 0;
  }
  int changed = 0;
  for (long d : e.vars_dependance) {
    if (d < 0 || d >= N) continue;
    long& to = upstream ? dates[x] : dates[d];
    long from = upstream ? dates[d] : dates[x];
    if (to <= from) {
      to = from + 1;
      changed = 1;
      if (from + 1 >= 2 * N) *overflow = 1;
    }
  }
  return changed;
}

}  // namespace

long PERT_original_version(long count, Bddexpression** table) {
  return pert_original(count, [table](long i) -> Bddexpression& { return *table[i]; });
}

long PERT_original_version(long count, Bddexpression* table) {
  return pert_original(count, [table](long i) -> Bddexpression& { return table[i]; });
}

int learn_upstream_dependance(long N, long* dates, Bddexpression& e, int* overflow) {
  return learn_dependance(N, dates, e, overflow, true, "INTERNAL ERROR in learn_upstream_dependance()");
}

int learn_downstream_dependance(long N, long* dates, Bddexpression& e, int* overflow) {
  return learn_dependance(N, dates, e, overflow, false, "INTERNAL ERROR in learn_downstream_dependance()");
}

long normalise_min_min(long N, long* a, long* b) {
  if (N < 1) return 0;
  long ma = *std::min_element(a, a + N);
  long mb = *std::min_element(b, b + N);
  long top = 0;
  for (long i = 0; i < N; ++i) {
    a[i] -= ma;
    b[i] -= mb;
    top = std::max(top, std::max(a[i], b[i]));
  }
  return top;
}

void affiche_level(long N, bddpp_manager* m, long* levels) {
  for (long i = 0; i < N; ++i) std::cout << m->Name_var_by_index(i) << ":" << levels[i] << " ";
  std::cout << std::endl;
}
