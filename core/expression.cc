// Rails of the expression nodes, and the folding of constants.
//
// Every rail is built from its operands evaluated into named temporaries, one statement each,
// in a fixed order (left operand before right, status before value, guard before guarded): BDD
// operations create nodes, node ids follow the order of creation and are written out, and C++
// leaves the order of the arguments of one call unspecified.
#include "expression.h"

#include <functional>
#include <ostream>
#include <unordered_map>

#include "Bddexpression.h"
#include "sexception.h"
#include "module_signal.h"

// ----- Expression -----

bdd Expression::getBddStatus(Module*, Bddexpressionwood*) {
  throw AbstractMethodCallException("Expression", "getBddStatus");
}
bdd Expression::getBddValue(Module*, Bddexpressionwood*) {
  throw AbstractMethodCallException("Expression", "getBddValue");
}
bdd Expression::getInitialBddStatus(Module*, Bddexpressionwood*) {
  throw AbstractMethodCallException("Expression", "getBddStatus");
}
bdd Expression::getInitialBddValue(Module*, Bddexpressionwood*) {
  throw AbstractMethodCallException("Expression", "getBddValue");
}

namespace {

// The rails read during the outermost read in progress. An operand read twice (the status and
// the value of a "not present" or of a guard) is built once, so that a chain of such nodes
// costs linear time instead of exponential. Building it again would make no node (the BDD
// operations meet the nodes they made the first time), so node ids are as without the memo.
struct ReadKey {
  Expression* e;
  int r;
  Bddexpressionwood* w;
  bool operator==(const ReadKey& o) const { return e == o.e && r == o.r && w == o.w; }
};
struct ReadKeyHash {
  std::size_t operator()(const ReadKey& k) const {
    return std::hash<const void*>()(k.e) * 31 + static_cast<std::size_t>(k.r) + std::hash<const void*>()(k.w) * 7;
  }
};
struct ReadMemo {
  int depth = 0;
  std::unordered_map<ReadKey, bdd, ReadKeyHash> rails;
};
thread_local ReadMemo memo;

struct ReadScope {
  ReadScope() { ++memo.depth; }
  ~ReadScope() {
    if (--memo.depth != 0) return;
    // A large table is dropped rather than cleared, which costs its bucket count each time.
    if (memo.rails.bucket_count() > 1024)
      memo.rails = std::unordered_map<ReadKey, bdd, ReadKeyHash>();
    else
      memo.rails.clear();
  }
};

}  // namespace

bdd Expression::read(Expression* e, Rail r, Module* m, Bddexpressionwood* w) {
  ReadScope scope;
  const ReadKey key{e, static_cast<int>(r), w};
  auto found = memo.rails.find(key);
  if (found != memo.rails.end()) return found->second;
  bdd b;
  switch (r) {
    case Rail::status:
      b = e->getBddStatus(m, w);
      break;
    case Rail::value:
      b = e->getBddValue(m, w);
      break;
    case Rail::initial_status:
      b = e->getInitialBddStatus(m, w);
      break;
    case Rail::initial_value:
      b = e->getInitialBddValue(m, w);
      break;
  }
  memo.rails.emplace(key, b);
  return b;
}

Expression::Rail Expression::statusOf(Rail r) {
  return r == Rail::status || r == Rail::value ? Rail::status : Rail::initial_status;
}

Expression::Rail Expression::valueOf(Rail r) {
  return r == Rail::status || r == Rail::value ? Rail::value : Rail::initial_value;
}

bool Expression::isBottomExpr() { return false; }
bool Expression::isErrorExpr() { return false; }
bool Expression::isTrueExpr() { return false; }
bool Expression::isFalseExpr() { return false; }

// With a non-constant this, fold the neutral and absorbing constants of the dual-rail or/and.
Expression* Expression::plus(Expression* other, Module*) {
  if (other->isBottomExpr() || other->isFalseExpr()) return this;
  if (other->isErrorExpr() || other->isTrueExpr()) return other;
  return new OrExpression(this, other);
}

Expression* Expression::mult(Expression* other, Module*) {
  if (other->isBottomExpr() || other->isFalseExpr()) return other;
  if (other->isErrorExpr() || other->isTrueExpr()) return this;
  return new AndExpression(this, other);
}

Expression* Expression::duplicate() { return nullptr; }

Expression* Expression::buildCurrentExpression(EquationTable*, Module*) { return this; }

std::ostream& Expression::print(std::ostream& os) { return os; }

void Expression::printBddStatus(std::ostream& os, Module* m, Bddexpressionwood* w) {
  bdd b = getBddStatus(m, w);
  w->my_bdd_manager()->Print_sop("+", "*", "!", "", os, b, 1);
}

void Expression::printBddValue(std::ostream& os, Module* m, Bddexpressionwood* w) {
  bdd b = getBddValue(m, w);
  w->my_bdd_manager()->Print_sop("+", "*", "!", "", os, b, 1);
}

// ----- Or / And -----

bdd BinaryExpression::onBoth(Rail r, bdd (Bddexpressionwood::*op)(bdd, bdd), Module* m, Bddexpressionwood* w) {
  bdd a = read(left, r, m, w);
  bdd b = read(right, r, m, w);
  return (w->*op)(a, b);
}

// Present when either operand is; false (the value rail) only when both are.
bdd OrExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  return onBoth(r, isStatus(r) ? &Bddexpressionwood::Bdd_or : &Bddexpressionwood::Bdd_and, m, w);
}
Expression* OrExpression::duplicate() {
  Expression* l = left->duplicate();
  Expression* r = right->duplicate();
  return new OrExpression(l, r);
}
Expression* OrExpression::buildCurrentExpression(EquationTable* t, Module* m) {
  Expression* l = left->buildCurrentExpression(t, m);
  Expression* r = right->buildCurrentExpression(t, m);
  return new OrExpression(l, r);
}
std::ostream& OrExpression::print(std::ostream& os) {
  os << "(";
  left->print(os);
  os << " + ";
  right->print(os);
  return os << ")";
}

// Present when both operands are; false (the value rail) when either is.
bdd AndExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  return onBoth(r, isStatus(r) ? &Bddexpressionwood::Bdd_and : &Bddexpressionwood::Bdd_or, m, w);
}
Expression* AndExpression::duplicate() {
  Expression* l = left->duplicate();
  Expression* r = right->duplicate();
  return new AndExpression(l, r);
}
Expression* AndExpression::buildCurrentExpression(EquationTable* t, Module* m) {
  Expression* l = left->buildCurrentExpression(t, m);
  Expression* r = right->buildCurrentExpression(t, m);
  return new AndExpression(l, r);
}
std::ostream& AndExpression::print(std::ostream& os) {
  os << "(";
  left->print(os);
  os << " * ";
  right->print(os);
  return os << ")";
}

// ----- Not / Np -----

// The operand's rails exchanged.
bdd NotExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  return read(expr, isStatus(r) ? valueOf(r) : statusOf(r), m, w);
}
Expression* NotExpression::duplicate() { return new NotExpression(expr->duplicate()); }
Expression* NotExpression::buildCurrentExpression(EquationTable* t, Module* m) {
  return new NotExpression(expr->buildCurrentExpression(t, m));
}
std::ostream& NotExpression::print(std::ostream& os) {
  os << "~";
  return expr->print(os);
}

namespace {
// Status of "not present" over the rails (s, v) of the operand: absent, or present with error.
bdd np_status(Bddexpressionwood* w, const bdd& s, const bdd& v) {
  bdd error = w->Bdd_and(s, v);
  bdd absent = w->Bdd_not(s);
  return w->Bdd_or(absent, error);
}
}  // namespace

// Status: absent, or present with error; value: the operand's status.
bdd NpExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  if (!isStatus(r)) return read(expr, statusOf(r), m, w);
  bdd s = read(expr, r, m, w);
  bdd v = read(expr, valueOf(r), m, w);
  return np_status(w, s, v);
}
Expression* NpExpression::duplicate() { return new NpExpression(expr->duplicate()); }
Expression* NpExpression::buildCurrentExpression(EquationTable* t, Module* m) {
  return new NpExpression(expr->buildCurrentExpression(t, m));
}
std::ostream& NpExpression::print(std::ostream& os) {
  os << "np";
  return expr->print(os);
}

// ----- guarded forms -----

namespace {
// Guard "is true": present and not error.
bdd is_true(Bddexpressionwood* w, const bdd& s, const bdd& v) { return w->Bdd_and(s, w->Bdd_not(v)); }
// Guard "is not true": error, false or bottom.
bdd is_not_true(Bddexpressionwood* w, const bdd& s, const bdd& v) { return w->Bdd_or(v, w->Bdd_not(s)); }
}  // namespace

bdd Expression::guarded(Expression* guard, bool when_true, Expression* e, Rail r, Module* m, Bddexpressionwood* w) {
  bdd s = read(guard, statusOf(r), m, w);
  bdd v = read(guard, valueOf(r), m, w);
  bdd g = when_true ? is_true(w, s, v) : is_not_true(w, s, v);
  bdd x = read(e, r, m, w);
  return w->Bdd_and(g, x);
}

bdd ThenExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  return guarded(bool_expr, true, identifier, r, m, w);
}
Expression* ThenExpression::duplicate() {
  Expression* b = bool_expr->duplicate();
  Expression* i = identifier->duplicate();
  return new ThenExpression(b, i);
}
std::ostream& ThenExpression::print(std::ostream& os) {
  os << "(SET_then(";
  bool_expr->print(os);
  os << ", ";
  identifier->print(os);
  return os << "))";
}

bdd ElseExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  return guarded(bool_expr, false, identifier, r, m, w);
}
Expression* ElseExpression::duplicate() {
  Expression* b = bool_expr->duplicate();
  Expression* i = identifier->duplicate();
  return new ElseExpression(b, i);
}
std::ostream& ElseExpression::print(std::ostream& os) {
  os << "(SET_else(";
  bool_expr->print(os);
  os << ", ";
  identifier->print(os);
  return os << "))";
}

bdd CondExpression::rail(Rail r, Module* m, Bddexpressionwood* w) {
  return guarded(condition, true, expression, r, m, w);
}
Expression* CondExpression::duplicate() {
  Expression* e = expression->duplicate();
  Signal* c = static_cast<Signal*>(condition->duplicate());
  return new CondExpression(e, c);
}
std::ostream& CondExpression::print(std::ostream& os) {
  os << "(Cond(";
  expression->print(os);
  os << ", ";
  condition->print(os);
  return os << "))";
}

// ----- constants -----

bdd TrueExpression::rail(Rail r, Module*, Bddexpressionwood* w) { return isStatus(r) ? w->Bdd_one() : w->Bdd_zero(); }
Expression* TrueExpression::plus(Expression* other, Module*) {
  if (other->isErrorExpr()) return other;
  if (!other->isFalseExpr()) return this;
  return new ErrorExpression();
}
Expression* TrueExpression::mult(Expression* other, Module*) {
  if (other->isErrorExpr()) return this;
  if (!other->isFalseExpr()) return other;
  return new BottomExpression();
}
Expression* TrueExpression::duplicate() { return new TrueExpression(); }
std::ostream& TrueExpression::print(std::ostream& os) { return os << " 1 "; }

bdd FalseExpression::rail(Rail r, Module*, Bddexpressionwood* w) { return isStatus(r) ? w->Bdd_zero() : w->Bdd_one(); }
Expression* FalseExpression::plus(Expression* other, Module*) {
  if (other->isBottomExpr()) return this;
  if (!other->isTrueExpr()) return other;
  return new ErrorExpression();
}
Expression* FalseExpression::mult(Expression* other, Module*) {
  if (other->isBottomExpr()) return other;
  if (!other->isTrueExpr()) return this;
  return new BottomExpression();
}
Expression* FalseExpression::duplicate() { return new FalseExpression(); }
std::ostream& FalseExpression::print(std::ostream& os) { return os << " 0 "; }

bdd BottomExpression::rail(Rail, Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
Expression* BottomExpression::plus(Expression* other, Module*) { return other; }
Expression* BottomExpression::mult(Expression*, Module*) { return this; }
Expression* BottomExpression::duplicate() { return new BottomExpression(); }
std::ostream& BottomExpression::print(std::ostream& os) { return os << " bottom "; }

bdd ErrorExpression::rail(Rail, Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
Expression* ErrorExpression::plus(Expression*, Module*) { return this; }
Expression* ErrorExpression::mult(Expression* other, Module*) { return other; }
Expression* ErrorExpression::duplicate() { return new ErrorExpression(); }
std::ostream& ErrorExpression::print(std::ostream& os) { return os << " error "; }
