#include "statement_preempt.h"

#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "statement_expr.h"

using namespace stmt_expr;

// ----- Abort -----

Abort::Abort(const std::string& n, Module* m, Expression* c, Statement* b) : Statement(n, m), condition(c), body(b) {}

void Abort::compile(Module* m, EquationTable* t) {
  body->compile(m, t);
  createEquations(m, t);
}

void Abort::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  Expression* z = condition->buildCurrentExpression(t, m);
  ACTIF = makeRegister("ACTIF" + name, "ACTIFPLUS" + name, m, t, &ACTIFPLUS);
  Signal* a = ACTIF;
  Signal* p_rtl = body->getRtl();
  Expression* not_reset = Not(getReset());
  t->createEquation(body->getSet(), getSet(), m);
  t->createEquation(body->getReset(), Or(And(a, And(not_reset, z)), getReset()), m, true);
  // (p_rtl & !a) ends the statement with a body that terminates in its starting instant
  // even when z is present then: z is not tested in that instant.
  t->createEquation(getRtl(), Or(And(p_rtl, Np(z)), And(p_rtl, Not(a)), And(z, a)), m, true);
  t->createEquation(ACTIFPLUS, And(not_reset, And(Or(And(a, Np(z)), getSet()), Not(p_rtl))), m, true);
}

Statement* Abort::duplicate(Module* m, EquationTable* t) {
  Statement* b = body->duplicate(m, t);
  return new Abort(copyName(m), m, condition, b);
}

// ----- StrongAbort -----

StrongAbort::StrongAbort(const std::string& n, Module* m, Expression* c, Statement* b)
    : Statement(n, m), condition(c), body(b) {}

void StrongAbort::compile(Module*, EquationTable*) { statementNotBuilt("StrongAbort::compile"); }

void StrongAbort::createEquations(Module*, EquationTable*) { statementNotBuilt("StrongAbort::createEquations"); }

Statement* StrongAbort::duplicate(Module* m, EquationTable* t) {
  Statement* b = body->duplicate(m, t);
  return new StrongAbort(copyName(m), m, condition, b);
}
