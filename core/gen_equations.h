// Equation-level writers of the C, SystemC and C# generators: each equation of an equation
// system as a network of node assignments over one shared node array, then the assignment
// of its variable. The node writers write a node only when it is not yet marked and mark
// it, so the functions that write a whole system clear the marks first.
#ifndef GEN_EQUATIONS_H
#define GEN_EQUATIONS_H

#include <iosfwd>
#include <list>
#include <string>

class Bddexpression;
class Bddexpressionwood;

// ----- C -----
// One equation, without a line end: "  *" + L (L in pointer_names) or "   " + L, then
// "= " and the variable, or the node lines of its BDD (array A) and "= A[root]" /
// "= !A[root]". A variable of pointer_names that is read is written "(*name)". Nothing
// without a manager or with an unset handle. The second form writes every variable as
// prefix + name + suffix (pointer_names holds bare names).
void put_c(Bddexpression& e, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names);
void put_c(Bddexpression& e, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names,
           const std::string& prefix, const std::string& suffix);
// Clears the marks, then every equation in earliest-date order, each followed by a line end.
void Put_c(Bddexpressionwood& w, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names);
void Put_c(Bddexpressionwood& w, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names,
           const std::string& prefix, const std::string& suffix);

// ----- SystemC signal assignments -----
// "name <= " + the definition as a sum of products (cover method given) + ";", no line end.
void put_systemc(Bddexpression& e, std::ostream& os, int method);
// "    " + each equation in earliest-date order + a line end; the marks are not touched.
void Put_systemc(Bddexpressionwood& w, std::ostream& os, int method);

// ----- C# -----
// One equation as in C with the C# texts ("||", "&&", "!", "false"), indented by indent
// blanks (two when 0); no pointers. The before/after forms write every variable as
// before + name + after.
void put_csharp(Bddexpression& e, std::ostream& os, const std::string& node_array, int indent = 0);
void put_csharp(Bddexpression& e, std::ostream& os, const std::string& node_array, const std::string& before,
                const std::string& after, int indent = 0);
// Clears the marks, then every equation in earliest-date order and a newline.
void Put_csharp(Bddexpressionwood& w, std::ostream& os, const std::string& node_array, int indent = 0);
void Put_csharp(Bddexpressionwood& w, std::ostream& os, const std::string& node_array, const std::string& before,
                const std::string& after, int indent = 0);

#endif
