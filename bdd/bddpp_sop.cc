// Implicants and sums of products: one implicant, ternary decision trees (all and prime
// implicants), essential primes and the four cover methods of Bdd_sop.
//
// Covers live in growable vectors; the limit of Max_number_of_terms() products and its fatal
// texts are enforced where products are appended. The bdd* forms copy into a caller's array.
// Every step keeps the order of node requests of the original walk (ids are printed later).
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "bddpp.h"
#include "g_exit.h"

namespace {

const long kMaxProducts = 1000000;

bool is_one(const bdd& f) {
  return f.node() != nullptr && f.node()->var_index() == -1 && f.link_type() == 1;
}
bool is_zero(const bdd& f) {
  return f.node() != nullptr && f.node()->var_index() == -1 && f.link_type() == -1;
}
bool is_constant(const bdd& f) { return f.node() != nullptr && f.node()->var_index() == -1; }

// Moves the non-zero entries to the front in order; the entries left behind become zero.
int compact_non_zero(bddpp_manager* m, std::vector<bdd>& v) {
  size_t k = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    if (!is_zero(v[i])) {
      if (k != i) v[k] = v[i];
      ++k;
    }
  }
  bdd zero = m->Bdd_zero();
  for (size_t i = k; i < v.size(); ++i) v[i] = zero;
  return static_cast<int>(k);
}

void copy_out(const std::vector<bdd>& v, bdd* out) {
  for (size_t i = 0; i < v.size(); ++i) out[i] = v[i];
}

[[noreturn]] void bad_handle_report(const char* where, const bdd& f) {
  std::ostringstream text;
  text << "ERROR in bddpp_manager::" << where << "():\n";
  text << "   bdd : " << f << ", is not allocated or associated with a bad BDD manager...\n";
  g_exit(1, text.str());
}

}  // namespace

long int bddpp_manager::Max_number_of_terms() { return kMaxProducts; }

// ---------------------------------------------------------------------------------------------
// Ternary decision tree
// ---------------------------------------------------------------------------------------------

Tdd::Tdd(bddpp_manager* m, bdd f)
    : internal_manager_ref(m), internal_bdd(), internal_then(nullptr), internal_else(nullptr),
      internal_dont_care(nullptr) {
  if (m == nullptr) {
    std::cerr << "in Tdd::Tdd() : error: bdd manager not yet created !" << std::endl;
    return;  // an empty leaf
  }
  if (f.node() == nullptr || is_constant(f)) {
    internal_bdd = f;
    return;
  }
  internal_bdd = m->Bdd_if(f);
  bdd t = m->Bdd_then(f);
  bdd e = m->Bdd_else(f);
  internal_then = new Tdd(m, t);
  internal_else = new Tdd(m, e);
  bdd dc = m->Bdd_and(t, e);
  internal_dont_care = new Tdd(m, dc);
}

Tdd::~Tdd() {
  delete internal_then;
  delete internal_else;
  delete internal_dont_care;
}

void Tdd::Print_bdd_structure(std::ostream& out) { Print_bdd_structure_loc(out, 0); }

void Tdd::Print_bdd_structure_loc(std::ostream& out, int indent) {
  std::string blanks(indent > 0 ? indent : 0, ' ');
  if (internal_then == nullptr) {
    if (internal_manager_ref == nullptr || internal_bdd.node() == nullptr)
      out << blanks << "0" << std::endl;
    else
      out << blanks << internal_manager_ref->Name_var_by_bdd(internal_bdd) << std::endl;
    return;
  }
  std::string name = internal_manager_ref->Name_var_by_bdd(internal_bdd);
  out << blanks << "if " << name << std::endl;
  internal_then->Print_bdd_structure_loc(out, indent + 2);
  out << blanks << "else if !" << name << std::endl;
  internal_else->Print_bdd_structure_loc(out, indent + 2);
  out << blanks << "dont care " << name << std::endl;
  internal_dont_care->Print_bdd_structure_loc(out, indent + 2);
}

int Tdd::Bdd_implicants_loc(bdd cube, int n, std::vector<bdd>& out) {
  bddpp_manager* m = internal_manager_ref;
  if (internal_then == nullptr) {
    if (!is_one(internal_bdd)) return n;
    // cube implies the function: enlarge the first product it contains, or append it
    for (int k = 0; k < n; ++k) {
      if (m->Bdd_imply(out[k], cube)) {
        out[k] = cube;
        return n;
      }
    }
    if (n >= kMaxProducts) {
      g_exit(1, "error in Tdd::Bdd_implicants_loc() \nexcessive number of products ...\n");
    }
    out.resize(n);
    out.push_back(cube);
    return n + 1;
  }
  bdd c1 = m->Bdd_and(cube, internal_bdd);
  bdd c0 = m->Bdd_and(cube, m->Bdd_not(internal_bdd));
  n = internal_then->Bdd_implicants_loc(c1, n, out);
  n = internal_else->Bdd_implicants_loc(c0, n, out);
  n = internal_dont_care->Bdd_implicants_loc(cube, n, out);
  return n;
}

int Tdd::Bdd_implicants_loc(bdd cube, int n, bdd* out) {
  std::vector<bdd> v(out, out + (n > 0 ? n : 0));
  int r = Bdd_implicants_loc(cube, n, v);
  copy_out(v, out);
  return r;
}

int Tdd::Bdd_prime_implicants(std::vector<bdd>& out) {
  out.clear();
  bddpp_manager* m = internal_manager_ref;
  if (m == nullptr) return 0;
  int n = Bdd_implicants_loc(m->Bdd_one(), 0, out);
  if (n == 0) return 0;
  bdd zero = m->Bdd_zero();
  for (int i = 0; i + 1 < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (m->Bdd_imply(out[j], out[i])) out[j] = zero;
  int count = compact_non_zero(m, out);
  out.resize(count);
  return count;
}

int Tdd::Bdd_prime_implicants(bdd* out) {
  std::vector<bdd> v;
  int n = Bdd_prime_implicants(v);
  copy_out(v, out);
  return n;
}

// ---------------------------------------------------------------------------------------------
// Implicants
// ---------------------------------------------------------------------------------------------

int bddpp_manager::Bdd_prime_implicants(bdd f, std::vector<bdd>& out) {
  out.clear();
  if (is_constant(f)) {
    out.push_back(f);
    return 1;
  }
  Tdd tree(this, f);
  return tree.Bdd_prime_implicants(out);
}

int bddpp_manager::Bdd_prime_implicants(bdd f, bdd* out) {
  std::vector<bdd> v;
  int n = Bdd_prime_implicants(f, v);
  copy_out(v, out);
  return n;
}

void bddpp_manager::Bdd_essential_implicants(bdd f, std::vector<bdd>& essential, std::vector<bdd>& other) {
  essential.clear();
  other.clear();
  std::vector<bdd> primes;
  int n = Bdd_prime_implicants(f, primes);
  for (int i = 0; i < n; ++i) {
    bdd u = Bdd_zero();
    for (int k = 0; k < n; ++k)
      if (k != i) u = Bdd_or(u, primes[k]);
    if (Bdd_equiv(u, f))
      other.push_back(primes[i]);
    else
      essential.push_back(primes[i]);
  }
}

void bddpp_manager::Bdd_essential_implicants(bdd f, int* n_essential, bdd* essential, int* n_other,
                                             bdd* other) {
  std::vector<bdd> e, o;
  Bdd_essential_implicants(f, e, o);
  copy_out(e, essential);
  copy_out(o, other);
  if (n_essential) *n_essential = static_cast<int>(e.size());
  if (n_other) *n_other = static_cast<int>(o.size());
}

bdd bddpp_manager::Bdd_one_implicant(bdd f) {
  if (!bdd_owned_by(f, this)) bad_handle_report("Bdd_one_implicant", f);
  if (is_constant(f)) return f;
  if (Bdd_is_var(f) || Bdd_is_negvar(f)) return f;
  bdd x = Bdd_if(f);
  bdd t = Bdd_then(f);
  bdd e = Bdd_else(f);
  if (is_one(t)) return x;
  if (is_zero(t)) {
    bdd nx = Bdd_not(x);
    bdd rest = Bdd_one_implicant(e);
    return Bdd_and(nx, rest);
  }
  if (is_one(e)) return Bdd_not(x);
  if (is_zero(e)) {
    bdd rest = Bdd_one_implicant(t);
    return Bdd_and(x, rest);
  }
  // follow the branch with the smaller support; ties go to the then branch
  if (t.node()->var_index_dep_size() <= e.node()->var_index_dep_size()) {
    bdd rest = Bdd_one_implicant(t);
    return Bdd_and(x, rest);
  }
  bdd nx = Bdd_not(x);
  bdd rest = Bdd_one_implicant(e);
  return Bdd_and(nx, rest);
}

// ---------------------------------------------------------------------------------------------
// Sums of products
// ---------------------------------------------------------------------------------------------

int bddpp_manager::Bdd_sop_0(bdd f, std::vector<bdd>& out) {
  out.clear();
  if (is_one(f)) {
    out.push_back(f);
    return 1;
  }
  if (is_zero(f)) return 0;
  bdd rest = f;
  for (;;) {
    if (Bdd_is_zero_tautologic(rest)) return static_cast<int>(out.size());
    if (static_cast<long>(out.size()) >= kMaxProducts) {
      g_exit(1,
             "ERREUR: number of products exceeds limit of " + std::to_string(kMaxProducts) + "\nprocess aborted !\n");
    }
    bdd m = Bdd_satisfy(rest);
    rest = Bdd_and(rest, Bdd_not(m));
    out.push_back(m);
  }
}

// Leaves the pruned entries as zeros behind the products (the raw form copies them too).
int bddpp_manager::Bdd_sop_1(bdd f, std::vector<bdd>& out) {
  out.clear();
  if (is_constant(f)) {
    out.push_back(f);
    return 1;
  }
  int n = Bdd_sop_0(f, out);
  // enlargement: drop each variable whose removal keeps the product inside f
  for (int i = 0; i < n; ++i) {
    bdd p = out[i];
    std::set<long> vars = set_of_index_depend_on(p);
    for (long j : vars) {
      bdd g = Bdd_exist(p, Bdd_var_by_index(j));
      if (Bdd_is_one_tautologic(Bdd_reduce(f, g))) p = g;
    }
    out[i] = p;
  }
  // pruning: a product covered by all the others goes
  bdd zero = Bdd_zero();
  for (int i = 0; i < n; ++i) {
    bdd u = Bdd_zero();
    for (int k = 0; k < n; ++k)
      if (k != i) u = Bdd_or(u, out[k]);
    if (Bdd_equiv(u, f)) out[i] = zero;
  }
  return compact_non_zero(this, out);
}

int bddpp_manager::Bdd_sop_2(bdd f, std::vector<bdd>& out) {
  out.clear();
  std::vector<bdd> essential, other;
  Bdd_essential_implicants(f, essential, other);
  bdd cover = Bdd_zero();
  for (const bdd& p : essential) {
    out.push_back(p);
    cover = Bdd_or(cover, p);
  }
  // greedy phase: one prime disjoint from the cover per pass
  while (!Bdd_equiv(cover, f)) {
    bool appended = false;
    for (const bdd& p : other) {
      if (Bdds_excl(p, cover)) {
        out.push_back(p);
        cover = Bdd_or(cover, p);
        appended = true;
        break;
      }
    }
    if (!appended) break;
  }
  // completion phase: primes that still add something, in order
  if (!Bdd_equiv(cover, f)) {
    for (const bdd& p : other) {
      if (Bdd_equiv(cover, f)) break;
      bdd k = Bdd_or(cover, p);
      if (k != cover) {
        out.push_back(p);
        cover = k;
      }
    }
  }
  return static_cast<int>(out.size());
}

// Reordering would cover a swapped function; the cover of method 0 is the sound answer.
int bddpp_manager::Bdd_sop_3(bdd f, std::vector<bdd>& out) { return Bdd_sop_0(f, out); }

namespace {

int run_sop_method(bddpp_manager* m, const bdd& f, std::vector<bdd>& out, int method) {
  if (!bdd_owned_by(f, m)) bad_handle_report("Bdd_sop", f);
  switch (method) {
    case 1: return m->Bdd_sop_1(f, out);
    case 2: return m->Bdd_sop_2(f, out);
    case 3: return m->Bdd_sop_3(f, out);
    default: return m->Bdd_sop_0(f, out);
  }
}

}  // namespace

int bddpp_manager::Bdd_sop(bdd f, std::vector<bdd>& out, int method) {
  int n = run_sop_method(this, f, out, method);
  out.resize(n);
  return n;
}

int bddpp_manager::Bdd_sop(bdd f, bdd* out, int method) {
  std::vector<bdd> v;
  int n = run_sop_method(this, f, v, method);
  copy_out(v, out);
  return n;
}

// ---------------------------------------------------------------------------------------------
// Simplification through prime implicants
// ---------------------------------------------------------------------------------------------

bdd bddpp_manager::Bdd_simplify3(bdd f, bdd c, int) {
  if (is_constant(f)) return f;
  std::vector<bdd> primes;
  int n = Bdd_prime_implicants(f, primes);
  if (n == 0) return Bdd_zero();
  // each implicant in turn loses the variables whose removal keeps it disjoint from c
  for (int i = 0; i < n; ++i) {
    bdd p = primes[i];
    std::set<long> vars = set_of_index_depend_on(p);
    for (long j : vars) {
      bdd g = Bdd_exist(p, Bdd_var_by_index(j));
      if (Bdds_excl(g, c)) p = g;
    }
    primes[i] = p;
  }
  bdd result = Bdd_zero();
  for (int i = 0; i < n; ++i) result = Bdd_or(result, primes[i]);
  return result;
}
