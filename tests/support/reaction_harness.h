// Test support: a module around a statement tree, compiled, finalised and run reaction
// by reaction with the simulator's Qt-free engine, as the simulator runs a loaded module
// (Set in the first reaction only, Reset never).
//
// Colours are written as one letter: T true, F false, B bottom (absent), E error, and
// ? for an undetermined pair. A reaction's inputs are written "I=T J=F" (an input not
// named is bottom), a valued one with its text, "X=T:60"; its result is every output in
// list order, "O=T P=B", with the value of a present valued output when show_values is
// set, "O=T:120".
#ifndef REACTION_HARNESS_H
#define REACTION_HARNESS_H

#include <memory>
#include <string>
#include <vector>

#include "evaluation.h"
#include "test_scope.h"

class Bddexpressionwood;
class Module;
class Signal;
class Statement;

typedef std::vector<std::string> Trace;

class ReactionHarness {
 public:
  // A new module of that name, owned by the harness.
  explicit ReactionHarness(const std::string& module_name = "top");
  // A module built elsewhere (a source reader's), not owned.
  explicit ReactionHarness(Module* module);
  ~ReactionHarness();
  ReactionHarness(const ReactionHarness&) = delete;
  ReactionHarness& operator=(const ReactionHarness&) = delete;

  Module* module() const { return m_; }
  Bddexpressionwood* wood() const;
  // A new pure input, output or (module-level) local signal of the module.
  Signal* input(const std::string& name);
  Signal* output(const std::string& name);
  Signal* local(const std::string& name);
  // Module name + prefix + "_" + a counter of this harness, as the source reader names
  // statements (so that tests do not depend on the process-wide counters).
  std::string name(const std::string& prefix);

  // Module::compile on the body.
  void compile(Statement* body);
  // finalize(0), then loads the module into the engine.
  void finalize();
  // compile then finalize.
  void build(Statement* body);

  // One reaction; the result as described above.
  std::string react(const std::string& inputs = "");
  // One reaction per entry, in order.
  Trace run(const Trace& inputs);
  // The colour letter of any signal of the module in the last reaction.
  char colour(Signal* s) const;

  Simulation& simulation() { return sim_; }
  bool show_values = false;

 private:
  std::unique_ptr<Module> owned_;
  Module* m_;
  int counter_ = 0;
  Simulation sim_;
  RecordedBoxes boxes_;  // finalisation warnings never open a window
};

// T, F, B, E or ? for an engine colour.
char colourLetter(Colour c);

#endif
