#include "statement_preempt.h"

#include "Bddexpression.h"
#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "signal_manager.h"
#include "statement_expr.h"

using namespace stmt_expr;

namespace {

// Calls f(variable id) for both rails of occurrences 1 .. current, in w, of every output
// and of every local that is neither a wire nor a register: the equations that emissions
// OR into. Occurrence 0 (the chain of pre and of the local scopes) is left out.
template <class F>
void forEmittedRails(Module* m, Bddexpressionwood* w, F f) {
  SignalManager* sm = m->getSignalManager();
  auto rails = [&](Signal* s) {
    if (s->occurrence_table == nullptr || s->occurrence_table->count(w) == 0) return;
    for (int k = s->getCurrentOccurrence(w); k >= 1; --k) {
      SignalRef* r = sm->getSignalRefByOccurrence(s, k);
      if (r == nullptr || !r->isDefinedWood(w)) continue;
      f(r->getBddStatusId(w));
      f(r->getBddValueId(w));
    }
  };
  if (std::list<Signal*>* outputs = m->getOutputSignalList())
    for (Signal* o : *outputs) rails(o);
  if (std::list<Signal*>* locals = m->getLocalSignalList())
    for (Signal* l : *locals)
      if (!l->is_wire && !l->is_register) rails(l);
}

bool hasDefinition(const Bddexpression* e) { return e != nullptr && e->bdd_exp.node() != nullptr; }

}  // namespace

// ----- both aborts -----

// After the wires and the register (A = actif): the body is killed where the preemption
// fires, and a body that terminates in its starting instant ends the statement whatever z
// is (z is not tested in that instant).
Expression* Preemption::abortEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  Expression* z = condition->buildCurrentExpression(t, m);
  ACTIF = makeRegister("ACTIF" + name, "ACTIFPLUS" + name, m, t, &ACTIFPLUS);
  Signal* p_rtl = body->getRtl();
  Expression* not_reset = Not(getReset());
  t->createEquation(body->getSet(), getSet(), m);
  t->createEquation(body->getReset(), Or(And(ACTIF, And(not_reset, z)), getReset()), m, true);
  t->createEquation(getRtl(), Or(And(p_rtl, Np(z)), And(p_rtl, Not(ACTIF)), And(z, ACTIF)), m, true);
  t->createEquation(ACTIFPLUS, And(not_reset, And(Or(And(ACTIF, Np(z)), getSet()), Not(p_rtl))), m, true);
  return z;
}

void Preemption::compile(Module* m, EquationTable* t) {
  body->compile(m, t);
  createEquations(m, t);
}

// ----- Abort -----

void Abort::createEquations(Module* m, EquationTable* t) { abortEquations(m, t); }

Statement* Abort::duplicate(Module* m, EquationTable* t) {
  Statement* b = body->duplicate(m, t);
  return new Abort(copyName(m), m, condition, b);
}

// ----- StrongAbort -----

void StrongAbort::compile(Module* m, EquationTable* t) {
  Bddexpressionwood* w = t->getBddexpressionWood();
  // The definitions kept name w's manager: they go on every way out, so that a branch copy
  // destroyed while an exception passes here holds no handle of its own.
  struct Forget {
    std::map<long, bdd>& kept;
    ~Forget() { kept.clear(); }
  } forget{before_body};
  before_body.clear();
  forEmittedRails(m, w, [&](long id) {
    Bddexpression* e = w->slot(id);
    if (hasDefinition(e)) before_body.emplace(id, e->bdd_exp);
  });
  body->compile(m, t);
  createEquations(m, t);
}

void StrongAbort::createEquations(Module* m, EquationTable* t) { mask(m, t, abortEquations(m, t)); }

void StrongAbort::mask(Module* m, EquationTable* t, Expression* z) {
  Bddexpressionwood* w = t->getBddexpressionWood();
  if (w == nullptr || w->man == nullptr) return;
  // False exactly where the preemption fires (z true and A), from the rails that the
  // circuit's own equations read.
  bdd g = w->Bdd_or(w->Bdd_or(z->getInitialBddValue(m, w), w->Bdd_not(z->getInitialBddStatus(m, w))),
                    w->Bdd_not(ACTIF->getInitialBddStatus(m, w)));
  if (w->man->Bdd_is_one_tautologic(g)) return;
  // Every merge into these equations is an OR, so old | (g & new) removes exactly what
  // the body added; an equation the body created is g & new.
  forEmittedRails(m, w, [&](long id) {
    Bddexpression* e = w->slot(id);
    if (!hasDefinition(e)) return;
    bdd masked = w->Bdd_and(g, e->bdd_exp);
    auto old = before_body.find(id);
    if (old != before_body.end()) masked = w->Bdd_or(old->second, masked);
    e->setBddExp(masked);
  });
}

Statement* StrongAbort::duplicate(Module* m, EquationTable* t) {
  Statement* b = body->duplicate(m, t);
  return new StrongAbort(copyName(m), m, condition, b);
}
