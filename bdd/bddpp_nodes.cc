// Node lists (shared, numbered in pre-order, optionally renumbered for the compiled-module
// file), the variable dump, the fixed-point report and the older per-equation .jxc table.
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "bddpp.h"
#include "g_exit.h"

namespace {

// Clears the marks under every root, visiting each node once (shared graphs have many paths).
void clear_marks_once(const std::list<bdd>& l) {
  std::unordered_set<bdd_node*> seen;
  std::vector<bdd_node*> stack;
  for (const bdd& f : l) stack.push_back(f.node());
  while (!stack.empty()) {
    bdd_node* n = stack.back();
    stack.pop_back();
    if (n == nullptr || !seen.insert(n).second) continue;
    n->clear_mark();
    if (n->var_index() >= 0) {
      stack.push_back(n->then_node());
      stack.push_back(n->else_node());
    }
  }
}

// Numbers the nodes of the list from 0 in pre-order with one running counter; marks left clear.
long number_nodes(bddpp_manager* m, const std::list<bdd>& l) {
  clear_marks_once(l);
  long id = 0;
  for (const bdd& f : l) id = m->Bdd_incremental_id(f.node(), id);
  clear_marks_once(l);
  return id;
}

}  // namespace

void bddpp_manager::Print_bdd_by_nodes_list_loc(std::ostream& os, bdd_node* n) {
  if (n == nullptr || n->is_marked()) return;
  n->mark();
  Print_bdd_node(os, n);
  os << "\n";
  if (n->var_index() < 0) return;
  Print_bdd_by_nodes_list_loc(os, n->then_node());
  Print_bdd_by_nodes_list_loc(os, n->else_node());
}

void bddpp_manager::Print_bdd_by_nodes_list_loc(std::ostream& os, bdd_node* n, long int* renumber) {
  if (n == nullptr || n->is_marked()) return;
  long index = n->var_index();
  // a variable without file number would be read back as the terminal: never write it
  if (index >= 0 && renumber[index] == -1) {
    g_exit(1, "INTERNAL ERROR in bddpp_manager::Print_bdd_by_nodes_list_loc():\n  variable " +
                  internal_names_table[index] + " (index " + std::to_string(index) +
                  ") has no number in the renumbering table\n");
  }
  n->mark();
  Print_bdd_node(os, n, renumber);
  os << "\n";
  if (index < 0) return;
  Print_bdd_by_nodes_list_loc(os, n->then_node(), renumber);
  Print_bdd_by_nodes_list_loc(os, n->else_node(), renumber);
}

// The list is built in memory first: a fatal record leaves the stream untouched.
void bddpp_manager::Print_bdds_list_by_nodes_list(std::ostream& os, std::list<bdd>& l, long int* renumber) {
  std::ostringstream text;
  text << number_nodes(this, l) << "\n";
  for (bdd& f : l) Print_bdd_by_nodes_list_loc(text, f.node(), renumber);
  os << text.str() << std::flush;
}

void bddpp_manager::Print_bdds_list_by_nodes_list(std::ostream& os, std::list<bdd>& l) {
  std::ostringstream text;
  text << "bdd_vars: " << "\n";
  for (long i = 0; i < internal_bdd_vars; ++i) {
    if (i > 0) text << ",";
    text << internal_names_table[i];
  }
  text << ";" << "\n";
  text << "bdd_nodes: " << "\n";
  number_nodes(this, l);
  for (bdd& f : l) Print_bdd_by_nodes_list_loc(text, f.node());
  os << text.str() << std::flush;
}

void bddpp_manager::Print_bdd_by_nodes_list(std::ostream& os, bdd f) {
  std::ostringstream text;
  text << "nombre de noeud trouves: " << number_nodes(this, {f}) << "\n";
  Print_bdd_by_nodes_list_loc(text, f.node());
  os << text.str() << std::flush;
}

void bddpp_manager::Print_bdd_by_nodes_list(std::ostream& os, bdd f, long int* renumber) {
  std::ostringstream text;
  number_nodes(this, {f});
  Print_bdd_by_nodes_list_loc(text, f.node(), renumber);
  os << text.str() << std::flush;
}

// ---------------------------------------------------------------------------------------------
// Variable dump and fixed points
// ---------------------------------------------------------------------------------------------

void bddpp_manager::debug_variables(std::ostream& os) {
  for (long i = 0; i < internal_bdd_vars; ++i) {
    Print_sop(" or ", " and ", "not ", "", os, Bdd_var_by_index(i), 1);
    os << " --> ";
    int link = internal_assoc_link_table[static_cast<size_t>(i)];
    Print_sop(" or ", " and ", "not ", "", os, bdd(this, link == -1 ? -1 : 1, Assoc_node(i)), 1);
    os << std::endl;
  }
}

void bddpp_manager::Print_Fixes_Points(std::ostream& os, bdd f) {
  int k = -1;
  bdd h = Bdd_follow_assoc(f, &k);
  if (k < 0) {
    os << " = ";
    Print_sop(" + ", ".", "", "'", os, h, 1);
    os << std::endl;
    return;
  }
  bdd x = Bdd_var_by_index(k);
  std::string name = internal_names_table[k];
  bdd h0 = Bdd_reduce(h, Bdd_not(x));
  bdd h1 = Bdd_reduce(h, x);
  bdd osc = Bdd_and(h0, Bdd_not(h1));
  os << std::endl;
  if (!Bdd_is_zero_tautologic(osc)) {
    os << "  ==> oscillation on " << name << "  for ";
    Print_sop(" + ", ".", "", "'", os, osc, 1);
    os << std::endl;
    os << "  ==> stabilisation when " << name << " = ";
    Print_sop(" + ", ".", "", "'", os, Bdd_not(osc), 1);
    os << std::endl;
  } else {
    os << "  ==> two stability points : " << name << "'= ";
    Print_sop(" + ", ".", "", "'", os, h0, 1);
    os << ", " << name << "''= ";
    Print_sop(" + ", ".", "", "'", os, h1, 1);
    os << std::flush;
  }
}

void bddpp_manager::JXC_print(std::ostream& os, long int* renumber, bdd defined, bdd definition, int method) {
  PLA_print_pref_suff_with_renaming(os, defined, definition, "", "", "", ":\n", ",\n", ";\n", " ", method,
                                    renumber);
}

void Print_debug_bdd(std::ostream& os, bdd f) {
  bddpp_manager* m = f.manager_ref();
  if (m == nullptr) return;
  m->Print_sop(" + ", " . ", "!", "", os, f, 0);
}
