// Four-valued expression trees over the dual-rail code.
//
// Every node denotes, in one equation system and for one module, a pair of BDDs of that
// system's manager: the status rail and the value rail. The four values are the pairs
// (status, value): true (1, 0), false (0, 1), bottom (0, 0) and error (1, 1).
//
// Nodes are created with new and handled by raw pointer; trees may share nodes and no node
// is ever destroyed by the tree. Operands are stored, not copied.
#ifndef EXPRESSION_H
#define EXPRESSION_H

#include <iosfwd>

#include "bddpp.h"

class Bddexpressionwood;
class Module;
class EquationTable;
class Signal;

class Expression {
 public:
  Expression() = default;
  Expression(const Expression&) = default;
  Expression& operator=(const Expression&) = default;

  // The rails in the current occurrences of the signals, then in their initial ones
  // (occurrence 0). The base class throws AbstractMethodCallException.
  virtual bdd getBddStatus(Module* m, Bddexpressionwood* w);
  virtual bdd getBddValue(Module* m, Bddexpressionwood* w);
  virtual bdd getInitialBddStatus(Module* m, Bddexpressionwood* w);
  virtual bdd getInitialBddValue(Module* m, Bddexpressionwood* w);

  virtual bool isBottomExpr();
  virtual bool isErrorExpr();
  virtual bool isTrueExpr();
  virtual bool isFalseExpr();

  // Disjunction and conjunction folding the constants; the result is one of the two
  // operands or a new node. The module is not used.
  virtual Expression* plus(Expression* other, Module* m);
  virtual Expression* mult(Expression* other, Module* m);

  // Deep copy; null in the base class.
  virtual Expression* duplicate();
  // The expression over the current occurrences; the node itself in the base class.
  virtual Expression* buildCurrentExpression(EquationTable* table, Module* m);

  // Infix text; the base class writes nothing.
  virtual std::ostream& print(std::ostream& os);
  // The rail as a sum of products in the system's manager.
  virtual void printBddStatus(std::ostream& os, Module* m, Bddexpressionwood* w);
  virtual void printBddValue(std::ostream& os, Module* m, Bddexpressionwood* w);

  // Trees never destroy their nodes; the destructor is virtual so an owner may.
  virtual ~Expression() = default;

 protected:
  // One of the four rail functions above, so that one helper of a subclass serves the current
  // and the initial forms: it reads the rail asked for, and its sibling in the same occurrence,
  // on its operands.
  enum class Rail { status, value, initial_status, initial_value };
  static bdd read(Expression* e, Rail r, Module* m, Bddexpressionwood* w);
  static Rail statusOf(Rail r);  // the status rail of r's occurrence
  static Rail valueOf(Rail r);   // the value rail of r's occurrence
  static bool isStatus(Rail r) { return statusOf(r) == r; }
  // The rail r of e where guard, read in r's occurrence, is true (when_true) or is not true
  // (false, bottom or error); bottom elsewhere.
  static bdd guarded(Expression* guard, bool when_true, Expression* e, Rail r, Module* m, Bddexpressionwood* w);
};

class BinaryExpression : public Expression {
 public:
  BinaryExpression(Expression* left, Expression* right) : left(left), right(right) {}
  Expression* getLeft() const { return left; }
  Expression* getRight() const { return right; }

  Expression* left;
  Expression* right;

 protected:
  // op over the rail r of the left operand, then of the right one.
  bdd onBoth(Rail r, bdd (Bddexpressionwood::*op)(bdd, bdd), Module* m, Bddexpressionwood* w);
};

// The four rail functions of a node written once, over the rail helper the node defines.
template <class Base>
class RailForms : public Base {
 public:
  using Base::Base;
  bdd getBddStatus(Module* m, Bddexpressionwood* w) override { return rail(Expression::Rail::status, m, w); }
  bdd getBddValue(Module* m, Bddexpressionwood* w) override { return rail(Expression::Rail::value, m, w); }
  bdd getInitialBddStatus(Module* m, Bddexpressionwood* w) override {
    return rail(Expression::Rail::initial_status, m, w);
  }
  bdd getInitialBddValue(Module* m, Bddexpressionwood* w) override {
    return rail(Expression::Rail::initial_value, m, w);
  }

 private:
  virtual bdd rail(Expression::Rail r, Module* m, Bddexpressionwood* w) = 0;
};

class OrExpression : public RailForms<BinaryExpression> {
 public:
  OrExpression(Expression* left, Expression* right) : RailForms(left, right) {}
  Expression* duplicate() override;
  Expression* buildCurrentExpression(EquationTable* table, Module* m) override;
  std::ostream& print(std::ostream& os) override;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

class AndExpression : public RailForms<BinaryExpression> {
 public:
  AndExpression(Expression* left, Expression* right) : RailForms(left, right) {}
  Expression* duplicate() override;
  Expression* buildCurrentExpression(EquationTable* table, Module* m) override;
  std::ostream& print(std::ostream& os) override;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

// Exchanges true and false; keeps bottom and error.
class NotExpression : public RailForms<Expression> {
 public:
  explicit NotExpression(Expression* expr) : expr(expr) {}
  Expression* getExpr() const { return expr; }
  Expression* duplicate() override;
  Expression* buildCurrentExpression(EquationTable* table, Module* m) override;
  std::ostream& print(std::ostream& os) override;

  Expression* expr;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

// Not present: true -> false, false -> true, bottom -> true, error -> error.
class NpExpression : public RailForms<Expression> {
 public:
  explicit NpExpression(Expression* expr) : expr(expr) {}
  Expression* getExpr() const { return expr; }
  Expression* duplicate() override;
  Expression* buildCurrentExpression(EquationTable* table, Module* m) override;
  std::ostream& print(std::ostream& os) override;

  Expression* expr;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

// identifier where bool_expr is true, bottom elsewhere.
class ThenExpression : public RailForms<Expression> {
 public:
  ThenExpression(Expression* bool_expr, Expression* identifier) : bool_expr(bool_expr), identifier(identifier) {}
  Expression* getBoolExpr() const { return bool_expr; }
  Expression* getIdentifier() const { return identifier; }
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

  Expression* bool_expr;
  Expression* identifier;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

// bottom where bool_expr is true, identifier elsewhere (false, bottom or error).
class ElseExpression : public RailForms<Expression> {
 public:
  ElseExpression(Expression* bool_expr, Expression* identifier) : bool_expr(bool_expr), identifier(identifier) {}
  Expression* getBoolExpr() const { return bool_expr; }
  Expression* getIdentifier() const { return identifier; }
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

  Expression* bool_expr;
  Expression* identifier;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

// expression where the signal condition is true, bottom elsewhere.
class CondExpression : public RailForms<Expression> {
 public:
  CondExpression(Expression* expression, Signal* condition) : expression(expression), condition(condition) {}
  Expression* getExpression() const { return expression; }
  Signal* getCond() const { return condition; }
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

  Expression* expression;
  Signal* condition;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

class TrueExpression : public RailForms<Expression> {
 public:
  TrueExpression() = default;
  bool isTrueExpr() override { return true; }
  Expression* plus(Expression* other, Module* m) override;
  Expression* mult(Expression* other, Module* m) override;
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

class FalseExpression : public RailForms<Expression> {
 public:
  FalseExpression() = default;
  bool isFalseExpr() override { return true; }
  Expression* plus(Expression* other, Module* m) override;
  Expression* mult(Expression* other, Module* m) override;
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

class BottomExpression : public RailForms<Expression> {
 public:
  BottomExpression() = default;
  bool isBottomExpr() override { return true; }
  Expression* plus(Expression* other, Module* m) override;
  Expression* mult(Expression* other, Module* m) override;
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

class ErrorExpression : public RailForms<Expression> {
 public:
  ErrorExpression() = default;
  bool isErrorExpr() override { return true; }
  Expression* plus(Expression* other, Module* m) override;
  Expression* mult(Expression* other, Module* m) override;
  Expression* duplicate() override;
  std::ostream& print(std::ostream& os) override;

 private:
  bdd rail(Rail r, Module* m, Bddexpressionwood* w) override;
};

// One equation of a Mealy machine: the defined signal and its right side.
struct Equation {
  Equation() = default;
  Equation(Signal* s, Expression* e) : signal(s), expression(e) {}
  Signal* getSignal() const { return signal; }
  Expression* getExpression() const { return expression; }

  Signal* signal = nullptr;
  Expression* expression = nullptr;
};

#endif
