// Random Jexa programs of two to four modules for the differential checks of the
// generators: a module Top runs the others, which may run those after them (three levels
// deep at most). Called modules are statement bodies (pure, or valued: emissions and data
// conditions on their valued inputs, on valued locals and on constants alone), automata (one
// state may run a module) and Mealy machines; they are run once or twice, in sequence and in
// parallel, under aborts, in loops and present branches, by name or with their signals
// renamed (valued inputs and outputs too, at each level, and valued locals of the caller). A valued input's value is read only where the input is present: a
// generated function reads the value it is given whatever the presence, where the engine
// has none.
#ifndef RANDOM_RUNS_H
#define RANDOM_RUNS_H

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace random_runs {

struct Program {
  std::string source;
  std::vector<std::string> modules;  // Top first; module i runs only modules after it
};

class ProgramMaker {
 public:
  explicit ProgramMaker(unsigned seed) : rng_(seed) {}

  Program program() {
    make_specs();
    // The called modules first, each body made before those of its callers.
    std::vector<std::string> bodies(specs_.size());
    for (size_t i = specs_.size(); i-- > 0;) bodies[i] = body(i);
    Program p;
    p.source = "data: Type: int; Constant: int 1; int 2; int 3; int 5; int 10; int ten := 10; end data\n";
    for (size_t i = 0; i < specs_.size(); ++i) {
      p.modules.push_back(specs_[i].name);
      p.source += declaration(specs_[i]) + bodies[i] + "\nend\n";
    }
    return p;
  }

 private:
  enum Kind { Statement, Valued, Automaton, Mealy };
  struct Io {
    std::vector<std::string> in, vin, out, vout;  // pure and valued (int) inputs and outputs
  };
  struct Spec {
    std::string name;
    Kind kind;
    Io io;
  };
  // What a statement may name: the module's interface, the locals in scope, the modules
  // it may run.
  struct Scope {
    size_t module;
    Io io;
  };

  std::mt19937 rng_;
  std::vector<Spec> specs_;
  int locals_ = 0;

  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  const std::string& pick(const std::vector<std::string>& from) {
    return from[static_cast<size_t>(below(static_cast<int>(from.size())))];
  }
  // 1 to most distinct names of pool (at least least).
  std::vector<std::string> some(std::vector<std::string> pool, int least, int most) {
    std::shuffle(pool.begin(), pool.end(), rng_);
    pool.resize(static_cast<size_t>(least + below(most - least + 1)));
    return pool;
  }

  // ----- modules -----

  void make_specs() {
    const int n = 2 + below(3);
    // Names sorting before and after Top: modules are compiled in name order.
    std::vector<std::string> names = {"Amp", "Low", "Mid", "Oru", "Sub", "Zed", "Bel", "Vox"};
    std::shuffle(names.begin(), names.end(), rng_);
    specs_.clear();
    specs_.push_back({"Top", Statement, {{"I", "J"}, {"X", "Y"}, {"O", "P"}, {"Z", "W"}}});
    for (int i = 1; i < n; ++i) {
      Spec s{names[static_cast<size_t>(i)], Statement, {}};
      bool leaf = i == n - 1;
      int k = below(leaf ? 4 : 3);
      s.kind = k == 0 ? Statement : k == 1 ? Valued : k == 2 ? Automaton : Mealy;
      // Names shared with Top let a run go by name; the others must be renamed.
      s.io.in = some({"I", "J", "A"}, 1, 2);
      s.io.out = some({"O", "P", "B"}, 1, 2);
      if (s.kind == Valued || (s.kind == Statement && chance(50))) {
        s.io.vin = some({"X", "Y", "V"}, 1, 2);
        s.io.vout = some({"Z", "W", "N"}, 1, 2);
      }
      specs_.push_back(s);
    }
  }

  static std::string joined(const std::vector<std::string>& names, const std::string& type) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n + type;
    return s;
  }

  std::string declaration(const Spec& s) {
    std::string in = joined(s.io.in, ""), vin = joined(s.io.vin, " : int");
    std::string out = joined(s.io.out, ""), vout = joined(s.io.vout, " : int");
    return "module " + s.name + ": Input: " + in + (vin.empty() ? "" : ", " + vin) + "; Output: " + out +
           (vout.empty() ? "" : ", " + vout) + ";\n";
  }

  std::string body(size_t i) {
    Scope scope{i, specs_[i].io};
    switch (specs_[i].kind) {
      case Automaton: return automaton(scope);
      case Mealy: return mealy(specs_[i].io);
      default: break;
    }
    if (i == 0) return runs(3, scope);  // Top runs at least one module
    return statement(i + 1 < specs_.size() ? 3 : 2, scope);
  }

  std::string automaton(Scope& scope) {
    const Io& io = specs_[scope.module].io;
    std::string run_state = "state: S2 / " + pick(io.out) + ";\n";
    if (std::string r = run(scope); !r.empty() && chance(60)) run_state = "state: S2 " + r + ";\n";
    return "automaton\nstate: S0;\nstate: S1 / " + pick(io.out) + ";\n" + run_state + "transition:\ninitial -> S0;\n" +
           "S0 [" + pick(io.in) + "] -> S1;\nS1 [" + pick(io.in) + "] " + pick({"strong->", "weak->"}) + " S2;\n" +
           "S2 [" + pick(io.in) + "] -> S0;";
  }

  std::string mealy(const Io& io) {
    std::string s = "Mealy Machine Register: r : " + std::to_string(below(2)) + " : rn;";
    s += " rn = r xor " + pick(io.in) + ";";
    for (const std::string& o : io.out)
      s += " " + o + " = " +
           pick({"rn", "r and " + pick(io.in), "not (r xor " + pick(io.in) + ")", "abs rn", "(r or " + pick(io.in) + ") and rn"}) +
           ";";
    return s;
  }

  // ----- statements -----

  // A value of an int expression over v, a valued input present where it is read.
  std::string value(const std::string& v) { return pick({"#" + v + " + 1", "#" + v + " * 2", "#" + v + " - 3", "5"}); }

  std::string emission(const Scope& s) {
    if (s.io.vout.empty() || s.io.vin.empty()) return "emit " + pick(s.io.out);
    std::string v = pick(s.io.vin);
    return "present " + v + " { emit " + pick(s.io.vout) + "(" + value(v) + ") }";
  }

  std::string statement(int depth, Scope& s) {
    if (depth <= 0) {
      switch (below(4)) {
        case 0: return "pause";
        case 1: return "nothing";
        case 2: return emission(s);
        default: return "emit " + pick(s.io.out);
      }
    }
    const int d = depth - 1;
    auto sub = [&] { return "{ " + statement(d, s) + " }"; };
    std::vector<std::string> tested = s.io.in;
    tested.insert(tested.end(), s.io.vin.begin(), s.io.vin.end());
    switch (below(16)) {
      case 0: return emission(s);
      case 1: return sub() + " >> " + sub();
      case 2: return sub() + " || " + sub();
      case 3: return "present " + pick(tested) + " " + sub() + " else " + sub();
      case 4: return looped(d, s);
      case 5: return pick({"weak", "strong"}) + " abort " + sub() + " when " + pick(tested);
      case 6: return waiting(s);
      case 7: return condition(d, s);
      case 8: return "sustain " + pick(s.io.out) + " until " + pick(s.io.in);
      case 9: return pure_local(d, s);
      case 10: return valued_local(d, s);
      default: {
        std::string r = runs(d, s);
        return r.empty() ? sub() + " >> " + sub() : r;
      }
    }
  }

  std::string looped(int d, Scope& s) {
    return "loop { { " + statement(d, s) + " } >> pause }";
  }

  std::string waiting(const Scope& s) {
    if (s.io.vin.empty() || s.io.vout.empty()) return "wait 1 " + pick(s.io.in);
    std::string v = pick(s.io.vin);
    return "wait " + v + " >> present " + v + " { emit " + pick(s.io.vout) + "(" + value(v) + ") }";
  }

  // A data condition on a valued input, where it is present; or on constants alone.
  std::string condition(int d, Scope& s) {
    auto sub = [&] { return "{ " + statement(d, s) + " }"; };
    if (chance(25)) return "if " + pick({"ten > 3", "2 > 3", "ten == 10"}) + " " + sub() + " else " + sub();
    if (s.io.vin.empty()) return "present " + pick(s.io.in) + " " + sub() + " else " + sub();
    std::string v = pick(s.io.vin);
    return "present " + v + " { if #" + v + " " + pick({"> 3", "< 10", "== 5", "> 10"}) + " " + sub() + " else " +
           sub() + " }";
  }

  // A pure local: emitted and tested by the body, and by the runs in it.
  std::string pure_local(int d, Scope& s) {
    std::string L = "L" + std::to_string(locals_++);
    Scope inner = s;
    inner.io.in.push_back(L);
    inner.io.out.push_back(L);
    return "local " + L + " { " + statement(d, inner) + " }";
  }

  // A valued local that the body emits and reads, in a data condition at times; runs in its
  // scope may also rename a valued signal by it.
  std::string valued_local(int d, Scope& s) {
    if (s.io.vin.empty() || s.io.vout.empty()) return pure_local(d, s);
    std::string L = "W" + std::to_string(locals_++), v = pick(s.io.vin);
    Scope inner = s;
    inner.io.vin.push_back(L);
    inner.io.vout.push_back(L);
    std::string emit = "present " + v + " { emit " + L + "(" + value(v) + ") }";
    std::string read = "emit " + pick(s.io.vout) + "(#" + L + " + 1)";
    if (chance(50)) read = "if #" + L + " > 3 emit " + pick(s.io.out);
    return "local " + L + " : int { { " + emit + " } " + pick({">>", "||"}) + " { present " + L + " { " + read +
           " } } || { " + statement(d, inner) + " } }";
  }

  // ----- runs -----

  // A run in a context: once or twice, in sequence or in parallel, under an abort, in a loop
  // or a present branch; "" when the module may run none.
  std::string runs(int d, Scope& s) {
    std::string r = run(s);
    if (r.empty()) return "";
    // Another run, or r again when there is none.
    auto inner = [&](int depth) {
      std::string other = depth < 0 ? run(s) : runs(depth, s);
      return other.empty() ? r : other;
    };
    auto sub = [&] { return "{ " + statement(d > 0 ? d - 1 : 0, s) + " }"; };
    switch (below(d > 0 ? 10 : 4)) {
      case 0: return r;
      case 1: return r + " >> " + inner(-1);
      case 2: return parallel(r, [&] { return run(s); }, [&] { return run(s); });
      case 3: return "{ " + r + " } >> { " + r + " }";  // one module twice
      case 4: return pick({"weak", "strong"}) + " abort { " + inner(d - 1) + " } when " + pick(s.io.in);
      case 5: return looped_run(d - 1, s, r);
      case 6: return "present " + pick(s.io.in) + " { " + inner(d - 1) + " } else " + sub();
      case 7: return sub() + " >> { " + r + " }";
      case 8: return parallel(r, [&] { return run(s); }, [&] { return statement(d - 1, s); });
      default: return parallel(r, [&] { return runs(d - 1, s); }, [&] { return runs(d - 1, s); });
    }
  }

  // Runs in a loop; r (a run outside it) when none may be run there.
  std::string looped_run(int d, Scope& s, const std::string& r) {
    std::string body = runs(d, s);
    return body.empty() ? r : "loop { { " + body + " } >> pause }";
  }

  // Two branches in parallel, each with a run at least in the first; r (outside any
  // parallel) when no module may be run there.
  template <class Left, class Right>
  std::string parallel(const std::string& r, Left left, Right right) {
    std::string a = left();
    std::string b = right();
    return a.empty() || b.empty() ? r : "{ " + a + " } || { " + b + " }";
  }

  // The modules s may run: after its own, and each of its valued signals renamable by one of
  // s's.
  std::vector<size_t> callees(const Scope& s) const {
    std::vector<size_t> out;
    for (size_t k = s.module + 1; k < specs_.size(); ++k) {
      const Io& io = specs_[k].io;
      if (!io.vin.empty() && s.io.vin.empty()) continue;
      if (!io.vout.empty() && s.io.vout.empty()) continue;
      out.push_back(k);
    }
    return out;
  }

  // One signal of a run: by name when the caller has it, at times, else renamed by one of
  // the caller's signals of its kind.
  void rename(const std::string& formal, const std::vector<std::string>& actuals, std::vector<std::string>& list) {
    bool by_name = std::find(actuals.begin(), actuals.end(), formal) != actuals.end() && chance(50);
    if (!by_name) list.push_back(pick(actuals) + " \\ " + formal);
  }

  std::string run(Scope& s) {
    std::vector<size_t> can = callees(s);
    if (can.empty()) return "";
    size_t k = can[static_cast<size_t>(below(static_cast<int>(can.size())))];
    const Spec& callee = specs_[k];
    std::vector<std::string> list;
    for (const std::string& f : callee.io.in) rename(f, s.io.in, list);
    for (const std::string& f : callee.io.vin) rename(f, s.io.vin, list);
    for (const std::string& f : callee.io.out) rename(f, s.io.out, list);
    for (const std::string& f : callee.io.vout) rename(f, s.io.vout, list);
    std::string r = "run " + callee.name;
    if (list.empty()) return r;
    r += " [";
    for (size_t i = 0; i < list.size(); ++i) r += (i == 0 ? "" : ", ") + list[i];
    return r + "]";
  }
};

}  // namespace random_runs

#endif
