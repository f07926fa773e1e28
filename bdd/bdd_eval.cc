// Three-valued evaluation, literal arrays, minterms, truth tables and awaited variables.
#include <cstdlib>
#include <iostream>

#include "bdd_tables.h"
#include "bddpp.h"
#include "g_exit.h"

[[noreturn]] static void unknown_bdd_type() { g_exit(1, "error in bddpp_manager::Bdd_eval(): unknown bdd type ...\n"); }

// Follows determined entries along one path; an undetermined variable evaluates both branches
// (then first) and gives their common value or 2. size < 0: the context is not bounded.
int bddpp_manager::Eval_rec(int link, bdd_node* n, const int* context, long size) {
  // One test per step: below 0 (other than the terminal), past the variables or past the context.
  long bound = size < 0 || size > internal_bdd_vars ? internal_bdd_vars : size;
  const unsigned long limit = static_cast<unsigned long>(bound);
  for (;;) {
    long i = n->internal_var_index;
    if (i == -1) return link == 1 ? 1 : 0;
    if (static_cast<unsigned long>(i) >= limit) unknown_bdd_type();
    int c = context[i];
    if (c == 2) break;
    if (c == 1) {
      n = n->internal_then;
    } else {
      link *= n->internal_else_link_type;
      n = n->internal_else;
    }
  }
  return internal_state->eval_memo.recall(n, link, [&] {
    int a = Eval_rec(link, n->internal_then, context, size);
    int b = Eval_rec(link * n->internal_else_link_type, n->internal_else, context, size);
    return a == b ? a : 2;
  });
}

int bddpp_manager::Bdd_eval_for_literal(const bdd& f, int* context) {
  internal_state->eval_memo.begin();
  if (!f.internal_bdd_node) unknown_bdd_type();
  return Eval_rec(f.internal_link_type, f.internal_bdd_node, context, -1);
}

int bddpp_manager::Bdd_eval_for_literal(const bdd& f, const int* context, long context_size) {
  internal_state->eval_memo.begin();
  if (!f.internal_bdd_node) unknown_bdd_type();
  return Eval_rec(f.internal_link_type, f.internal_bdd_node, context, context_size < 0 ? 0 : context_size);
}

bdd bddpp_manager::Bdd_eval(bdd f, int* literals) {
  bdd cube = Literals_to_bdd(literals);
  return Bdd_reduce(f, cube);
}

bdd bddpp_manager::Literals_to_bdd(int* literals) {
  bdd result = Bdd_one();
  for (long i = 0; i < internal_bdd_vars; ++i) {
    if (literals[i] == 0)
      result = Bdd_and(result, Bdd_not(Bdd_var_by_index(i)));
    else if (literals[i] == 1)
      result = Bdd_and(result, Bdd_var_by_index(i));
  }
  return result;
}

void bddpp_manager::Bdd_to_literals(bdd f, int* literals) {
  Bdd_node_to_literals(f.internal_link_type, f.internal_bdd_node, literals);
}

void bddpp_manager::Bdd_node_to_literals(int link, bdd_node* n, int* literals) {
  for (long i = 0; i < internal_bdd_vars; ++i) literals[i] = 2;
  if (!n) {
    std::cerr << "Warning: bddpp_manager::Bdd_node_to_literals() call with a NULL bdd node !" << std::endl;
    return;
  }
  bdd_node* one = internal_bdd_node_one;
  if (n == one) {
    if (link == 1) {
      g_exit(1, "ERROR in  bddpp_manager::Bdd_node_to_literals() :\nconstant 1 is not a literal ...\n");
    }
    return;
  }
  int l = link;
  while (n && n != one) {
    long v = n->internal_var_index;
    if (n->internal_then == one && n->internal_else == one) {
      literals[v] = l == 1 ? 1 : 0;
      return;
    }
    if (n->internal_then == one) {
      literals[v] = 0;
      l *= n->internal_else_link_type;
      n = n->internal_else;
    } else {
      literals[v] = 1;
      n = n->internal_then;
    }
  }
}

bdd bddpp_manager::Minterm(int code, int n, bdd* vars) {
  if (code < 0) return Bdd_zero();
  bdd result = Bdd_one();
  unsigned bits = static_cast<unsigned>(code);
  for (int i = 0; i < n; ++i) {
    bdd literal = (bits & 1u) ? vars[i] : Bdd_not(vars[i]);
    result = Bdd_and(result, literal);
    bits >>= 1;
  }
  return result;
}

static bool truth_table_size_ok(int n, const char* op) {
  if (n >= 0 && n <= 30) return true;
  std::cerr << "Error in bddpp_manager::" << op << "(): " << n << " variables, out of range 0..30!" << std::endl;
  return false;
}

void bddpp_manager::Truth_table(bdd f, int n, bdd* vars, char* out) {
  if (!truth_table_size_ok(n, "Truth_table")) return;
  int count = 1 << n;
  for (int k = 0; k < count; ++k) {
    bdd m = Minterm(k, n, vars);
    bdd r = Bdd_reduce(f, m);
    out[k] = Bdd_is_one_tautologic(r) ? '1' : Bdd_is_zero_tautologic(r) ? '0' : '?';
  }
}

void bddpp_manager::Bdd_truth_table(bdd f, int n, bdd* vars, bdd* out) {
  if (!truth_table_size_ok(n, "Bdd_truth_table")) return;
  int count = 1 << n;
  for (int k = 0; k < count; ++k) {
    bdd m = Minterm(k, n, vars);
    bdd r = Bdd_reduce(f, m);
    if (Bdd_is_one_tautologic(r))
      out[k] = Bdd_one();
    else if (Bdd_is_zero_tautologic(r))
      out[k] = Bdd_zero();
    else
      out[k] = r;
  }
}

int bddpp_manager::Variable_awaited(bdd f, long int index) {
  if (index < 0 || index >= internal_bdd_vars) return 0;
  return Bdd_node_depends_on(f.internal_bdd_node, Own_var_node(index));
}

int bddpp_manager::Variable_true_awaited(bdd f, long int index) {
  if (!Variable_awaited(f, index)) return 0;
  bdd r = Bdd_cube_reduce(f, Bdd_var_by_index(index));
  return Bdd_is_zero_tautologic(r) ? 0 : 1;
}

int bddpp_manager::Variable_false_awaited(bdd f, long int index) {
  if (!Variable_awaited(f, index)) return 0;
  bdd r = Bdd_cube_reduce(f, Bdd_not(Bdd_var_by_index(index)));
  return Bdd_is_zero_tautologic(r) ? 0 : 1;
}
