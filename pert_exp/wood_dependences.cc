// Dependence closures, critical paths, the reader table and the inlining of one local.
//
// The critical paths first run a memoised walk that also measures the longest chain; its result is
// the depth-bounded walk's whenever the graph below the start is acyclic and the chain stays under
// the bound. Otherwise the depth-bounded walk runs, on an explicit stack, in the same order.
#include <cstdlib>
#include <iostream>
#include <unordered_set>

#include "Bddexpression.h"
#include "list.h"

namespace {

bool initialised(const bdd& b) { return b.manager_ref() != nullptr && b.node() != nullptr; }

void cycle_warning(const char* where, const char* text) {
  std::cerr << "WARNING in Bddexpressionwood::" << where << "():" << std::endl;
  std::cerr << text << std::endl;
}

const char* kRecursion = "   possible infinite recursion due to a signals cycle";

}  // namespace

// ----- memoised walks -----

void Bddexpressionwood::start_walk() {
  size_t n = static_cast<size_t>(nb_var_bdd);
  if (walk_stamp.size() < n) {
    walk_stamp.resize(n, 0);
    walk_value.resize(n, 0);
    walk_height.resize(n, 0);
    walk_colour.resize(n, 0);
  }
  ++walk_generation;
}

namespace {

struct memo_frame {
  long v;
  std::set<long>::const_iterator it;
  std::set<long>::const_iterator end;
  long best;    // best child value (0 when none)
  long height;  // longest chain below, in steps
};

}  // namespace

// Up: M(v) = w(v) + max(0, M(d) over the dependences d that have an equation); v has one.
bool Bddexpressionwood::memo_up(long root, long& value, long& height) {
  std::vector<memo_frame> stack;
  auto enter = [&](long x) {
    size_t s = static_cast<size_t>(x);
    walk_stamp[s] = walk_generation;
    walk_colour[s] = 1;
    const std::set<long>& deps = slot(x)->vars_dependance;
    stack.push_back(memo_frame{x, deps.begin(), deps.end(), 0, 0});
  };
  enter(root);
  while (!stack.empty()) {
    memo_frame& f = stack.back();
    if (f.it != f.end) {
      long d = *f.it;
      ++f.it;
      if (slot(d) == nullptr) continue;
      size_t s = static_cast<size_t>(d);
      if (walk_stamp[s] == walk_generation) {
        if (walk_colour[s] == 1) return false;
        if (walk_value[s] > f.best) f.best = walk_value[s];
        if (walk_height[s] + 1 > f.height) f.height = walk_height[s] + 1;
        continue;
      }
      enter(d);
      continue;
    }
    size_t s = static_cast<size_t>(f.v);
    walk_value[s] = slot(f.v)->w + f.best;
    walk_height[s] = f.height;
    walk_colour[s] = 2;
    stack.pop_back();
    if (!stack.empty()) {
      memo_frame& p = stack.back();
      if (walk_value[s] > p.best) p.best = walk_value[s];
      if (walk_height[s] + 1 > p.height) p.height = walk_height[s] + 1;
    }
  }
  value = walk_value[static_cast<size_t>(root)];
  height = walk_height[static_cast<size_t>(root)];
  return true;
}

// Down: D(v) = max(0, w(r) + D(r) over the readers r that have an equation).
bool Bddexpressionwood::memo_down(long root, long& value, long& height) {
  std::vector<memo_frame> stack;
  auto enter = [&](long x) {
    size_t s = static_cast<size_t>(x);
    walk_stamp[s] = walk_generation;
    walk_colour[s] = 1;
    const std::set<long>& rs = readers(x);
    stack.push_back(memo_frame{x, rs.begin(), rs.end(), 0, 0});
  };
  enter(root);
  while (!stack.empty()) {
    memo_frame& f = stack.back();
    if (f.it != f.end) {
      long r = *f.it;
      ++f.it;
      Bddexpression* e = slot(r);
      if (e == nullptr) continue;
      size_t s = static_cast<size_t>(r);
      if (walk_stamp[s] == walk_generation) {
        if (walk_colour[s] == 1) return false;
        if (e->w + walk_value[s] > f.best) f.best = e->w + walk_value[s];
        if (walk_height[s] + 1 > f.height) f.height = walk_height[s] + 1;
        continue;
      }
      enter(r);
      continue;
    }
    size_t s = static_cast<size_t>(f.v);
    walk_value[s] = f.best;
    walk_height[s] = f.height;
    walk_colour[s] = 2;
    long done = f.v;
    stack.pop_back();
    if (!stack.empty()) {
      memo_frame& p = stack.back();
      long through = slot(done)->w + walk_value[s];
      if (through > p.best) p.best = through;
      if (walk_height[s] + 1 > p.height) p.height = walk_height[s] + 1;
    }
  }
  value = walk_value[static_cast<size_t>(root)];
  height = walk_height[static_cast<size_t>(root)];
  return true;
}

// ----- critical paths -----

long Bddexpressionwood::down_critical_path(long v, long depth, long acc) {
  if (!valid_id(v) || readers(v).empty()) return acc;
  long value = 0, height = 0;
  start_walk();
  if (memo_down(v, value, height) && (height == 0 || depth + height - 1 < nb_var_bdd)) return acc + value;
  return literal_down_critical_path(v, depth, acc);
}

long Bddexpressionwood::up_critical_path(long v, long depth, long acc) {
  if (slot(v) == nullptr) return acc;
  long value = 0, height = 0;
  start_walk();
  if (memo_up(v, value, height) && depth + height < nb_var_bdd) return acc + value;
  return literal_up_critical_path(v, depth, acc);
}

long Bddexpressionwood::literal_down_critical_path(long v, long depth, long acc) {
  struct frame {
    long v, depth, acc, m;
    std::set<long>::const_iterator it, end;
  };
  std::vector<frame> stack;
  long result = 0;
  auto call = [&](long x, long d, long a) {
    if (!valid_id(x) || readers(x).empty()) {
      result = a;
      return false;
    }
    stack.push_back(frame{x, d, a, 0, readers(x).begin(), readers(x).end()});
    return true;
  };
  if (!call(v, depth, acc)) return result;
  while (!stack.empty()) {
    frame& f = stack.back();
    if (f.it != f.end) {
      long r = *f.it;
      ++f.it;
      Bddexpression* e = slot(r);
      if (e == nullptr) continue;
      if (f.depth < nb_var_bdd) {
        long d = f.depth + 1;
        if (!call(r, d, e->w) && result > stack.back().m) stack.back().m = result;
      } else {
        cycle_warning("down_critical_path", kRecursion);
      }
      continue;
    }
    result = f.acc + f.m;
    stack.pop_back();
    if (!stack.empty() && result > stack.back().m) stack.back().m = result;
  }
  return result;
}

long Bddexpressionwood::literal_up_critical_path(long v, long depth, long acc) {
  struct frame {
    long v, depth, acc, m, wv;
    std::vector<long> deps;
    size_t i;
  };
  std::vector<frame> stack;
  long result = 0;
  const long hard_limit = 3 * nb_var_bdd;
  // Pushes the frame of x, or sets result and returns false when x ends at once.
  auto call = [&](long x, long d, long a) {
    Bddexpression* e = slot(x);
    if (e == nullptr) {
      result = a;
      return false;
    }
    std::vector<long> deps(e->vars_dependance.begin(), e->vars_dependance.end());
    if (d >= nb_var_bdd) {
      useless_local(x);
      // A local that could not be inlined keeps the cycle: stop here.
      if ((!readers(x).empty() && !deps.empty()) || d >= hard_limit) {
        cycle_warning("up_critical_path", kRecursion);
        result = a + e->w;
        return false;
      }
    }
    stack.push_back(frame{x, d, a, e->w, e->w, std::move(deps), 0});
    return true;
  };
  if (!call(v, depth, acc)) return result;
  while (!stack.empty()) {
    frame& f = stack.back();
    if (f.i < f.deps.size()) {
      long d = f.deps[f.i++];
      if (slot(d) == nullptr) continue;
      long next = f.depth + 1;
      long wv = f.wv;
      if (!call(d, next, wv) && result > stack.back().m) stack.back().m = result;
      continue;
    }
    result = f.acc + f.m;
    stack.pop_back();
    if (!stack.empty() && result > stack.back().m) stack.back().m = result;
  }
  return result;
}

// ----- closures -----

std::set<long> Bddexpressionwood::down_dependances(long v, long depth, std::set<long>& acc) {
  std::set<long> result = acc;
  if (!valid_id(v)) return result;
  struct frame {
    long v, depth;
    std::set<long>::const_iterator it, end;
  };
  std::vector<frame> stack;
  stack.push_back(frame{v, depth, readers(v).begin(), readers(v).end()});
  while (!stack.empty()) {
    frame& f = stack.back();
    if (f.it == f.end) {
      stack.pop_back();
      continue;
    }
    long r = *f.it;
    ++f.it;
    if (result.count(r) != 0) continue;
    result.insert(r);
    if (f.depth < nb_var_bdd) {
      long d = f.depth + 1;
      if (valid_id(r)) stack.push_back(frame{r, d, readers(r).begin(), readers(r).end()});
    } else {
      cycle_warning("down_dependances", "   possible infinite recusion due to a signals cycle");
    }
  }
  return result;
}

std::set<long> Bddexpressionwood::up_dependances(long v, long depth, std::set<long>& acc) {
  std::set<long> result = acc;
  struct frame {
    long depth;
    std::vector<long> deps;
    size_t i;
  };
  std::vector<frame> stack;
  auto call = [&](long x, long d) {
    Bddexpression* e = slot(x);
    if (e != nullptr)
      stack.push_back(frame{d, std::vector<long>(e->vars_dependance.begin(), e->vars_dependance.end()), 0});
  };
  call(v, depth);
  while (!stack.empty()) {
    frame& f = stack.back();
    if (f.i == f.deps.size()) {
      stack.pop_back();
      continue;
    }
    long d = f.deps[f.i++];
    if (result.count(d) != 0) continue;
    result.insert(d);
    if (f.depth >= nb_var_bdd) {
      cycle_warning("up_dependances", kRecursion);
    } else {
      long next = f.depth + 1;
      call(d, next);
    }
  }
  return result;
}

// ----- reader table -----

void Bddexpressionwood::coherence_dependances_check(std::ostream&) const {
  std::vector<std::set<long>> computed(static_cast<size_t>(nb_var_bdd));
  for (long i = 0; i < nb_var_bdd; ++i) {
    Bddexpression* e = slot(i);
    if (e == nullptr) continue;
    for (long d : e->vars_dependance)
      if (valid_id(d)) computed[static_cast<size_t>(d)].insert(i);
  }
  for (long v = 0; v < nb_var_bdd; ++v) {
    const std::set<long>& c = computed[static_cast<size_t>(v)];
    if (c == readers(v)) continue;
    std::cerr << "incoherence sur table des amonts pour la variable " << v << ": calcule: " << c << " trouve"
              << readers(v) << std::endl;
  }
}

void Bddexpressionwood::internal_global_build_dependances() {
  for (long i = 0; i < nb_var_bdd; ++i) readers(i).clear();
  for (long i = 0; i < nb_var_bdd; ++i) {
    Bddexpression* e = slot(i);
    if (e == nullptr) continue;
    e->internal_build_dependances();
    for (long d : e->vars_dependance)
      if (valid_id(d)) readers(d).insert(i);
  }
}

bool Bddexpressionwood::reader_is_abstract(long id) const {
  for (long r : readers(id)) {
    Bddexpression* e = slot(r);
    if (e != nullptr && (e->abstraction != 0 || !initialised(e->bdd_exp))) return true;
  }
  return false;
}

void Bddexpressionwood::useless_local(long v) {
  Bddexpression* e = slot(v);
  if (e == nullptr || readers(v).empty() || e->vars_dependance.empty()) return;
  // An abstract equation has no right side to substitute, nor an abstract reader a BDD to rewrite.
  if (e->abstraction != 0 || !initialised(e->bdd_exp) || reader_is_abstract(v)) return;
  e->internal_build_dependances();
  if (e->vars_dependance.count(v) != 0) {
    std::cerr << "ERROR: detected self-dependance about variable : " << v << " !!!" << std::endl;
    std::cerr << "in associated wood:" << std::endl;
    std::cerr << *this << std::endl;
    std::exit(1);
  }
  std::set<long> deps = e->vars_dependance;
  for (long d : deps) {
    if (!valid_id(d)) continue;
    readers(d).erase(v);
    std::set<long> noted;
    for (long r : readers(v)) {
      Bddexpression* re = slot(r);
      if (re != nullptr) {
        re->bdd_exp = man->Bdd_compose(re->bdd_exp, e->bdd_var, e->bdd_exp);
        re->internal_build_dependances();
      } else {
        noted.insert(r);
      }
      readers(d).erase(v);
      readers(d).insert(r);
    }
    readers(v) = priv(readers(v), noted);
  }
  readers(v).clear();
}

// ----- printed dependence tree -----

void Bddexpressionwood::stat_early_dep(std::ostream& os, long v) {
  std::list<long> seen;
  internal_stat_early_dep(os, v, 0, &seen);
}

void Bddexpressionwood::internal_stat_early_dep(std::ostream& os, long v, int depth, std::list<long>* seen) {
  std::list<long> local;
  if (seen == nullptr) seen = &local;
  std::unordered_set<long> met(seen->begin(), seen->end());
  std::vector<std::pair<long, int>> stack{{v, depth}};
  while (!stack.empty()) {
    auto [x, d] = stack.back();
    stack.pop_back();
    if (d > 0) {
      for (int i = 0; i < d; ++i) os << "   ";
      os << "| ";
    }
    std::string name = valid_id(x) ? man->Name_var_by_index(x) : std::string();
    if (met.count(x) != 0) {
      os << name << " (" << x << ") -->" << std::endl;
      continue;
    }
    os << name << " (" << x << ")" << std::endl;
    seen->push_back(x);
    met.insert(x);
    Bddexpression* e = slot(x);
    if (e == nullptr) continue;
    for (auto it = e->vars_dependance.rbegin(); it != e->vars_dependance.rend(); ++it) stack.push_back({*it, d + 1});
  }
}

std::set<long> set_reencoding(const std::set<long>& s, long* table) {
  std::set<long> r;
  for (long x : s)
    if (x >= 0) r.insert(table[x]);
  return r;
}
