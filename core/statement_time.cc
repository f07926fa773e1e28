#include "statement_time.h"

#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "statement_expr.h"

using namespace stmt_expr;

// ----- Pause -----

void Pause::compile(Module* m, EquationTable* t) {
  t->pre(m);
  createEquations(m, t);
}

void Pause::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  ACTIF = makeRegister("ACTIF" + name, "ACTIFPLUS" + name, m, t, &ACTIFPLUS);
  t->createEquation(getRtl(), ACTIF, m);
  t->createEquation(ACTIFPLUS, And(getSet(), Not(getReset())), m, true);
}

Statement* Pause::duplicate(Module* m, EquationTable*) { return new Pause(copyName(m), m); }

// ----- Wait -----

Wait::Wait(const std::string& n, Module* m, Expression* c) : Statement(n, m), condition(c) {}

void Wait::compile(Module* m, EquationTable* t) {
  t->pre(m);
  createEquations(m, t);
}

void Wait::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  Expression* z = condition->buildCurrentExpression(t, m);
  ACTIF = makeRegister("ACTIF" + name, "ACTIFPLUS" + name, m, t, &ACTIFPLUS);
  Expression* not_reset = Not(getReset());
  t->createEquation(getRtl(), And(ACTIF, z), m, true);
  t->createEquation(ACTIFPLUS, Or(And(getSet(), not_reset), And(ACTIF, not_reset, Np(z))), m, true);
}

Statement* Wait::duplicate(Module* m, EquationTable*) { return new Wait(copyName(m), m, condition); }

// ----- SustainUntil -----

SustainUntil::SustainUntil(const std::string& n, Module* m, Signal* s, Expression* c, Signal* v)
    : Statement(n, m),
      signal(s),
      signal_name(s != nullptr ? s->getOriginalName() : std::string()),
      value_signal(v),
      condition(c) {}

void SustainUntil::compile(Module* m, EquationTable* t) { createEquations(m, t); }

void SustainUntil::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  // The register equation makes the value rail !status also before finalisation.
  ACTIF = makeRegister("ACTIF" + name, "ACTIFPLUS" + name, m, t, &ACTIFPLUS);
  Expression* z = condition->buildCurrentExpression(t, m);
  Expression* not_reset = Not(getReset());
  Expression* started = And(getSet(), not_reset);
  Expression* active = Or(ACTIF, started);
  t->createEquation(ACTIFPLUS, And(Or(started, And(ACTIF, not_reset)), Np(z)), m, true);
  t->createEquation(getRtl(), And(active, z), m, true);
  // True while active and z is absent, bottom otherwise (not false), so that it merges
  // with the other emitters of the signal as an emission does.
  Expression* sustained = new ThenExpression(And(active, Np(z)), new TrueExpression());
  t->createUnifyEquation(signal, sustained, m, true);
  if (value_signal != nullptr) t->createUnifyEquation(value_signal, sustained, m, true);
}

Statement* SustainUntil::duplicate(Module* m, EquationTable*) {
  return new SustainUntil(copyName(m), m, signal, condition, value_signal);
}
