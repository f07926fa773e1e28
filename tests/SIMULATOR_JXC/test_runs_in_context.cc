// A module run by a caller reacts as it does alone. Random callees (statements, with data or
// not, automata, Mealy machines) are run in random contexts whose reactions follow from the
// callee's own: alone, in a loop after which a pause follows, under aborts whose signal never
// comes, in either branch of a parallel with a halt, one instant late, each with the callee's
// signals renamed onto the caller's inputs, outputs and (valued) locals, and nested in a
// second caller. The caller is built by build_example and read from its .jxc; the reactions
// it must give are computed from the callee compiled alone, cut and shifted as the contexts
// say. And a caller whose runs of a statement callee are replaced by the callee's body,
// renamed, reacts as the caller with the runs. ZARIM_CONTEXT_PROGRAMS and
// ZARIM_CONTEXT_FIRST_SEED, ZARIM_INLINE_PROGRAMS and ZARIM_INLINE_FIRST_SEED choose the
// programs of each check (300 from seed 1), run in blocks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "built_program.h"
#include "child_end.h"
#include "module_and_files.h"
#include "random_blocks.h"

namespace {

// A fault the checks leave out until it is fixed: a valued output that a callee never emits
// reads false alone and bottom in its caller (the caller may emit the signal it is renamed
// onto, and the false of the callee's occurrences would clash with it). Unset, both checks
// read false as bottom on those outputs.
const bool kCompareSilentValuedOutputs = false;
// Another: a pure output that a statement callee never emits reads false in its caller, but
// bottom in the instant a strong abort kills the run ("strong abort { run M [C \ A, B1 \ B] }
// when C", M a pause): the abort masks every rail its body defines, and the run defines each
// output it renames, where the body in its place never defines it and finalisation makes it
// false. So does one the callee emits only where the caller never lets it run. Unset, the
// inlining check reads false as bottom on an output of a run never present in either trace.
const bool kCompareNeverPresentRunOutputs = false;

// Whether output o is never present (nor in error) in the written trace t.
bool never_present(const Trace& t, const std::string& o) {
  for (const std::string& r : t) {
    size_t at = (" " + r).find(" " + o + "=");
    if (at != std::string::npos && r[at + o.size() + 1] != 'F' && r[at + o.size() + 1] != 'B') return false;
  }
  return true;
}

// Whether the written traces agree, "?" in want standing for false or bottom.
bool agree(const Trace& want, const Trace& got) {
  if (want.size() != got.size()) return false;
  for (size_t i = 0; i < want.size(); ++i) {
    std::istringstream w(want[i]), g(got[i]);
    std::string a, b;
    while (w >> a) {
      if (!(g >> b)) return false;
      if (a != b && !(a.back() == '?' && a.substr(0, a.size() - 1) == b.substr(0, b.size() - 1) &&
                      (b.back() == 'F' || b.back() == 'B')))
        return false;
    }
    if (g >> b) return false;
  }
  return true;
}

// The trace with false read as bottom on the given outputs.
Trace false_as_bottom(Trace t, const std::set<std::string>& outputs) {
  for (std::string& r : t)
    for (const std::string& o : outputs)
      for (size_t at = r.find(o + "=F"); at != std::string::npos; at = r.find(o + "=F", at + 1))
        if (at == 0 || r[at - 1] == ' ') r[at + o.size() + 1] = 'B';
  return t;
}

const char* const kData = "data: Type: int; Constant: int 0; int 1; int 2; int 3; int 5; int 10; end data\n";

std::string listed(const std::vector<std::string>& names, const std::string& type = "") {
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n + type;
  return s;
}

// The interface of a module: pure and valued (int) inputs and outputs.
struct Io {
  std::vector<std::string> in, vin, out, vout;
  std::string declaration(const std::string& name) const {
    std::string ins = listed(in), outs = listed(out);
    if (!vin.empty()) ins += (ins.empty() ? "" : ", ") + listed(vin, " : int");
    if (!vout.empty()) outs += (outs.empty() ? "" : ", ") + listed(vout, " : int");
    return "module " + name + ": Input: " + ins + "; Output: " + outs + ";\n";
  }
};

std::vector<std::string> outputs_of(const Io& io) {
  std::vector<std::string> o = io.out;
  o.insert(o.end(), io.vout.begin(), io.vout.end());
  return o;
}

typedef std::function<std::string(const std::string&)> Names;

// A random callee. Its body is made again from one seed for each renaming of its interface
// signals (its own locals keep their names), so that it can be written in place of a run.
class Callee {
 public:
  enum Kind { Statement, Valued, Automaton, Mealy };

  Callee(unsigned seed, bool statement_only) : rng_(seed) {
    kind = static_cast<Kind>(below(statement_only ? 2 : 4));
    const std::vector<std::string> names = {"Cal", "Mq", "Sub", "Bx", "Zed"};
    name = names[static_cast<size_t>(below(static_cast<int>(names.size())))];
    io.in = some({"A", "C"});
    io.out = some({"B", "D"});
    if (kind == Valued || (kind == Automaton && below(2) == 0)) io.vout = some({"Y", "N"});
    if (kind == Valued) {
      io.vin = some({"X", "V"});
      for (const std::string& y : io.vout) {
        // One value for every emission of an output: of two in one instant, the one whose
        // binding sorts first would give it.
        std::string v = pick(io.vin);
        values_[y] = {v, pick({"#" + v + " + 1", "#" + v + " * 2", "5"})};
      }
    }
    body_seed_ = static_cast<unsigned>(rng_());
  }

  Kind kind;
  std::string name;
  Io io;

  // The body with every interface signal s written as name(s).
  std::string body(const Names& name) {
    std::mt19937 saved = rng_;
    rng_.seed(body_seed_);
    locals_ = 0;
    std::string b;
    switch (kind) {
      case Automaton: b = automaton(name); break;
      case Mealy: b = mealy(name); break;
      default: {
        Scope s{name, io.in, io.out, {}, {}};
        b = statement(4, s);
      }
    }
    rng_ = saved;
    return b;
  }

  static std::string same(const std::string& s) { return s; }

  // The module; for a statement, with done emitted when the body ends.
  std::string module(const std::string& done = "") {
    if (done.empty() || (kind != Statement && kind != Valued)) return io.declaration(name) + body(same) + "\nend\n";
    Io with = io;
    with.out.push_back(done);
    return with.declaration(name) + "{ " + body(same) + " } >> emit " + done + "\nend\n";
  }

  // The outputs the body never names: no emission, no action, no equation.
  std::set<std::string> silent() {
    const std::string b = " " + body(same) + " ";
    std::set<std::string> out;
    for (const std::string& o : outputs_of(io)) {
      bool named = false;
      for (size_t at = b.find(o); at != std::string::npos && !named; at = b.find(o, at + 1))
        named = !std::isalnum(static_cast<unsigned char>(b[at - 1])) &&
                !std::isalnum(static_cast<unsigned char>(b[at + o.size()]));
      if (!named) out.insert(o);
    }
    return out;
  }

  std::set<std::string> silent_valued() {
    std::set<std::string> out;
    for (const std::string& o : silent())
      if (std::find(io.vout.begin(), io.vout.end(), o) != io.vout.end()) out.insert(o);
    return out;
  }

  // A reaction's inputs: each input present at random, a valued one with a value; one not
  // present is bottom, or false when absent_false is set.
  Trace inputs(int reactions, bool absent_false) {
    Trace t;
    for (int i = 0; i < reactions; ++i) {
      std::string r;
      for (const std::string& s : io.in)
        if (below(2) == 0)
          r += " " + s + "=T";
        else if (absent_false)
          r += " " + s + "=F";
      for (const std::string& s : io.vin)
        if (below(2) == 0)
          r += " " + s + "=T:" + std::to_string(below(13));
        else if (absent_false)
          r += " " + s + "=F";
      t.push_back(r.empty() ? r : r.substr(1));
    }
    return t;
  }

 private:
  std::mt19937 rng_;
  unsigned body_seed_ = 0;
  int locals_ = 0;
  std::map<std::string, std::pair<std::string, std::string>> values_;  // output: input read, value

  struct Scope {
    const Names& name;
    std::vector<std::string> tested, emitted;  // interface signals, then locals (not renamed)
    std::vector<std::string> local_tested, local_emitted;
  };

  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string pick(const std::vector<std::string>& from) {
    return from[static_cast<size_t>(below(static_cast<int>(from.size())))];
  }
  std::vector<std::string> some(std::vector<std::string> pool) {
    std::shuffle(pool.begin(), pool.end(), rng_);
    pool.resize(static_cast<size_t>(1 + below(static_cast<int>(pool.size()))));
    std::sort(pool.begin(), pool.end());
    return pool;
  }

  // A signal the scope may test, or emit, renamed when it is of the interface.
  std::string tested(Scope& s) {
    int n = static_cast<int>(s.tested.size() + s.local_tested.size());
    size_t k = static_cast<size_t>(below(n));
    return k < s.tested.size() ? s.name(s.tested[k]) : s.local_tested[k - s.tested.size()];
  }
  std::string emitted(Scope& s) {
    int n = static_cast<int>(s.emitted.size() + s.local_emitted.size());
    size_t k = static_cast<size_t>(below(n));
    return k < s.emitted.size() ? s.name(s.emitted[k]) : s.local_emitted[k - s.emitted.size()];
  }

  std::string condition(Scope& s) {
    switch (below(7)) {
      case 0: return tested(s) + " and " + tested(s);
      case 1: return tested(s) + " or not " + tested(s);
      case 2: return "not " + tested(s);
      case 4: return "abs " + tested(s);
      case 5: return "abs (" + tested(s) + " or " + tested(s) + ")";
      case 6: return "not abs " + tested(s);
      default: return tested(s);
    }
  }

  // An emission of a valued output, its input read where present.
  std::string valued_emission(Scope& s) {
    std::string y = pick(io.vout);
    const auto& [v, value] = values_[y];
    std::string e = value;
    for (size_t at = 0; (at = e.find("#" + v, at)) != std::string::npos; at += 1 + s.name(v).size())
      e.replace(at, v.size() + 1, "#" + s.name(v));
    std::string emit = "emit " + s.name(y) + "(" + e + ")";
    return value == "5" ? emit : "present " + s.name(v) + " { " + emit + " }";
  }

  std::string leaf(Scope& s) {
    switch (below(io.vout.empty() ? 4 : 5)) {
      case 0: return "pause";
      case 1: return "nothing";
      case 2: return below(3) == 0 ? "noemit " + emitted(s) : "emit " + emitted(s);
      case 3: return "emit " + emitted(s);
      default: return valued_emission(s);
    }
  }

  std::string statement(int depth, Scope& s) {
    if (depth <= 0) return leaf(s);
    const int d = depth - 1;
    auto sub = [&] { return "{ " + statement(d, s) + " }"; };
    switch (below(17)) {
      case 0: return leaf(s);
      case 1:
      case 2: return sub() + " >> " + sub();
      case 3: return sub() + " || " + sub();
      case 4: return "present " + condition(s) + " " + sub() + " else " + sub();
      case 5: return "present " + condition(s) + " " + sub();
      case 6: return "loop { " + sub() + " >> pause }";
      case 7: return pick({"weak", "strong"}) + " abort " + sub() + " when " + condition(s);
      case 8: return "wait " + pick({"", "1 ", "2 "}) + condition(s);
      case 9: return "sustain " + emitted(s) + " until " + condition(s);
      case 10: return below(4) == 0 ? "halt" : "pause";
      case 11:
      case 12: {
        std::string L = "Lc" + std::to_string(locals_++);
        Scope inner = s;
        inner.local_tested.push_back(L);
        inner.local_emitted.push_back(L);
        return "local " + L + " { " + statement(d, inner) + " }";
      }
      case 13: {
        if (io.vin.empty()) return "present " + condition(s) + " " + sub() + " else " + sub();
        std::string v = s.name(pick(io.vin));
        return "present " + v + " { if #" + v + " " + pick({"> 3", "== 5", "> 10"}) + " " + sub() + " else " + sub() +
               " }";
      }
      case 14: {
        if (io.vin.empty() || io.vout.empty()) return sub() + " || " + sub();
        std::string W = "Wc" + std::to_string(locals_++), v = s.name(pick(io.vin));
        // The local's one value, and its reader's: an output's own value.
        std::string y = pick(io.vout);
        std::string read = values_[y].second == "5" ? "emit " + s.name(y) + "(5)" : "nothing";
        return "local " + W + " : int { { present " + v + " { emit " + W + "(#" + v + " + 1) } } || { present " + W +
               " { " + read + " >> emit " + emitted(s) + " } } || " + sub() + " }";
      }
      default: return leaf(s);
    }
  }

  std::string automaton(const Names& name) {
    auto in = [&] { return name(pick(io.in)); };
    auto action = [&] {
      std::string a = name(pick(io.out));
      if (!io.vout.empty() && below(2) == 0) a += ", " + name(pick(io.vout)) + "(5)";
      return a;
    };
    auto trigger = [&] { return pick({"", "", "not ", "abs "}) + in(); };
    return "automaton\nstate: S0;\nstate: S1 / " + action() + ";\nstate: S2 / " + action() +
           ";\ntransition:\ninitial -> S0;\nS0 [" + trigger() + "] -> S1;\nS1 [" + trigger() + "] " +
           pick({"strong->", "weak->", "->"}) + " S2;\nS2 [" + trigger() + "] " + pick({"strong->", "weak->", "->"}) +
           " S0;";
  }

  std::string mealy(const Names& name) {
    auto in = [&] { return name(pick(io.in)); };
    std::string s = "Mealy Machine Register: r : " + std::to_string(below(2)) + " : rn;";
    s += " rn = r xor " + in() + ";";
    for (const std::string& o : io.out)
      s += " " + name(o) + " = " +
           pick({"rn", "r and " + in(), "not (r xor " + in() + ")", "abs rn", "abs " + in() + " or r",
                 "(r or " + in() + ") and rn"}) +
           ";";
    return s;
  }
};

// ----- reactions as maps -----

typedef std::map<std::string, std::string> Reaction;  // output name: "T", "F", "B", "T:5"

Reaction parsed(const std::string& r) {
  Reaction out;
  std::istringstream in(r);
  std::string item;
  while (in >> item) {
    size_t eq = item.find('=');
    if (eq != std::string::npos) out[item.substr(0, eq)] = item.substr(eq + 1);
  }
  return out;
}

// The reaction on the given outputs, bottom where not given.
std::string written(const Reaction& r, std::vector<std::string> outputs) {
  std::sort(outputs.begin(), outputs.end());
  std::string s;
  for (const std::string& o : outputs) {
    auto it = r.find(o);
    s += (s.empty() ? "" : " ") + o + "=" + (it == r.end() ? "B" : it->second);
  }
  return s;
}

// The reactions of a module from one instant on, and the instant of its end within them
// (-1: not ended).
struct Segment {
  std::vector<Reaction> out;
  int end = -1;
};
typedef std::function<Segment(size_t)> Process;

// ----- the contexts -----

enum Context { Alone, Looped, WeakAbort, StrongAbort, BesideHalt, Delayed, kContexts };

// A caller of inner: its signals renamed onto the caller's (same name or another, or a local
// that the caller feeds from an input or shows on an output), in a context.
struct Layer {
  std::string name;
  Io io;
  Context context;
  std::map<std::string, std::string> in_map, out_map;  // inner signal: caller signal
  std::set<std::string> through_local;                 // caller outputs shown from a local
  bool locals = false;
  std::string source;
};

Layer make_layer(std::mt19937& rng, const std::string& inner_name, const Io& inner, const std::string& name,
                 const std::string& tag) {
  auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  Layer l;
  l.name = name;
  l.context = static_cast<Context>(below(kContexts));
  std::vector<std::string> renamings, around, beside;
  int locals = 0;
  auto sig = [&](const std::string& s, bool input, bool valued) {
    // A pure input is never fed through a local: a local not emitted is not known absent in
    // its instant ("abs L" does not hold), where an input not present is.
    int how = below(valued || !input ? 3 : 2);
    std::string own = how == 0 ? s : s + tag;
    std::vector<std::string>& list = input ? (valued ? l.io.vin : l.io.in) : (valued ? l.io.vout : l.io.out);
    list.push_back(own);
    (input ? l.in_map : l.out_map)[s] = own;
    if (how == 0 && below(2) == 0) return;  // by name
    if (how < 2) {
      renamings.push_back(own + " \\ " + s);
      return;
    }
    std::string L = (valued ? "Wl" : "Ll") + tag + std::to_string(locals++);
    around.push_back("local " + L + (valued ? " : int" : ""));
    renamings.push_back(L + " \\ " + s);
    if (!input) l.through_local.insert(own);
    const std::string& from = input ? own : L;
    const std::string& to = input ? L : own;
    beside.push_back("loop { present " + from + " { emit " + to + (valued ? "(#" + from + " + 0)" : "") +
                     " } >> pause }");
  };
  for (const std::string& s : inner.in) sig(s, true, false);
  for (const std::string& s : inner.vin) sig(s, true, true);
  for (const std::string& s : inner.out) sig(s, false, false);
  for (const std::string& s : inner.vout) sig(s, false, true);
  l.locals = !around.empty();
  std::string run = "run " + inner_name;
  if (!renamings.empty()) run += " [" + listed(renamings) + "]";
  std::string body;
  switch (l.context) {
    case Alone: body = run; break;
    case Looped: body = "loop { " + run + " >> pause }"; break;
    case WeakAbort:
    case StrongAbort:
      l.io.in.push_back("S" + tag);
      body = std::string(l.context == WeakAbort ? "weak" : "strong") + " abort { " + run + " } when S" + tag;
      break;
    case BesideHalt: body = below(2) == 0 ? "{ " + run + " } || halt" : "halt || { " + run + " }"; break;
    default: body = "pause >> " + run;
  }
  for (const std::string& b : beside) body = "{ " + body + " } || { " + b + " }";
  for (size_t i = around.size(); i-- > 0;) body = around[i] + " { " + body + " }";
  l.source = l.io.declaration(name) + body + "\nend\n";
  return l;
}

// The reactions of the layer's caller from those of its inner module, whose outputs silent are
// never named: they read false in every instant, before its run as after. Before the run,
// another output reads bottom, or false when the callee never emits it in effect ("sustain O
// until A or not A"): "?" stands for either.
Process in_layer(const Layer& l, Process inner, const std::set<std::string>& silent, size_t reactions) {
  std::set<std::string> outputs;
  for (const auto& entry : l.out_map) outputs.insert(entry.first);
  Process p;
  switch (l.context) {
    case Looped:
      p = [inner, reactions](size_t start) {
        Segment all;
        for (size_t s = start; s < reactions;) {
          Segment one = inner(s);
          size_t n = one.end < 0 ? one.out.size() : static_cast<size_t>(one.end) + 1;
          if (n == 0) break;
          all.out.insert(all.out.end(), one.out.begin(), one.out.begin() + static_cast<long>(n));
          s += n;
        }
        return all;
      };
      break;
    case BesideHalt:
      p = [inner](size_t start) {
        Segment one = inner(start);
        one.end = -1;
        return one;
      };
      break;
    case Delayed:
      p = [inner, silent, outputs, reactions](size_t start) {
        Segment one;
        one.out.push_back(Reaction());
        for (const std::string& o : outputs) one.out.back()[o] = silent.count(o) != 0 ? "F" : "?";
        if (start + 1 < reactions) {
          Segment rest = inner(start + 1);
          one.out.insert(one.out.end(), rest.out.begin(), rest.out.end());
          one.end = rest.end < 0 ? -1 : rest.end + 1;
        }
        return one;
      };
      break;
    default: p = inner;
  }
  // Renamed; a caller with locals never ends.
  return [l, p](size_t start) {
    Segment in = p(start), out;
    out.end = l.locals ? -1 : in.end;
    for (const Reaction& r : in.out) {
      Reaction renamed;
      for (const auto& [from, to] : l.out_map) {
        auto it = r.find(from);
        if (it == r.end()) continue;
        std::string v = it->second;
        // Shown through a local: a false output is not emitted, an error (an emit and a
        // noemit in one instant) is present.
        if (l.through_local.count(to) != 0) v = v == "F" ? "B" : v == "E" ? "T" : v;
        renamed[to] = v;
      }
      out.out.push_back(renamed);
    }
    return out;
  };
}

// A trace with its signals renamed: "A=T X=T:5" to "A1=T X1=T:5".
Trace renamed_inputs(const Trace& t, const std::map<std::string, std::string>& names) {
  Trace out;
  for (const std::string& r : t) {
    std::string s;
    std::istringstream in(r);
    std::string item;
    while (in >> item) {
      size_t eq = item.find('=');
      s += (s.empty() ? "" : " ") + names.at(item.substr(0, eq)) + item.substr(eq);
    }
    out.push_back(s);
  }
  return out;
}

// Seeds and counts of a check: from the environment (e.g. ZARIM_CONTEXT_PROGRAMS=5000), 300 from seed 1.
random_blocks::Seeds seeds_of(int block, const char* programs, const char* first) {
  return random_blocks::block_seeds(block, random_blocks::from_environment(programs, 300),
                                    random_blocks::from_environment(first, 1));
}

// A child that compiles for longer than this is ended (SIGALRM) and its program passed over.
const unsigned kChildSeconds = 60;

const int kReactions = 8;

struct Figures {
  unsigned programs = 0, built = 0, cycles = 0, slow = 0, compared = 0, reactions = 0, differences = 0;
  // How a program's comparison ended (the child's end, its report, build_example's status):
  // a causality cycle, a compile stopped for its time, or a failure when the traces differ.
  void count(int end, const std::string& report, int built_status, const std::string& failure) {
    // A cycle whose report starts with more warnings than the child's report holds ends as 4.
    if (end == 1 || (end == 4 && report.find("due to a signals cycle") != std::string::npos)) {
      ++cycles;
      return;
    }
    if (end == 128 + SIGALRM || built_status == 124) {
      ++slow;
      return;
    }
    built += built_status == 0 ? 1 : 0;
    EXPECT_EQ(end, 0) << failure;
    differences += end == 0 ? 0 : 1;
    compared += end == 0 ? 1 : 0;
    reactions += end == 0 ? kReactions : 0;
  }
  void print(const char* what) const {
    std::cout << programs << " programs (" << built << " built, " << cycles << " with a causality cycle, " << slow
              << " compiled too long), "
              << compared << " " << what << " and " << reactions << " reactions compared, " << differences
              << " differences\n";
  }
};

// ----- the context check -----

class RunsInContext : public ::testing::TestWithParam<int> {};

TEST_P(RunsInContext, RenamedOutputsAreTheCalleesOwnReactionByReaction) {
  const random_blocks::Seeds seeds = seeds_of(GetParam(), "ZARIM_CONTEXT_PROGRAMS", "ZARIM_CONTEXT_FIRST_SEED");
  Figures f;
  for (unsigned seed = seeds.begin; seed < seeds.end; ++seed) {
    ++f.programs;
    Callee callee(seed, false);
    std::mt19937 rng(seed * 7919u + 17u);
    const bool nested = rng() % 3 == 0;
    std::vector<Layer> layers;
    layers.push_back(make_layer(rng, callee.name, callee.io, nested ? "Inr" : "Top", "1"));
    if (nested) layers.push_back(make_layer(rng, "Inr", layers.back().io, "Top", "2"));
    std::string program = kData + callee.module();
    for (const Layer& l : layers) program += l.source;
    const Trace inputs = callee.inputs(kReactions, rng() % 2 == 0);
    std::map<std::string, std::string> names;
    for (const std::string& s : callee.io.in) names[s] = s;
    for (const std::string& s : callee.io.vin) names[s] = s;
    for (const Layer& l : layers)
      for (auto& [from, to] : names) to = l.in_map.at(to);
    const Trace top_inputs = renamed_inputs(inputs, names);
    const std::vector<std::string> top_outputs = outputs_of(layers.back().io);

    ScratchDir dir{"zarim_context"};
    Built b = build_example(program, dir.path);
    ScratchDir alone{"zarim_context_alone"};  // the child ends without its destructors
    std::string report;
    int end = end_in_child(
        [&] {
          alarm(kChildSeconds);
          const std::string oracle = kData + callee.module("Dn9");
          std::map<size_t, Segment> known;
          Process process = [&](size_t start) {
            if (known.count(start) != 0) return known[start];
            Trace from(inputs.begin() + static_cast<long>(start), inputs.end());
            Trace t = known.empty() ? alone_trace(oracle, callee.name, alone.path, from)
                                    : jxc_trace(alone.path + "/" + callee.name + ".jxc", from);
            Segment s;
            for (const std::string& r : t) {
              s.out.push_back(parsed(r));
              if (s.end < 0 && s.out.back()["Dn9"] == "T") s.end = static_cast<int>(s.out.size()) - 1;
            }
            return known[start] = s;
          };
          std::set<std::string> silent = callee.silent(), silent_valued = callee.silent_valued();
          // Renamed onto the caller's outputs; one shown from a local is emitted by the caller.
          auto renamed = [](const Layer& l, const std::set<std::string>& outputs) {
            std::set<std::string> out;
            for (const std::string& o : outputs)
              if (l.through_local.count(l.out_map.at(o)) == 0) out.insert(l.out_map.at(o));
            return out;
          };
          for (const Layer& l : layers) {
            process = in_layer(l, process, silent, inputs.size());
            silent = renamed(l, silent);
            silent_valued = renamed(l, silent_valued);
          }
          Segment expected = process(0);
          if (b.status != 0) {
            std::cerr << "build_example refused the program, the callee alone compiles:\n" << b.output;
            return 2;
          }
          Trace want, got = jxc_trace(dir.path + "/Top.jxc", top_inputs);
          for (std::string& r : got) r = written(parsed(r), top_outputs);
          for (const Reaction& r : expected.out) want.push_back(written(r, top_outputs));
          if (!kCompareSilentValuedOutputs) {
            want = false_as_bottom(want, silent_valued);
            got = false_as_bottom(got, silent_valued);
          }
          if (agree(want, got)) return 0;
          std::cerr << "inputs:   " << joined(top_inputs) << "\nexpected: " << joined(want) << "\nbuilt:    "
                    << joined(got) << "\n";
          return 2;
        },
        &report);
    f.count(end, report, b.status, "seed " + std::to_string(seed) + "\n" + report + program);
  }
  f.print("callers");
  EXPECT_GT(f.compared * 2, f.programs) << "seeds " << seeds.begin << " to " << seeds.end - 1;
}

INSTANTIATE_TEST_SUITE_P(Programs, RunsInContext, ::testing::Range(0, random_blocks::kBlocks));


// ----- the inlining check -----

// A caller of a statement callee, written twice: with its runs, and with each run replaced by
// the callee's body, its signals renamed as the run renames them.
class Caller {
 public:
  Caller(unsigned seed, Callee& callee) : rng_(seed), callee_(callee) {
    io.in = {"A", "C", "S"};
    io.vin = {"X", "V"};
    io.out = {"E", "G"};
    Scope s;
    Two b = statement(3, s);
    if (runs_ == 0) {
      Two r = run(s);
      b = {"{ " + b.run + " } || " + r.run, "{ " + b.inl + " } || " + r.inl};
    }
    with_runs = io.declaration("Top") + b.run + "\nend\n";
    inlined = io.declaration("Top") + b.inl + "\nend\n";
  }

  Io io;
  std::string with_runs, inlined;  // the module Top
  // Outputs renaming a valued output the callee never emits, and the pure outputs of runs.
  std::set<std::string> silent_outputs, run_outputs;

  Trace inputs(int reactions) {
    Trace t;
    for (int i = 0; i < reactions; ++i) {
      std::string r;
      for (const char* s : {"A", "C", "S"})
        if (below(2) == 0) r += std::string(" ") + s + "=T";
      for (const char* s : {"X", "V"})
        if (below(2) == 0) r += std::string(" ") + s + "=T:" + std::to_string(below(13));
      t.push_back(r.empty() ? r : r.substr(1));
    }
    return t;
  }

 private:
  struct Two {
    std::string run, inl;
  };
  struct Scope {
    std::vector<std::string> pure, valued;  // locals in scope
  };
  std::mt19937 rng_;
  Callee& callee_;
  int runs_ = 0, locals_ = 0;
  std::set<std::string> written_;  // locals a run writes: one run each

  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string pick(const std::vector<std::string>& from) {
    return from[static_cast<size_t>(below(static_cast<int>(from.size())))];
  }
  static Two same(const std::string& s) { return {s, s}; }

  // A local of the scope that no run writes yet, or "".
  std::string free_local(const std::vector<std::string>& locals) {
    std::vector<std::string> free;
    for (const std::string& l : locals)
      if (written_.count(l) == 0) free.push_back(l);
    return free.empty() || below(2) == 0 ? "" : pick(free);
  }

  // A run: each input of the callee renamed onto an input or local of the caller; each output
  // onto an output of its own, or a local no other run writes.
  Two run(const Scope& s) {
    const int k = ++runs_;
    std::map<std::string, std::string> actual;
    std::vector<std::string> pure = {"A", "C", "S"}, valued = {"X", "V"};
    pure.insert(pure.end(), s.pure.begin(), s.pure.end());
    valued.insert(valued.end(), s.valued.begin(), s.valued.end());
    for (const std::string& f : callee_.io.in) actual[f] = pick(pure);
    for (const std::string& f : callee_.io.vin) actual[f] = pick(valued);
    const std::set<std::string> silent = callee_.silent();
    for (const std::string& f : callee_.io.out) {
      std::string l = free_local(s.pure);
      if (l.empty()) {
        io.out.push_back(l = f + std::to_string(k));
        run_outputs.insert(l);
      }
      written_.insert(l);
      actual[f] = l;
    }
    for (const std::string& f : callee_.io.vout) {
      std::string l = free_local(s.valued);
      if (l.empty()) {
        io.vout.push_back(l = f + std::to_string(k));
        if (silent.count(f) != 0 && !kCompareSilentValuedOutputs) silent_outputs.insert(l);
      }
      written_.insert(l);
      actual[f] = l;
    }
    std::vector<std::string> renamings;
    for (const auto& [f, a] : actual)
      if (f != a || below(2) == 0) renamings.push_back(a + " \\ " + f);
    std::string r = "run " + callee_.name;
    if (!renamings.empty()) r += " [" + listed(renamings) + "]";
    return {r, "{ " + callee_.body([&](const std::string& f) { return actual.at(f); }) + " }"};
  }

  Two statement(int depth, Scope& s) {
    std::vector<std::string> tested = {"A", "C", "S"};
    tested.insert(tested.end(), s.pure.begin(), s.pure.end());
    if (depth <= 0) {
      switch (below(5)) {
        case 0: return same("pause");
        case 1: return same("emit " + pick({"E", "G"}));
        default: return run(s);
      }
    }
    const int d = depth - 1;
    auto two = [&](const Two& a, const std::string& op, const Two& b) {
      return Two{"{ " + a.run + " } " + op + " { " + b.run + " }", "{ " + a.inl + " } " + op + " { " + b.inl + " }"};
    };
    auto wrap = [](const std::string& before, const Two& a, const std::string& after) {
      return Two{before + a.run + after, before + a.inl + after};
    };
    switch (below(12)) {
      case 0:
      case 1: return two(statement(d, s), ">>", statement(d, s));
      case 2:
      case 3: return two(statement(d, s), "||", statement(d, s));
      case 4: {
        std::string c = "present " + pick(tested) + " { ";
        Two a = statement(d, s), b = statement(d, s);
        return {c + a.run + " } else { " + b.run + " }", c + a.inl + " } else { " + b.inl + " }"};
      }
      case 5: return wrap("loop { { ", statement(d, s), " } >> pause }");
      case 6: return wrap(pick({"weak", "strong"}) + " abort { ", statement(d, s), " } when " + pick({"A", "C", "S"}));
      case 7: return wrap("pause >> { ", run(s), " }");
      case 8: return wrap("{ ", run(s), " } || halt");
      case 9: {
        std::string L = "K" + std::to_string(locals_++);
        Scope inner = s;
        inner.pure.push_back(L);
        return wrap("local " + L + " { { ", statement(d, inner),
                    " } || loop { present " + L + " { emit " + pick({"E", "G"}) + " } >> pause } }");
      }
      case 10: {
        std::string U = "U" + std::to_string(locals_++), Z = "Z" + std::to_string(locals_);
        io.vout.push_back(Z);
        Scope inner = s;
        inner.valued.push_back(U);
        std::string feed = below(2) == 0 ? " || { present X { emit " + U + "(#X + 1) } }" : "";
        if (!feed.empty()) written_.insert(U);
        return wrap("local " + U + " : int { { ", statement(d, inner),
                    " }" + feed + " || loop { present " + U + " { emit " + Z + "(#" + U + " * 2) } >> pause } }");
      }
      default: return run(s);
    }
  }
};

class RunsInlined : public ::testing::TestWithParam<int> {};

TEST_P(RunsInlined, CallerReactsAsWithTheCalleesBodyInPlaceOfItsRuns) {
  const random_blocks::Seeds seeds = seeds_of(GetParam(), "ZARIM_INLINE_PROGRAMS", "ZARIM_INLINE_FIRST_SEED");
  Figures f;
  for (unsigned seed = seeds.begin; seed < seeds.end; ++seed) {
    ++f.programs;
    Callee callee(seed, true);
    Caller caller(seed * 104729u + 3u, callee);
    const std::string program = kData + callee.module() + caller.with_runs;
    const std::string inlined = kData + caller.inlined;
    const Trace inputs = caller.inputs(kReactions);
    const std::vector<std::string> outputs = outputs_of(caller.io);
    ScratchDir dir{"zarim_inline"};
    Built b = build_example(program, dir.path);
    ScratchDir alone{"zarim_inline_alone"};  // the child ends without its destructors
    std::string report;
    int end = end_in_child(
        [&] {
          alarm(kChildSeconds);
          Trace want = alone_trace(inlined, "Top", alone.path, inputs);
          if (b.status != 0) {
            std::cerr << "build_example refused the program, the caller with the body in place compiles:\n"
                      << b.output;
            return 2;
          }
          Trace got = jxc_trace(dir.path + "/Top.jxc", inputs);
          for (std::string& r : want) r = written(parsed(r), outputs);
          for (std::string& r : got) r = written(parsed(r), outputs);
          std::set<std::string> absent = caller.silent_outputs;
          if (!kCompareNeverPresentRunOutputs)
            for (const std::string& o : caller.run_outputs)
              if (never_present(want, o) && never_present(got, o)) absent.insert(o);
          want = false_as_bottom(want, absent);
          got = false_as_bottom(got, absent);
          if (want == got) return 0;
          std::cerr << "inputs:   " << joined(inputs) << "\ninlined:  " << joined(want) << "\nwith runs: "
                    << joined(got) << "\n";
          return 2;
        },
        &report);
    f.count(end, report, b.status,
            "seed " + std::to_string(seed) + "\n" + report + program + "inlined:\n" + caller.inlined);
  }
  f.print("callers");
  EXPECT_GT(f.compared * 2, f.programs) << "seeds " << seeds.begin << " to " << seeds.end - 1;
}

INSTANTIATE_TEST_SUITE_P(Programs, RunsInlined, ::testing::Range(0, random_blocks::kBlocks));

}  // namespace
