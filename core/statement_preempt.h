// Preemption of a body by a condition, tested from the instant after the start (in the
// starting instant the body runs whatever the condition is). Register ACTIF + name: the
// body has been running since an earlier instant. Abort (the weak abort) lets the body
// run in the instant of preemption; StrongAbort also removes the emissions of that
// instant.
#ifndef STATEMENT_PREEMPT_H
#define STATEMENT_PREEMPT_H

#include <string>

#include "statement.h"

class Abort : public Statement {
 public:
  Abort(const std::string& name, Module* module, Expression* condition, Statement* body);

  // Terminates when the body terminates and no preemption fires, or when it fires; a
  // body that terminates in its starting instant terminates the statement whatever the
  // condition is.
  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Expression* condition;
  Statement* body;
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

// The masking of the preempted emissions is not built yet: compile and createEquations
// throw IllegalOperationException.
class StrongAbort : public Statement {
 public:
  StrongAbort(const std::string& name, Module* module, Expression* condition, Statement* body);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Expression* condition;
  Statement* body;
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

#endif
