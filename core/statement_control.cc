#include "statement_control.h"

#include "equationtable.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"

// ----- Sequence -----

Sequence::Sequence(const std::string& n, Module* m, Statement* f, Statement* s)
    : Statement(n, m), first(f), second(s) {}

void Sequence::compile(Module* m, EquationTable* t) {
  first->compile(m, t);
  second->compile(m, t);
  createEquations(m, t);
}

void Sequence::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  t->createEquation(first->getSet(), getSet(), m);
  t->createEquation(second->getSet(), first->getRtl(), m);
  t->createEquation(first->getReset(), getReset(), m);
  t->createEquation(second->getReset(), getReset(), m);
  t->createEquation(getRtl(), second->getRtl(), m);
}

bool Sequence::reincarnate() { return first->reincarnate() && second->reincarnate(); }

Statement* Sequence::duplicate(Module* m, EquationTable* t) {
  Statement* f = first->duplicate(m, t);
  Statement* s = second->duplicate(m, t);
  return new Sequence(copyName(m), m, f, s);
}

// ----- Sn -----

void Sn::compile(Module* m, EquationTable* t) {
  requireChildren(getCount(), "Sn::compile");
  for (Statement* k : children) k->compile(m, t);
  createEquations(m, t);
}

void Sn::createEquations(Module* m, EquationTable* t) {
  requireChildren(getCount(), "Sn::createEquations");
  createWires(m, t);
  t->createEquation(children[0]->getSet(), getSet(), m);
  for (int i = 1; i < getCount(); ++i) t->createEquation(getChild(i)->getSet(), getChild(i - 1)->getRtl(), m);
  for (Statement* k : children) t->createEquation(k->getReset(), getReset(), m);
  t->createEquation(getRtl(), children.back()->getRtl(), m);
}

bool Sn::reincarnate() {
  for (Statement* k : children)
    if (!k->reincarnate()) return false;
  return true;
}

Statement* Sn::duplicate(Module* m, EquationTable* t) {
  std::vector<Statement*> copies = duplicateAll(children, m, t);
  return new Sn(copyName(m), m, copies);
}

// ----- Nothing, Halt -----

void Nothing::compile(Module* m, EquationTable* t) { createEquations(m, t); }

void Nothing::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  t->createEquation(getRtl(), getSet(), m);
}

Statement* Nothing::duplicate(Module* m, EquationTable*) { return new Nothing(copyName(m), m); }

void Halt::compile(Module* m, EquationTable* t) { createEquations(m, t); }

void Halt::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  t->createEquation(getRtl(), new FalseExpression(), m);
}

Statement* Halt::duplicate(Module* m, EquationTable*) { return new Halt(copyName(m), m); }

// ----- Emit, NoEmit -----

Emit::Emit(const std::string& n, Module* m, Signal* s, Signal* v)
    : Statement(n, m), signal(s), signal_name(s != nullptr ? s->getOriginalName() : std::string()), value_signal(v) {}

void Emit::compile(Module* m, EquationTable* t) { createEquations(m, t); }

void Emit::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  t->createEquation(getRtl(), getSet(), m);
  t->createUnifyEquation(signal, new CondExpression(new TrueExpression(), getRtl()), m, true);
  if (value_signal != nullptr)
    t->createUnifyEquation(value_signal, new CondExpression(new TrueExpression(), getRtl()), m, true);
}

Statement* Emit::duplicate(Module* m, EquationTable*) { return new Emit(copyName(m), m, signal, value_signal); }

NoEmit::NoEmit(const std::string& n, Module* m, Signal* s)
    : Statement(n, m),
      signal(s),
      signal_name(s != nullptr ? s->getOriginalName() : std::string()),
      value_signal(nullptr) {}

void NoEmit::compile(Module* m, EquationTable* t) { createEquations(m, t); }

void NoEmit::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  t->createEquation(getRtl(), getSet(), m);
  t->createUnifyEquation(signal, new CondExpression(new FalseExpression(), getRtl()), m, true);
}

Statement* NoEmit::duplicate(Module* m, EquationTable*) { return new NoEmit(copyName(m), m, signal); }

// ----- Present -----

Present::Present(const std::string& n, Module* m, Expression* c, Statement* then_b, Statement* else_b)
    : Statement(n, m), condition(c), then_branch(then_b), else_branch(else_b) {}

void Present::compile(Module* m, EquationTable* t) {
  if (else_branch == nullptr) {
    compileDated(then_branch, m, t);
  } else {
    ForkCopy copy(t->duplicate(m), m);
    compileDated(then_branch, m, t);
    compileInCopy(else_branch, m, t, copy.release());
  }
  createEquations(m, t);
}

void Present::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  Expression* z = condition->buildCurrentExpression(t, m);
  t->createEquation(then_branch->getSet(), new ThenExpression(z, getSet()), m, true);
  if (else_branch != nullptr) t->createEquation(else_branch->getSet(), new ElseExpression(z, getSet()), m, true);
  t->createEquation(then_branch->getReset(), getReset(), m, true);
  if (else_branch != nullptr) {
    t->createEquation(else_branch->getReset(), getReset(), m, true);
    t->createEquation(getRtl(), new OrExpression(then_branch->getRtl(), else_branch->getRtl()), m, true);
  } else {
    t->createEquation(getRtl(), new OrExpression(then_branch->getRtl(), new ElseExpression(z, getSet())), m, true);
  }
}

bool Present::reincarnate() {
  if (then_branch->reincarnate()) return true;
  return else_branch != nullptr && else_branch->reincarnate();
}

Statement* Present::duplicate(Module* m, EquationTable* t) {
  Statement* then_copy = then_branch->duplicate(m, t);
  Statement* else_copy = duplicateChild(else_branch, m, t);
  return new Present(copyName(m), m, condition, then_copy, else_copy);
}

// ----- Loop -----

Loop::Loop(const std::string& n, Module* m, Statement* b) : Statement(n, m), body(b) {}

void Loop::compile(Module* m, EquationTable* t) {
  if (body->reincarnate()) {
    std::string double_name = "S_" + std::to_string(Module::SequenceNumber++);
    Statement* copy = body->duplicate(m, t);
    body = new Sequence(double_name, m, body, copy);
  }
  body->compile(m, t);
  createEquations(m, t);
}

void Loop::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  t->createEquation(body->getSet(), new OrExpression(getSet(), body->getRtl()), m);
  t->createEquation(body->getReset(), getReset(), m);
  t->createEquation(getRtl(), new FalseExpression(), m);
}

bool Loop::reincarnate() { return body->reincarnate(); }

Statement* Loop::duplicate(Module* m, EquationTable* t) {
  Statement* b = body->duplicate(m, t);
  return new Loop(copyName(m), m, b);
}
