#include "expression.h"

#include <ostream>

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

bdd OrExpression::getBddStatus(Module* m, Bddexpressionwood* w) {
  bdd l = left->getBddStatus(m, w);
  bdd r = right->getBddStatus(m, w);
  return w->Bdd_or(l, r);
}
bdd OrExpression::getBddValue(Module* m, Bddexpressionwood* w) {
  bdd l = left->getBddValue(m, w);
  bdd r = right->getBddValue(m, w);
  return w->Bdd_and(l, r);
}
bdd OrExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  bdd l = left->getInitialBddStatus(m, w);
  bdd r = right->getInitialBddStatus(m, w);
  return w->Bdd_or(l, r);
}
bdd OrExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) {
  bdd l = left->getInitialBddValue(m, w);
  bdd r = right->getInitialBddValue(m, w);
  return w->Bdd_and(l, r);
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

bdd AndExpression::getBddStatus(Module* m, Bddexpressionwood* w) {
  bdd l = left->getBddStatus(m, w);
  bdd r = right->getBddStatus(m, w);
  return w->Bdd_and(l, r);
}
bdd AndExpression::getBddValue(Module* m, Bddexpressionwood* w) {
  bdd l = left->getBddValue(m, w);
  bdd r = right->getBddValue(m, w);
  return w->Bdd_or(l, r);
}
bdd AndExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  bdd l = left->getInitialBddStatus(m, w);
  bdd r = right->getInitialBddStatus(m, w);
  return w->Bdd_and(l, r);
}
bdd AndExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) {
  bdd l = left->getInitialBddValue(m, w);
  bdd r = right->getInitialBddValue(m, w);
  return w->Bdd_or(l, r);
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

bdd NotExpression::getBddStatus(Module* m, Bddexpressionwood* w) { return expr->getBddValue(m, w); }
bdd NotExpression::getBddValue(Module* m, Bddexpressionwood* w) { return expr->getBddStatus(m, w); }
bdd NotExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) { return expr->getInitialBddValue(m, w); }
bdd NotExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) { return expr->getInitialBddStatus(m, w); }
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
  return w->Bdd_or(w->Bdd_not(s), w->Bdd_and(s, v));
}
}  // namespace

bdd NpExpression::getBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = expr->getBddStatus(m, w);
  bdd v = expr->getBddValue(m, w);
  return np_status(w, s, v);
}
bdd NpExpression::getBddValue(Module* m, Bddexpressionwood* w) { return expr->getBddStatus(m, w); }
bdd NpExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = expr->getInitialBddStatus(m, w);
  bdd v = expr->getInitialBddValue(m, w);
  return np_status(w, s, v);
}
bdd NpExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) { return expr->getInitialBddStatus(m, w); }
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

bdd ThenExpression::getBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getBddStatus(m, w);
  bdd v = bool_expr->getBddValue(m, w);
  bdd g = is_true(w, s, v);
  return w->Bdd_and(g, identifier->getBddStatus(m, w));
}
bdd ThenExpression::getBddValue(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getBddStatus(m, w);
  bdd v = bool_expr->getBddValue(m, w);
  bdd g = is_true(w, s, v);
  return w->Bdd_and(g, identifier->getBddValue(m, w));
}
bdd ThenExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getInitialBddStatus(m, w);
  bdd v = bool_expr->getInitialBddValue(m, w);
  bdd g = is_true(w, s, v);
  return w->Bdd_and(g, identifier->getInitialBddStatus(m, w));
}
bdd ThenExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getInitialBddStatus(m, w);
  bdd v = bool_expr->getInitialBddValue(m, w);
  bdd g = is_true(w, s, v);
  return w->Bdd_and(g, identifier->getInitialBddValue(m, w));
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

bdd ElseExpression::getBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getBddStatus(m, w);
  bdd v = bool_expr->getBddValue(m, w);
  bdd h = is_not_true(w, s, v);
  return w->Bdd_and(h, identifier->getBddStatus(m, w));
}
bdd ElseExpression::getBddValue(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getBddStatus(m, w);
  bdd v = bool_expr->getBddValue(m, w);
  bdd h = is_not_true(w, s, v);
  return w->Bdd_and(h, identifier->getBddValue(m, w));
}
bdd ElseExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getInitialBddStatus(m, w);
  bdd v = bool_expr->getInitialBddValue(m, w);
  bdd h = is_not_true(w, s, v);
  return w->Bdd_and(h, identifier->getInitialBddStatus(m, w));
}
bdd ElseExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) {
  bdd s = bool_expr->getInitialBddStatus(m, w);
  bdd v = bool_expr->getInitialBddValue(m, w);
  bdd h = is_not_true(w, s, v);
  return w->Bdd_and(h, identifier->getInitialBddValue(m, w));
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

bdd CondExpression::getBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = condition->getBddStatus(m, w);
  bdd v = condition->getBddValue(m, w);
  bdd k = is_true(w, s, v);
  return w->Bdd_and(k, expression->getBddStatus(m, w));
}
bdd CondExpression::getBddValue(Module* m, Bddexpressionwood* w) {
  bdd s = condition->getBddStatus(m, w);
  bdd v = condition->getBddValue(m, w);
  bdd k = is_true(w, s, v);
  return w->Bdd_and(k, expression->getBddValue(m, w));
}
bdd CondExpression::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  bdd s = condition->getInitialBddStatus(m, w);
  bdd v = condition->getInitialBddValue(m, w);
  bdd k = is_true(w, s, v);
  return w->Bdd_and(k, expression->getInitialBddStatus(m, w));
}
bdd CondExpression::getInitialBddValue(Module* m, Bddexpressionwood* w) {
  bdd s = condition->getInitialBddStatus(m, w);
  bdd v = condition->getInitialBddValue(m, w);
  bdd k = is_true(w, s, v);
  return w->Bdd_and(k, expression->getInitialBddValue(m, w));
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

bdd TrueExpression::getBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
bdd TrueExpression::getBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
bdd TrueExpression::getInitialBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
bdd TrueExpression::getInitialBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
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

bdd FalseExpression::getBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
bdd FalseExpression::getBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
bdd FalseExpression::getInitialBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
bdd FalseExpression::getInitialBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
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

bdd BottomExpression::getBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
bdd BottomExpression::getBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
bdd BottomExpression::getInitialBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
bdd BottomExpression::getInitialBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_zero(); }
Expression* BottomExpression::plus(Expression* other, Module*) { return other; }
Expression* BottomExpression::mult(Expression*, Module*) { return this; }
Expression* BottomExpression::duplicate() { return new BottomExpression(); }
std::ostream& BottomExpression::print(std::ostream& os) { return os << " bottom "; }

bdd ErrorExpression::getBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
bdd ErrorExpression::getBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
bdd ErrorExpression::getInitialBddStatus(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
bdd ErrorExpression::getInitialBddValue(Module*, Bddexpressionwood* w) { return w->Bdd_one(); }
Expression* ErrorExpression::plus(Expression*, Module*) { return this; }
Expression* ErrorExpression::mult(Expression* other, Module*) { return other; }
Expression* ErrorExpression::duplicate() { return new ErrorExpression(); }
std::ostream& ErrorExpression::print(std::ostream& os) { return os << " error "; }
