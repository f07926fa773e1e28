// Short builders of the expression nodes that the statements' equations are made of.
// Nodes are never freed, as everywhere in the expression trees.
#ifndef STATEMENT_EXPR_H
#define STATEMENT_EXPR_H

#include "expression.h"

namespace stmt_expr {

inline Expression* And(Expression* a, Expression* b) { return new AndExpression(a, b); }
inline Expression* And(Expression* a, Expression* b, Expression* c) { return And(And(a, b), c); }
inline Expression* And(Expression* a, Expression* b, Expression* c, Expression* d) { return And(And(a, b, c), d); }
inline Expression* Or(Expression* a, Expression* b) { return new OrExpression(a, b); }
inline Expression* Or(Expression* a, Expression* b, Expression* c) { return Or(Or(a, b), c); }
inline Expression* Not(Expression* a) { return new NotExpression(a); }
inline Expression* Np(Expression* a) { return new NpExpression(a); }

}  // namespace stmt_expr

#endif
