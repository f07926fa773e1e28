// Helpers shared by the BDD package tests.
#ifndef TESTS_BDD_TEST_UTIL_H
#define TESTS_BDD_TEST_UTIL_H

#include <string>
#include <vector>

#include "bddpp.h"

// A literal text as a POSIX extended regular expression (for death tests).
inline std::string Literal_regex(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

// Value of f when variable i has bit i of bits (all variables of the manager).
inline int Value_at(bddpp_manager& m, const bdd& f, unsigned long bits) {
  std::vector<int> ctx(static_cast<size_t>(m.Nb_bdd_vars()) + 1, 0);
  for (long i = 0; i < m.Nb_bdd_vars() && i < 64; ++i) ctx[i] = (bits >> i) & 1u;
  return m.Bdd_eval_for_literal(f, ctx.data());
}

// Truth table over the first n variables, entry k at bits k.
inline std::string Table(bddpp_manager& m, const bdd& f, int n) {
  std::string s;
  for (unsigned long k = 0; k < (1ul << n); ++k) s += static_cast<char>('0' + Value_at(m, f, k));
  return s;
}

// x0 xor x1 xor ... xor x(n-1) over the first n variables, built left to right.
inline bdd Parity(bddpp_manager& m, int n) {
  bdd p = m.Bdd_zero();
  for (int i = 0; i < n; ++i) p = m.Bdd_xor(p, m.Bdd_var_by_index(i));
  return p;
}

inline void Make_vars(bddpp_manager& m, int n, const std::string& stem = "x") {
  for (int i = 0; i < n; ++i) m.New_var_last(stem + std::to_string(i));
}

// Every path-walking guard uses 64 variables with the memos, 16 without (2^64 paths otherwise).
constexpr int kParityVars = BDD_EXACT_CACHE ? 64 : 16;

#endif
