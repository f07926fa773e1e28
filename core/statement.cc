#include "statement.h"

#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"

Statement::Statement() : module(nullptr), SET(nullptr), RESET(nullptr), RTL(nullptr), pert_level(0) {}

Statement::Statement(const std::string& n, Module* m)
    : name(n), module(m), SET(nullptr), RESET(nullptr), RTL(nullptr), pert_level(0) {}

void Statement::compile(Module*, EquationTable*) {}

bool Statement::reincarnate() { return true; }

void Statement::connectExternalWires(Module* m) {
  if (SET == nullptr) throw StatementWireException("set");
  if (RESET == nullptr) throw StatementWireException("reset");
  if (RTL == nullptr) throw StatementWireException("rtl");
  EquationTable* t = m->getEquationTable();
  t->createEquation(SET, m->getSet(), m);
  t->createEquation(RESET, m->getReset(), m);
  t->createEquation(m->getRtl(), RTL, m);
}

Local::Local(const std::string& n, Module* m, std::list<Signal*>* signals, Statement* b)
    : Statement(n, m), signal_list(signals), body(b) {}
