#include "statement_control.h"

#include <algorithm>
#include <unordered_set>

#include "Bddexpression.h"
#include "equationtable.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

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

namespace {

bool never_at_once(Statement* s);

// Whether s terminates in every instant it starts. Statements whose end depends on a
// condition, a called module or an automaton answer false, as do the timed ones.
bool always_at_once(Statement* s) {
  if (dynamic_cast<Emit*>(s) || dynamic_cast<NoEmit*>(s) || dynamic_cast<Nothing*>(s)) return true;
  if (auto* q = dynamic_cast<Sequence*>(s)) return always_at_once(q->first) && always_at_once(q->second);
  if (auto* q = dynamic_cast<Parallel*>(s)) return always_at_once(q->left) && always_at_once(q->right);
  if (auto* q = dynamic_cast<NaryStatement*>(s))
    return std::all_of(q->children.begin(), q->children.end(), always_at_once);
  if (auto* q = dynamic_cast<Present*>(s))
    return always_at_once(q->then_branch) && (q->else_branch == nullptr || always_at_once(q->else_branch));
  if (auto* q = dynamic_cast<Local*>(s)) return always_at_once(q->body);
  return false;
}

// Whether s never terminates in the instant it starts (false where that is not known).
bool never_at_once(Statement* s) {
  if (dynamic_cast<Pause*>(s) || dynamic_cast<Wait*>(s) || dynamic_cast<Halt*>(s) || dynamic_cast<Loop*>(s))
    return true;
  if (auto* q = dynamic_cast<Sequence*>(s)) return never_at_once(q->first) || never_at_once(q->second);
  if (auto* q = dynamic_cast<Parallel*>(s)) return never_at_once(q->left) || never_at_once(q->right);
  if (auto* q = dynamic_cast<NaryStatement*>(s))
    return std::any_of(q->children.begin(), q->children.end(), never_at_once);
  if (auto* q = dynamic_cast<Present*>(s))
    return q->else_branch != nullptr && never_at_once(q->then_branch) && never_at_once(q->else_branch);
  if (auto* q = dynamic_cast<Local*>(s)) return never_at_once(q->body);
  if (auto* q = dynamic_cast<Preemption*>(s)) return never_at_once(q->body);
  return false;
}

std::vector<Statement*> children_of(Statement* s) {
  if (auto* q = dynamic_cast<Sequence*>(s)) return {q->first, q->second};
  if (auto* q = dynamic_cast<Parallel*>(s)) return {q->left, q->right};
  if (auto* q = dynamic_cast<NaryStatement*>(s)) return q->children;
  if (auto* q = dynamic_cast<Present*>(s)) return {q->then_branch, q->else_branch};
  if (auto* q = dynamic_cast<Local*>(s)) return {q->body};
  if (auto* q = dynamic_cast<Preemption*>(s)) return {q->body};
  return {};  // an inner loop never ends: nothing in it lies on its parent's instant paths
}

// The status ids of the RTL wires in s of the branches that end at once beside a branch that
// waits, in the same parallel: their parallel cannot end in its starting instant, where alone
// they end, so its end reads them for nothing.
void instant_branch_ends(Statement* s, Module* m, Bddexpressionwood* w, std::unordered_set<long>& ends) {
  std::vector<Statement*> children = children_of(s);
  bool waits = s->isParallel() && std::any_of(children.begin(), children.end(), never_at_once);
  for (Statement* k : children) {
    if (k == nullptr) continue;
    if (waits && always_at_once(k)) ends.insert(k->getRtl()->getBddStatusId(m, w));
    instant_branch_ends(k, m, w, ends);
  }
}

// Whether the equation of from reads to, directly or through other equations, without passing
// through the variables of cut.
bool reads(const Bddexpressionwood* w, long from, long to, const std::unordered_set<long>& cut) {
  std::vector<long> stack{from};
  std::unordered_set<long> seen{from};
  while (!stack.empty()) {
    const Bddexpression* e = w->peek(stack.back());
    stack.pop_back();
    if (e == nullptr) continue;
    for (long d : e->vars_dependance) {
      if (d == to) return true;
      if (cut.count(d) == 0 && seen.insert(d).second) stack.push_back(d);
    }
  }
  return false;
}

}  // namespace

Loop::Loop(const std::string& n, Module* m, Statement* b) : Statement(n, m), body(b) {}

void Loop::compile(Module* m, EquationTable* t) {
  if (body->reincarnate()) {
    std::string double_name = "S_" + std::to_string(Module::SequenceNumber++);
    Statement* copy = body->duplicate(m, t);
    body = new Sequence(double_name, m, body, copy);
  }
  body->compile(m, t);
  refuseInstantBranch(m, t);
  createEquations(m, t);
}

// The body's SET := SET | body's RTL would close a cycle wherever the body's end reads its
// start; where it does so only through branches that end at once beside a waiting one, no
// reaction follows that cycle, and the user is told which loop and what to write instead.
void Loop::refuseInstantBranch(Module* m, EquationTable* t) const {
  Bddexpressionwood* w = t->getBddexpressionWood();
  const long start = body->getSet()->getBddStatusId(m, w), end = body->getRtl()->getBddStatusId(m, w);
  if (!reads(w, end, start, {})) return;
  std::unordered_set<long> ends;
  instant_branch_ends(body, m, w, ends);
  if (!ends.empty() && !reads(w, end, start, ends)) throw LoopInstantBranchException(name, line);
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
  Loop* copy = new Loop(copyName(m), m, b);
  copy->line = line;
  return copy;
}
