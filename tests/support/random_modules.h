// Random Jexa programs of two to four modules that run one another: statement, valued,
// automaton and Mealy modules under random names (so that a called module sorts before or
// after its caller), run once or twice, in sequence and in parallel, by name or renamed.
// Every module has the interface Input: A, C, X: int; Output: B, D, Y: int, so that any
// module can run any other by name. The data part is the one the test value server answers
// (int arithmetic and comparisons, twice, the constant K).
#ifndef RANDOM_MODULES_H
#define RANDOM_MODULES_H

#include <random>
#include <string>
#include <vector>

namespace random_modules {

struct Program {
  std::string source;
  std::vector<std::string> modules;  // in the order of the file; module i runs only modules after it
};

class ProgramMaker {
 public:
  explicit ProgramMaker(unsigned seed) : rng_(seed) {}

  Program program() {
    Program p;
    const int n = 2 + below(3);
    while (static_cast<int>(p.modules.size()) < n) {
      std::string name = name_();
      bool fresh = true;
      for (const std::string& m : p.modules) fresh = fresh && m != name;
      if (fresh) p.modules.push_back(name);
    }
    value_ = pick({"#X + 1", "twice(#X)", "K", "2", "#X * 2"});
    p.source = "data: Type: int; Method: int twice(int); Constant: int K; int 1; int 2; end data\n";
    for (int i = 0; i < n; ++i) {
      callees_.assign(p.modules.begin() + i + 1, p.modules.end());
      p.source += "module " + p.modules[i] + ": Input: A, C, X: int; Output: B, D, Y: int;\n" + body(i + 1 == n) +
                  "\nend\n";
    }
    return p;
  }

  // A reaction's inputs for the reaction harness: "A=T X=T:5", or "" for none.
  std::vector<std::string> inputs(int reactions) {
    std::vector<std::string> t;
    for (int i = 0; i < reactions; ++i) {
      std::string r;
      if (below(2) == 0) r += " A=T";
      if (below(2) == 0) r += " C=T";
      if (below(2) == 0) r += " X=T:" + std::to_string(below(13));
      t.push_back(r.empty() ? r : r.substr(1));
    }
    return t;
  }

 private:
  std::mt19937 rng_;
  std::vector<std::string> callees_;

  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string pick(const std::vector<std::string>& from) { return from[static_cast<size_t>(below(static_cast<int>(from.size())))]; }

  // Two or three characters, the last a digit: never a keyword, and as likely to sort
  // before its caller as after it.
  std::string name_() {
    const std::string first = "ABMNZabmnz", rest = "aqxAQX";
    std::string s(1, first[static_cast<size_t>(below(static_cast<int>(first.size())))]);
    if (below(2) == 0) s += rest[static_cast<size_t>(below(static_cast<int>(rest.size())))];
    return s + std::to_string(below(10));
  }

  std::string body(bool last) {
    switch (below(last ? 4 : 6)) {
      case 0: return automaton();
      case 1: return mealy();
      default: return statement(3, {});
    }
  }

  // One value for every emission of Y in a program: of two emissions in one instant, the
  // one whose binding sorts first gives the value, and binding names follow the compile.
  std::string value_;
  const std::string& value() { return value_; }

  std::string statement(int depth, const std::vector<std::string>& locals) {
    std::vector<std::string> emitted = {"B", "D"}, tested = {"A", "C", "X"};
    emitted.insert(emitted.end(), locals.begin(), locals.end());
    tested.insert(tested.end(), locals.begin(), locals.end());
    if (depth <= 0) return pick({"emit " + pick(emitted), "emit Y(" + value() + ")", "pause", "nothing"});
    int d = depth - 1;
    auto sub = [&] { return "{ " + statement(d, locals) + " }"; };
    std::vector<std::string> inner = locals;
    inner.push_back("L" + std::to_string(locals.size()));
    switch (below(callees_.empty() ? 12 : 16)) {
      case 0: return "emit " + pick(emitted);
      case 1: return "emit Y(" + value() + ")";
      case 2: return sub() + " >> " + sub();
      case 3: return sub() + " || " + sub();
      case 4: return "present " + pick(tested) + " " + sub() + " else " + sub();
      case 5: return "if #X " + pick({">", "=="}) + " " + pick({"K", "2"}) + " " + sub();
      case 6: return "loop { " + sub() + " >> pause }";
      case 7: return "local " + inner.back() + " { " + statement(d, inner) + " }";
      case 8: return pick({"weak", "strong"}) + " abort " + sub() + " when " + pick({"A", "C"});
      case 9: return "wait 1 " + pick({"A", "C"});
      case 10: return "sustain " + pick({"B", "D"}) + " until " + pick({"A", "C"});
      case 11: return "pause";
      case 12: return run(locals);
      case 13: return run(locals) + " || " + run(locals);
      case 14: return "loop { " + run(locals) + " >> pause }";
      default: return sub() + " >> " + run(locals);
    }
  }

  // A run of a callee, by name or with some of its signals renamed: a formal input by an
  // input or local of the caller, a formal output by an output or local.
  std::string run(const std::vector<std::string>& locals) {
    std::string r = "run " + pick(callees_);
    std::vector<std::string> renamings;
    std::vector<std::string> ins = {"A", "C"}, outs = {"B", "D"};
    ins.insert(ins.end(), locals.begin(), locals.end());
    outs.insert(outs.end(), locals.begin(), locals.end());
    for (const char* f : {"A", "C"})
      if (below(3) == 0) renamings.push_back(pick(ins) + " \\ " + f);
    for (const char* f : {"B", "D"})
      if (below(3) == 0) renamings.push_back(pick(outs) + " \\ " + f);
    if (below(4) == 0) renamings.push_back("X \\ X");
    if (below(4) == 0) renamings.push_back("Y \\ Y");
    if (renamings.empty()) return r;
    r += " [";
    for (size_t i = 0; i < renamings.size(); ++i) r += (i == 0 ? "" : ", ") + renamings[i];
    return r + "]";
  }

  std::string automaton() {
    std::string run_state = callees_.empty() || below(2) == 0 ? "state: S2 / D;\n" : "state: S2 " + run({}) + ";\n";
    return "automaton\nstate: S0;\nstate: S1 / " + pick({"B", "D", "B, Y(" + value() + ")"}) + ";\n" + run_state +
           "transition:\ninitial -> S0;\nS0 [" + pick({"A", "C", "X"}) + "] -> S1;\nS1 [" + pick({"A", "C"}) + "] " +
           pick({"strong->", "weak->"}) + " S2;\nS2 [" + pick({"A", "C"}) + "] -> S0;";
  }

  std::string mealy() {
    std::string in = pick({"A", "C"}), other = in == "A" ? "C" : "A";
    return "Mealy Machine Register: r : " + std::to_string(below(2)) + " : rn; rn = r xor " + in + "; " +
           pick({"B", "D"}) + " = rn " + pick({"and", "or"}) + " " + other + ";";
  }
};

}  // namespace random_modules

#endif
