// Random Jexa programs: statements drawn from the whole statement grammar (sequences,
// parallels, presents, loops, locals, aborts, waits, sustains, valued signals, data
// conditions, runs of pure, valued, automaton and Mealy modules), a data part with literal
// constants of every kind (integers, one with a leading zero, reals, one ending in '.',
// strings with blanks and punctuation), the modules they run, and random input traces.
// The value of K is read only where K is present: a generated C or C# function reads the
// value it is given whatever the presence, where the simulator has none.
#ifndef RANDOM_PROGRAM_H
#define RANDOM_PROGRAM_H

#include <random>
#include <string>
#include <vector>

namespace random_program {

class ProgramMaker {
 public:
  explicit ProgramMaker(unsigned seed) : rng_(seed) {}

  std::string statement(int depth, const std::vector<std::string>& locals) {
    std::vector<std::string> emitted = {"O", "P", "Q"}, tested = {"I", "J"};
    emitted.insert(emitted.end(), locals.begin(), locals.end());
    tested.insert(tested.end(), locals.begin(), locals.end());
    if (depth <= 0) return pick({"emit " + pick(emitted), "nothing", "pause"});
    int d = depth - 1;
    auto sub = [&] { return "{ " + statement(d, locals) + " }"; };
    std::string local = "L" + std::to_string(locals.size());
    std::vector<std::string> inner = locals;
    inner.push_back(local);
    switch (below(24)) {
      case 0: return "emit " + pick(emitted);
      case 1: return "pause";
      case 2: return sub() + " >> " + sub();
      case 3: return sub() + " || " + sub();
      case 4: return "present " + pick(tested) + " " + sub() + " else " + sub();
      case 5: return "present " + pick(tested) + " " + sub();
      case 6: return "loop { " + sub() + " >> pause }";
      case 7: return "local " + local + " { " + statement(d, inner) + " }";
      case 8: return "weak abort " + sub() + " when " + pick(tested);
      case 9: return "strong abort " + sub() + " when " + pick(tested);
      case 10: return "sustain " + pick({"O", "P", "Q"}) + " until " + pick({"I", "J"});
      case 11: return "wait " + std::to_string(1 + below(2)) + " " + pick({"I", "J"});
      case 12: return "run Sub [" + pick(tested) + " \\ A, " + pick(emitted) + " \\ B]";
      case 13: return "run Sub2 [" + pick(tested) + " \\ A, V \\ B]";
      case 14: return "local W: int { { emit W(1) } >> { present W { emit V(2) } } >> " + sub() + " }";
      case 15: return "run " + pick({"Aut", "Mm"}) + " [" + pick(tested) + " \\ X, " + pick(emitted) + " \\ Y]";
      case 16: return "run Sub3 [" + pick(tested) + " \\ A, " + pick(emitted) + " \\ B]";
      case 17: return sub() + " || " + sub() + " || " + sub();
      case 18: return "present K " + sub() + " else " + sub();
      case 19: return "present K { emit V(#K + 1) }";
      case 20: return "present K { if #K > " + pick({"10", "010"}) + " " + sub() + " else " + sub() + " }";
      case 21: return "emit R(" + pick({"2.5", "0.5 + 2.5", "2. + 0.5"}) + ")";
      case 22: return "emit S(" + pick({"\"a b, c!\"", "\"x\\y; z?\""}) + ")";
      default: return pick({"noemit O", "sustain V(1) until I", "emit V(2)"});
    }
  }

  std::vector<std::string> inputs(int reactions) {
    std::vector<std::string> t;
    for (int i = 0; i < reactions; ++i) t.push_back(pick({"", "I=T", "J=T", "I=T J=T", "K=T"}));
    return t;
  }

 private:
  std::mt19937 rng_;
  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string pick(const std::vector<std::string>& from) { return from[static_cast<size_t>(below(static_cast<int>(from.size())))]; }
};

inline const char* kPrelude =
    "data: Type: int, real, string;\n"
    "Constant: int 1; int 2; int 10; int 010; real 2.5; real 0.5; real 2.; string \"a b, c!\"; string \"x\\y; z?\";\n"
    "end data\n"
    "module Sub: Input: A; Output: B;\nloop { { present A { emit B } } >> pause }\nend\n"
    "module Sub2: Input: A; Output: B: int;\nloop { { present A { emit B(1) } else { emit B(2) } } >> pause }\nend\n"
    "module Sub3: Input: A; Output: B;\nrun Sub [A \\ A, B \\ B] || { pause >> emit B }\nend\n"
    "module Aut: Input: X; Output: Y;\nautomaton\nstate: A0;\nstate: B0 / Y;\ntransition:\ninitial -> A0;\n"
    "A0 [X] -> B0;\nB0 [X] strong-> A0;\nend\n"
    "module Mm: Input: X; Output: Y;\nMealy Machine Register: r : 0 : rn;\nrn = r xor X; Y = rn;\nend\n";

// The interface of the module M of a test program.
inline const char* kModuleHead = "module M: Input: I, J, K: int; Output: O, P, Q, V: int, R: real, S: string;\n";

// The module M of a test program: the prelude's modules and a random body of that depth.
inline std::string program(unsigned seed, int depth = 5) {
  ProgramMaker make(seed);
  return std::string(kPrelude) + kModuleHead + make.statement(depth, {}) + "\nend\n";
}

// The same module with a flat parallel of 3 to 10 random statements as its body: branches
// compiled in copies of one state, merged back one after the other.
inline std::string wide_program(unsigned seed, int depth) {
  ProgramMaker make(seed);
  std::string body;
  for (unsigned k = 0, branches = 3 + seed % 8; k < branches; ++k)
    body += (k == 0 ? "{ " : " ||\n{ ") + make.statement(depth, {}) + " }";
  return std::string(kPrelude) + kModuleHead + body + "\nend\n";
}

}  // namespace random_program

#endif
