// The statements that take time, each with one register ACTIF + name (waiting) and its
// next state ACTIFPLUS + name: Pause (terminates in the next instant), Wait (in a later
// instant where its condition is true) and SustainUntil (emits its signal in every
// instant until its condition is true). Pause and Wait open the next occurrence of the
// module's signals (a new instant) before their own equations.
#ifndef STATEMENT_TIME_H
#define STATEMENT_TIME_H

#include <string>

#include "statement.h"

class Pause : public Statement {
 public:
  Pause(const std::string& name, Module* module) : Statement(name, module) {}

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override { return false; }
  Statement* duplicate(Module* m, EquationTable* t) override;

  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

// Never terminates in its starting instant.
class Wait : public Statement {
 public:
  Wait(const std::string& name, Module* module, Expression* condition);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override { return false; }
  Statement* duplicate(Module* m, EquationTable* t) override;

  Expression* condition;
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

// The signal (and the value signal of a valued sustain) is true in every instant in
// which the statement is active and the condition is not present, bottom otherwise; the
// statement terminates in the first active instant where the condition is present, its
// starting instant included. A copy sustains the same signal and value signal.
class SustainUntil : public Statement {
 public:
  SustainUntil(const std::string& name, Module* module, Signal* signal, Expression* condition,
               Signal* value_signal = nullptr);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override { return false; }
  Statement* duplicate(Module* m, EquationTable* t) override;

  Signal* signal;
  std::string signal_name;  // the sustained signal's declared name
  Signal* value_signal;     // may be null
  Expression* condition;
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

#endif
