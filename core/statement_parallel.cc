#include "statement_parallel.h"

#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "statement_expr.h"

using namespace stmt_expr;

// ----- Parallel -----

Parallel::Parallel(const std::string& n, Module* m, Statement* l, Statement* r) : Statement(n, m), left(l), right(r) {}

void Parallel::compile(Module* m, EquationTable* t) {
  ForkCopy copy(t->duplicate(m), m);
  compileDated(left, m, t);
  compileInCopy(right, m, t, copy.release());
  createEquations(m, t);
}

void Parallel::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  ACTIF = makeRegisterSignal("ACTIF" + name, m, t);
  ACTIFPLUS = makeRegisterSignal("ACTIFPLUS" + name, m, t);
  ACTIFBIS = makeRegisterSignal("ACTIFBIS" + name, m, t);
  ACTIFBISPLUS = makeRegisterSignal("ACTIFBISPLUS" + name, m, t);
  m->addRegisterSignal(ACTIF, ACTIFPLUS);
  m->addRegisterSignal(ACTIFBIS, ACTIFBISPLUS);
  t->createRegisterEquation(ACTIF, m);
  t->createRegisterEquation(ACTIFBIS, m);

  t->createEquation(left->getSet(), getSet(), m);
  t->createEquation(right->getSet(), getSet(), m);
  t->createEquation(left->getReset(), getReset(), m);
  t->createEquation(right->getReset(), getReset(), m);
  Signal* l = left->getRtl();
  Signal* r = right->getRtl();
  Signal* a = ACTIF;
  Signal* b = ACTIFBIS;
  Signal* reset = getReset();
  t->createEquation(getRtl(), Or(And(l, r, Not(a), Not(b)), And(r, Not(b), a), And(l, Not(a), b)), m);
  t->createEquation(ACTIFPLUS, Or(And(a, Not(r), Not(reset)), And(l, Not(r), Not(reset), Not(b))), m);
  t->createEquation(ACTIFBISPLUS, Or(And(b, Not(l), Not(reset)), And(r, Not(l), Not(reset), Not(a))), m);
}

bool Parallel::reincarnate() { return left->reincarnate() || right->reincarnate(); }

Statement* Parallel::duplicate(Module* m, EquationTable* t) {
  Statement* l = left->duplicate(m, t);
  Statement* r = right->duplicate(m, t);
  return new Parallel(copyName(m), m, l, r);
}

// ----- Pn -----

void Pn::compile(Module* m, EquationTable* t) {
  int count = getCount();
  requireChildren(count, "Pn::compile");
  // Every branch after the first compiles in a copy of the system as it is before any branch:
  // one copy is kept as it is, each branch takes a copy of it when its turn comes (the last
  // one takes it), so that no more than two copies live at a time.
  ForkCopy before(count > 1 ? t->duplicate(m) : nullptr, m);
  compileDated(children[0], m, t);
  for (int i = 1; i < count; ++i)
    compileInCopy(getChild(i), m, t, i + 1 < count ? before.get()->duplicate(m) : before.release());
  createEquations(m, t);
}

void Pn::createEquations(Module* m, EquationTable* t) {
  requireChildren(getCount(), "Pn::createEquations");
  createWires(m, t);
  ACTIF.assign(children.size(), nullptr);
  ACTIFPLUS.assign(children.size(), nullptr);
  std::vector<Signal*> done(children.size(), nullptr);
  for (std::size_t i = 0; i < children.size(); ++i) {
    std::string branch = name + "_" + std::to_string(i);
    ACTIF[i] = makeRegister("ACTIF" + branch, "ACTIFPLUS" + branch, m, t, &ACTIFPLUS[i]);
    done[i] = new Signal("RTL" + branch, m, t->getBddexpressionWood());
    done[i]->is_wire = true;
    m->addLocalSignal(done[i]);
  }
  for (Statement* k : children) {
    t->createEquation(k->getSet(), getSet(), m);
    t->createEquation(k->getReset(), getReset(), m);
  }
  t->createEquation(done[0], Or(ACTIF[0], children[0]->getRtl()), m);
  for (std::size_t i = 1; i < children.size(); ++i)
    t->createEquation(done[i], And(Or(ACTIF[i], children[i]->getRtl()), done[i - 1]), m);
  t->createEquation(getRtl(), done.back(), m);
  Expression* q = And(Not(getRtl()), Not(getReset()));
  for (std::size_t i = 0; i < children.size(); ++i)
    t->createEquation(ACTIFPLUS[i], And(Or(ACTIF[i], children[i]->getRtl()), q), m);
}

bool Pn::reincarnate() {
  for (Statement* k : children)
    if (k->reincarnate()) return true;
  return false;
}

Statement* Pn::duplicate(Module* m, EquationTable* t) {
  std::vector<Statement*> copies = duplicateAll(children, m, t);
  return new Pn(copyName(m), m, copies);
}
