// Equation-level writers of the Lustre, Esterel, documentation, dovk and listing targets.
// Writers of a whole system take the equations in earliest-date order; those that write
// node networks clear the manager's node marks first, so that each node is written once.
#ifndef GEN_PRINTERS_H
#define GEN_PRINTERS_H

#include <iosfwd>
#include <list>
#include <set>
#include <string>
#include <vector>

#include "bddpp.h"

class Bddexpression;
class Bddexpressionwood;
class Module;
class Signal;

// ----- Lustre -----
// "false", "0", "0.0" for bool, int, real; T + "_zero" for any other type T.
std::string zero_lustre(const std::string& type);
// One equation, without a line end: the node lines of its definition (scalar node
// variables node_name + "_" + id), then "   x= " + the root, or "   x= y;" for a single
// positive variable. Nothing without a manager or with an unset handle.
void put_lustre_arrayless(Bddexpression& e, std::ostream& os, const std::string& node_name);
// The same with node array elements array + "[" + id + "]".
void put_lustre(Bddexpression& e, std::ostream& os, const std::string& array);
void Put_lustre_arrayless(Bddexpressionwood& w, std::ostream& os, const std::string& node_name);
void Put_lustre(Bddexpressionwood& w, std::ostream& os, const std::string& array);
// Sets used[id] for every node that the network writer writes for the equation: each
// node under the root of a definition that is not a single positive variable. used holds
// one entry per node id.
void Lustre_writing_node_used(Bddexpression& e, std::vector<char>& used);
// used := one entry per node id of the manager (Bdd_total_size), set by the above for
// every equation; empty without a manager.
void Lustre_writing_node_used(Bddexpressionwood& w, std::vector<char>& used);

// ----- Esterel -----
// "  present [" + sum of products + "] then\n    emit x\n  end present", no line end.
void put_esterel(Bddexpression& e, std::ostream& os, int method);
// The equations as parallel branches separated by "  ||".
void Put_esterel(Bddexpressionwood& w, std::ostream& os, int method);

// ----- Documentation -----
// Every equation as Bddexpression::put_doc writes it, the node lines first and each node
// once, each equation followed by a line end.
void Put_doc(Bddexpressionwood& w, std::ostream& os, const std::string& node_name);

// ----- Debug listing -----
// The entries of the listing viewer made of a file: the first starts with "#COLONNE 130 ";
// a newline or a NUL ends an entry, 128 characters of text close it and the text goes on
// in the next. Text after the last newline is not taken.
std::list<std::string> debug_listing_lines(std::istream& in);

// ----- Dovk -----
// 1 when f can hold with the input s true (respectively false) and depends on it.
int quadrival_var_true_awaited(Module* m, bdd f, Signal* s);
int quadrival_var_false_awaited(Module* m, bdd f, Signal* s);
// index + ": " + the items in increasing order separated by blanks; no line end.
void dksetput(std::ostream& os, long index, std::set<int>& items);
// "   A[i]= " + the sum of products over A[...] + ";".
void put_dk(Bddexpression& e, std::ostream& os, const std::string& array, int method);
void Put_dk(Bddexpressionwood& w, std::ostream& os, const std::string& array, int method);

// ----- Other listings -----
// name + " = " + the sum of products with "or", "and", "not ".
void put_bac(Bddexpression& e, std::ostream& os, int method);
// Each equation by put_bac, then ";" and a line end.
void Put_bac(Bddexpressionwood& w, std::ostream& os, int method);
// "$" + name + " = " + sum of products ("+", ".", "\overline{x}") + "$", every "_" as "\_".
void put_latex(Bddexpression& e, std::ostream& os, int method);
// An itemize list of the equations by put_latex.
void Put_latex(Bddexpressionwood& w, std::ostream& os, int method);
// name + "=" and a line end, then the node structure of the definition.
void put_tree(Bddexpression& e, std::ostream& os);

#endif
