// The statements without registers of their own: Sequence, Sn, Nothing, Halt, Emit,
// NoEmit, Present and Loop. Their behaviour across instants comes from their children.
#ifndef STATEMENT_CONTROL_H
#define STATEMENT_CONTROL_H

#include <string>
#include <vector>

#include "statement.h"

// first, then second from the instant first terminates.
class Sequence : public Statement {
 public:
  Sequence(const std::string& name, Module* module, Statement* first, Statement* second);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool isSequence() override { return true; }
  // first's and second's answers (second not asked when first says false).
  bool reincarnate() override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Statement* getFirst() const { return first; }
  Statement* getSecond() const { return second; }

  Statement* first;
  Statement* second;
};

// children[0] ... children[count-1] one after the other. A count below 1 makes compile
// and createEquations throw IllegalOperationException.
class Sn : public NaryStatement {
 public:
  using NaryStatement::NaryStatement;

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool isSequence() override { return true; }
  // Every child's answer, asked in order until one is false.
  bool reincarnate() override;
  Statement* duplicate(Module* m, EquationTable* t) override;
};

// Terminates at once.
class Nothing : public Statement {
 public:
  Nothing(const std::string& name, Module* module) : Statement(name, module) {}
  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;
};

// Never terminates.
class Halt : public Statement {
 public:
  Halt(const std::string& name, Module* module) : Statement(name, module) {}
  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override { return false; }
  Statement* duplicate(Module* m, EquationTable* t) override;
};

// Emits a signal (true where the statement runs, bottom elsewhere, or-merged with the
// signal's other emitters) and terminates at once; a valued emission defines its value
// signal the same way. A copy emits the same signal and value signal.
class Emit : public Statement {
 public:
  Emit(const std::string& name, Module* module, Signal* signal, Signal* value_signal = nullptr);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Signal* getSignal() const { return signal; }
  Signal* getValueSignal() const { return value_signal; }

  Signal* signal;
  std::string signal_name;  // the emitted signal's declared name
  Signal* value_signal;     // null for a pure emission
};

// Makes a signal false where the statement runs and terminates at once.
class NoEmit : public Statement {
 public:
  NoEmit(const std::string& name, Module* module, Signal* signal);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Signal* getSignal() const { return signal; }

  Signal* signal;
  std::string signal_name;
  Signal* value_signal;  // always null
};

// Starts then_branch where the condition is true, else_branch (when there is one)
// elsewhere; without else branch it terminates at once where the condition is not true.
// The else branch is compiled into its own copy of the equation system.
class Present : public Statement {
 public:
  Present(const std::string& name, Module* module, Expression* condition, Statement* then_branch,
          Statement* else_branch = nullptr);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  // The then branch's or the else branch's answer.
  bool reincarnate() override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Expression* condition;
  Statement* then_branch;
  Statement* else_branch;  // may be null
};

// Restarts its body in the instant it terminates; never terminates itself. A body that
// can restart in the instant it terminates is replaced, at compile time, by a Sequence
// "S_" + Module::SequenceNumber of the body and its copy.
class Loop : public Statement {
 public:
  Loop(const std::string& name, Module* module, Statement* body);

  void createEquations(Module* m, EquationTable* t) override;
  // The body (doubled when it can restart in the instant it ends), then createEquations. A
  // body whose end reads its start only through a branch of a parallel that ends at once
  // beside a branch that waits throws LoopInstantBranchException before any loop equation;
  // a body that can end at once otherwise is left to the cycle report.
  void compile(Module* m, EquationTable* t) override;
  // The body's answer.
  bool reincarnate() override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Statement* getBody() const { return body; }

  Statement* body;
  int line = 0;  // of the source's "loop", 0 when not known

 private:
  void refuseInstantBranch(Module* m, EquationTable* t) const;
};

#endif
