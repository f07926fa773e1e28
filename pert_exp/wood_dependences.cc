// Dependence closures, critical paths, the reader table and the inlining of one local.
//
// The critical paths first run a memoised walk that also measures the longest chain; its result is
// the depth-bounded walk's whenever the graph below the start is acyclic and the chain stays under
// the bound. Otherwise the depth-bounded walk runs, on an explicit stack, in the same order.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "Bddexpression.h"
#include "g_exit.h"
#include "list.h"
#include "wood_walk.h"

namespace {

void cycle_warning(const char* where, const char* text) {
  std::cerr << "WARNING in Bddexpressionwood::" << where << "():" << std::endl;
  std::cerr << text << std::endl;
}

const char* kRecursion = "   possible infinite recursion due to a signals cycle";

// The value of a finished critical-path frame (its own weight acc plus its best child m),
// passed on to the frame that reached it.
template <class Frame>
long finish_path(long acc, long m, Frame* parent) {
  long result = acc + m;
  if (parent != nullptr && result > parent->m) parent->m = result;
  return result;
}

// The best weight m(x, d) of the vertex x entered at depth d of one depth-bounded walk, kept
// while the walk has not changed the system: entered again, x would give the same weight and
// repeat the same warnings. Around a cycle the paths up to the bound are exponentially many,
// the pairs (x, d) only as many as the vertices times the depths.
class path_memo {
 public:
  bool find(long x, long d, long& m) const {
    auto it = table_.find(key(x, d));
    if (it == table_.end()) return false;
    m = it->second;
    return true;
  }
  void keep(long x, long d, long m) { table_[key(x, d)] = m; }
  void forget() { table_.clear(); }

 private:
  static uint64_t key(long x, long d) { return static_cast<uint64_t>(x) << 32 | static_cast<uint32_t>(d); }
  std::unordered_map<uint64_t, long> table_;
};

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

// Up: M(v) = w(v) + max(0, M(d) over the dependences d that have an equation); v has one.
// Down: D(v) = max(0, w(r) + D(r) over the readers r that have an equation).
bool Bddexpressionwood::memo_walk(long root, bool up, long& value, long& height) {
  struct frame {
    long v;
    wood_walk::set_cursor successors;
    long best;    // best child value (0 when none)
    long height;  // longest chain below, in steps
  };
  wood_walk::depth_first<frame> walk;
  auto enter = [&](long x) {
    size_t s = static_cast<size_t>(x);
    walk_stamp[s] = walk_generation;
    walk_colour[s] = 1;
    walk.open(frame{x, wood_walk::set_cursor(up ? slot(x)->vars_dependance : readers(x)), 0, 0});
  };
  // What the finished vertex x gives to the one that reached it.
  auto pass = [&](long x, frame& to) {
    size_t s = static_cast<size_t>(x);
    long through = up ? walk_value[s] : slot(x)->w + walk_value[s];
    if (through > to.best) to.best = through;
    if (walk_height[s] + 1 > to.height) to.height = walk_height[s] + 1;
  };
  enter(root);
  bool acyclic = walk.run(
      [&](frame& f, long x) {
        if (slot(x) == nullptr) return;
        size_t s = static_cast<size_t>(x);
        if (walk_stamp[s] != walk_generation)
          enter(x);
        else if (walk_colour[s] == 1)
          walk.stop();
        else
          pass(x, f);
      },
      [&](frame& f, frame* parent) {
        size_t s = static_cast<size_t>(f.v);
        walk_value[s] = (up ? slot(f.v)->w : 0) + f.best;
        walk_height[s] = f.height;
        walk_colour[s] = 2;
        if (parent != nullptr) pass(f.v, *parent);
      });
  if (!acyclic) return false;
  value = walk_value[static_cast<size_t>(root)];
  height = walk_height[static_cast<size_t>(root)];
  return true;
}

// ----- critical paths -----

long Bddexpressionwood::down_critical_path(long v, long depth, long acc) {
  if (!valid_id(v) || readers(v).empty()) return acc;
  long value = 0, height = 0;
  start_walk();
  if (memo_walk(v, false, value, height) && (height == 0 || depth + height - 1 < nb_var_bdd)) return acc + value;
  return literal_down_critical_path(v, depth, acc);
}

void Bddexpressionwood::warn_of_cycles_below(long v) {
  if (!valid_id(v) || readers(v).empty()) return;
  long value = 0, height = 0;
  start_walk();
  if (!memo_walk(v, false, value, height)) cycle_warning("down_critical_path", kRecursion);
}

long Bddexpressionwood::up_critical_path(long v, long depth, long acc) {
  if (slot(v) == nullptr) return acc;
  long value = 0, height = 0;
  start_walk();
  if (memo_walk(v, true, value, height) && depth + height < nb_var_bdd) return acc + value;
  return literal_up_critical_path(v, depth, acc);
}

long Bddexpressionwood::literal_down_critical_path(long v, long depth, long acc) {
  struct frame {
    long x, depth, acc, m;
    wood_walk::set_cursor successors;
  };
  wood_walk::depth_first<frame> walk;
  path_memo memo;  // the walk changes nothing
  bool warned = false;  // once per walk, not per path
  long result = 0;
  // Opens the frame of x, or sets result and returns false when x ends at once.
  auto call = [&](long x, long d, long a) {
    long m = 0;
    if (!valid_id(x) || readers(x).empty() || memo.find(x, d, m)) {
      result = a + m;
      return false;
    }
    walk.open(frame{x, d, a, 0, wood_walk::set_cursor(readers(x))});
    return true;
  };
  if (!call(v, depth, acc)) return result;
  walk.run(
      [&](frame& f, long r) {
        Bddexpression* e = slot(r);
        if (e == nullptr) return;
        if (f.depth >= nb_var_bdd) {
          if (!warned) cycle_warning("down_critical_path", kRecursion);
          warned = true;
        } else if (!call(r, f.depth + 1, e->w) && result > f.m) {
          f.m = result;
        }
      },
      [&](frame& f, frame* parent) {
        memo.keep(f.x, f.depth, f.m);
        result = finish_path(f.acc, f.m, parent);
      });
  return result;
}

long Bddexpressionwood::literal_up_critical_path(long v, long depth, long acc) {
  struct frame {
    long x, depth, acc, m, wv;
    unsigned long changes;                // the walk's changes of the system when x was entered
    wood_walk::copied_cursor successors;  // useless_local rewrites dependence sets
  };
  wood_walk::depth_first<frame> walk;
  path_memo memo;
  unsigned long changes = 0;
  bool warned = false;  // once per walk, not per path
  long result = 0;
  const long hard_limit = 3 * nb_var_bdd;
  // Opens the frame of x, or sets result and returns false when x ends at once.
  auto call = [&](long x, long d, long a) {
    Bddexpression* e = slot(x);
    long m = 0;
    if (e == nullptr || memo.find(x, d, m)) {
      result = a + m;
      return false;
    }
    unsigned long before = changes;
    bool no_dependence = e->vars_dependance.empty();
    wood_walk::copied_cursor deps(e->vars_dependance);
    if (d >= nb_var_bdd) {
      if (useless_local(x)) {
        ++changes;
        memo.forget();
      }
      // A local that could not be inlined keeps the cycle: stop here.
      if ((!readers(x).empty() && !no_dependence) || d >= hard_limit) {
        if (!warned) cycle_warning("up_critical_path", kRecursion);
        warned = true;
        if (changes == before) memo.keep(x, d, e->w);
        result = a + e->w;
        return false;
      }
    }
    walk.open(frame{x, d, a, e->w, e->w, before, std::move(deps)});
    return true;
  };
  if (!call(v, depth, acc)) return result;
  walk.run(
      [&](frame& f, long d) {
        if (slot(d) != nullptr && !call(d, f.depth + 1, f.wv) && result > f.m) f.m = result;
      },
      [&](frame& f, frame* parent) {
        if (f.changes == changes) memo.keep(f.x, f.depth, f.m);
        result = finish_path(f.acc, f.m, parent);
      });
  return result;
}

// ----- closures -----

std::set<long> Bddexpressionwood::down_dependances(long v, long depth, std::set<long>& acc) {
  settle();
  std::set<long> result = acc;
  if (!valid_id(v)) return result;
  struct frame {
    long depth;
    wood_walk::set_cursor successors;
  };
  wood_walk::depth_first<frame> walk;
  walk.open(frame{depth, wood_walk::set_cursor(readers(v))});
  walk.run([&](frame& f, long r) {
    if (result.count(r) != 0) return;
    result.insert(r);
    if (f.depth >= nb_var_bdd)
      cycle_warning("down_dependances", "   possible infinite recusion due to a signals cycle");
    else if (valid_id(r))
      walk.open(frame{f.depth + 1, wood_walk::set_cursor(readers(r))});
  });
  return result;
}

std::set<long> Bddexpressionwood::up_dependances(long v, long depth, std::set<long>& acc) {
  settle();
  std::set<long> result = acc;
  struct frame {
    long depth;
    wood_walk::set_cursor successors;
  };
  wood_walk::depth_first<frame> walk;
  auto call = [&](long x, long d) {
    if (Bddexpression* e = slot(x)) walk.open(frame{d, wood_walk::set_cursor(e->vars_dependance)});
  };
  call(v, depth);
  walk.run([&](frame& f, long d) {
    if (result.count(d) != 0) return;
    result.insert(d);
    if (f.depth >= nb_var_bdd)
      cycle_warning("up_dependances", kRecursion);
    else
      call(d, f.depth + 1);
  });
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
  acyclic = false;
  for (long i = 0; i < nb_var_bdd; ++i) reader_set(i).clear();
  for (long i = 0; i < nb_var_bdd; ++i) {
    Bddexpression* e = slot(i);
    if (e == nullptr) continue;
    e->internal_build_dependances();
    for (long d : e->vars_dependance)
      if (valid_id(d)) reader_set(d).insert(i);
  }
}

bool Bddexpressionwood::reader_is_abstract(long id) const {
  for (long r : readers(id)) {
    Bddexpression* e = slot(r);
    if (e != nullptr && (e->abstraction != 0 || !bdd_initialised(e->bdd_exp))) return true;
  }
  return false;
}

bool Bddexpressionwood::useless_local(long v) {
  bool settled = !unsettled.empty();
  settle();
  Bddexpression* e = slot(v);
  if (e == nullptr || readers(v).empty() || e->vars_dependance.empty()) return settled;
  // An abstract equation has no right side to substitute, nor an abstract reader a BDD to rewrite.
  if (e->abstraction != 0 || !bdd_initialised(e->bdd_exp) || reader_is_abstract(v)) return settled;
  e->internal_build_dependances();
  if (e->vars_dependance.count(v) != 0) {
    std::ostringstream text;
    text << "ERROR: detected self-dependance about variable : " << v << " !!!\n";
    text << "in associated wood:\n";
    text << *this << "\n";
    g_exit(1, text.str());
  }
  std::set<long> deps = e->vars_dependance;
  for (long d : deps) {
    if (!valid_id(d)) continue;
    reader_set(d).erase(v);
    std::set<long> noted;
    for (long r : readers(v)) {
      Bddexpression* re = slot(r);
      if (re != nullptr) {
        re->bdd_exp = man->Bdd_compose(re->bdd_exp, e->bdd_var, e->bdd_exp);
        re->internal_build_dependances();
      } else {
        noted.insert(r);
      }
      reader_set(d).erase(v);
      reader_set(d).insert(r);
    }
    reader_set(v) = priv(readers(v), noted);
  }
  reader_set(v).clear();
  return true;
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
  struct frame {
    int depth;
    wood_walk::set_cursor successors;
  };
  wood_walk::depth_first<frame> walk;
  auto enter = [&](long x, int d) {
    if (d > 0) {
      for (int i = 0; i < d; ++i) os << "   ";
      os << "| ";
    }
    std::string name = valid_id(x) ? man->Name_var_by_index(x) : std::string();
    if (met.count(x) != 0) {
      os << name << " (" << x << ") -->" << std::endl;
      return;
    }
    os << name << " (" << x << ")" << std::endl;
    seen->push_back(x);
    met.insert(x);
    if (Bddexpression* e = slot(x)) walk.open(frame{d, wood_walk::set_cursor(e->vars_dependance)});
  };
  enter(v, depth);
  walk.run([&](frame& f, long x) { enter(x, f.depth + 1); });
}

std::set<long> set_reencoding(const std::set<long>& s, long* table) {
  std::set<long> r;
  for (long x : s)
    if (x >= 0) r.insert(table[x]);
  return r;
}
