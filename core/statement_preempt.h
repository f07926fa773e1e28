// Preemption of a body by a condition, tested from the instant after the start (in the
// starting instant the body runs whatever the condition is). Register ACTIF + name: the
// body has been running since an earlier instant. Abort (the weak abort) lets the body
// run in the instant of preemption; StrongAbort also removes the emissions of that
// instant.
#ifndef STATEMENT_PREEMPT_H
#define STATEMENT_PREEMPT_H

#include <map>
#include <string>

#include "bddpp.h"
#include "statement.h"

// What both aborts hold, and the circuit they share.
class Preemption : public Statement {
 public:
  Preemption(const std::string& name, Module* module, Expression* condition, Statement* body)
      : Statement(name, module), condition(condition), body(body) {}

  // The body, then createEquations.
  void compile(Module* m, EquationTable* t) override;

  Expression* condition;
  Statement* body;
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;

 protected:
  // The wires, the register and Abort's equations; returns the condition as built for them.
  Expression* abortEquations(Module* m, EquationTable* t);
};

class Abort : public Preemption {
 public:
  using Preemption::Preemption;

  // Terminates when the body terminates and no preemption fires, or when it fires; a
  // body that terminates in its starting instant terminates the statement whatever the
  // condition is.
  void createEquations(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;
};

// The circuit of Abort, then, where the preemption fires, the emissions of the body are
// removed: every output and plain local that the body emitted is bottom in that instant.
// Emissions made outside the body, before or after the statement, are kept.
class StrongAbort : public Preemption {
 public:
  using Preemption::Preemption;

  // Abort's equations, then the masking against the equations recorded by compile (when
  // called alone, every emission of an occurrence after the first counts as the body's).
  void createEquations(Module* m, EquationTable* t) override;
  // Records the emission equations that exist before the body, compiles the body, then
  // createEquations.
  void compile(Module* m, EquationTable* t) override;
  Statement* duplicate(Module* m, EquationTable* t) override;

 private:
  // Each emission equation (occurrence 1 and later of the outputs and plain locals)
  // becomes old | (g & now), g false where the preemption fires; an equation without a
  // recorded old one becomes g & now. Nothing without a BDD manager or when g is true.
  void mask(Module* m, EquationTable* t, Expression* z);

  std::map<long, bdd> before_body;  // variable id -> definition before the body, during compile
};

#endif
