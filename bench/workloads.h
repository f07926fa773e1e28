// Workloads written once against a package adapter P (see packages.h), so that
// both packages see the same variable order and the same operation sequence.
// P provides: type B; one(), zero(), var(i), nvar(i), and_, or_, not_,
// ite(f, g, h). The workloads use only these, so that neither package gets an
// operation the other one builds from several calls.
#ifndef BENCH_WORKLOADS_H
#define BENCH_WORKLOADS_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Deterministic generator (splitmix64): the same sequence on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t s_;
};

// f xor g as ite(f, not g, g): our package expands it into the same node
// requests as its own xor; the comparator runs its native ite.
template <class P>
typename P::B xor_of(P& p, const typename P::B& f, const typename P::B& g) {
  typename P::B ng = p.not_(g);
  return p.ite(f, ng, g);
}

// n-queens: variable i*n+j is a queen on row i, column j (row-major order).
// Every row holds a queen; a queen excludes the rest of its row, column and
// both diagonals.
struct Queens {
  static constexpr bool uses_ite = false;  // through xor_of or ite
  int n;
  std::string name() const { return "queens/" + std::to_string(n); }
  int nvars() const { return n * n; }
  // solutions known for n = 1..12
  double expected_solutions() const {
    static const double known[] = {0, 1, 0, 0, 2, 10, 4, 40, 92, 352, 724, 2680, 14200};
    return n >= 1 && n <= 12 ? known[n] : -1;
  }

  template <class P>
  std::vector<typename P::B> build(P& p) const {
    using B = typename P::B;
    auto x = [&](int i, int j) { return p.var(i * n + j); };
    auto nx = [&](int i, int j) { return p.nvar(i * n + j); };
    B queen = p.one();
    for (int i = 0; i < n; ++i) {
      B row = p.zero();
      for (int j = 0; j < n; ++j) row = p.or_(row, x(i, j));
      queen = p.and_(queen, row);
    }
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        // x(i,j) => not x(k,l), written as (not x(i,j)) or (not x(k,l))
        B a = p.one(), b = p.one(), c = p.one(), d = p.one();
        for (int l = 0; l < n; ++l)
          if (l != j) a = p.and_(a, p.or_(nx(i, j), nx(i, l)));
        for (int k = 0; k < n; ++k)
          if (k != i) b = p.and_(b, p.or_(nx(i, j), nx(k, j)));
        for (int k = 0; k < n; ++k) {
          int l = k - i + j;
          if (k != i && l >= 0 && l < n) c = p.and_(c, p.or_(nx(i, j), nx(k, l)));
        }
        for (int k = 0; k < n; ++k) {
          int l = i + j - k;
          if (k != i && l >= 0 && l < n) d = p.and_(d, p.or_(nx(i, j), nx(k, l)));
        }
        queen = p.and_(queen, a);
        queen = p.and_(queen, b);
        queen = p.and_(queen, c);
        queen = p.and_(queen, d);
      }
    }
    return {queen};
  }
};

// An n-bit ripple-carry adder checked against a carry-lookahead adder.
// Interleaved order: a_i is variable 2i and b_i is 2i+1; the separated order
// puts every a before every b. Outputs: the ripple sums, its carry out, and the
// miter (or of the bitwise differences of both adders), which must be zero.
struct Adders {
  static constexpr bool uses_ite = true;  // through xor_of or ite
  int n;
  bool interleaved;
  std::string name() const {
    return std::string(interleaved ? "adder/" : "adder_separated/") + std::to_string(n);
  }
  int nvars() const { return 2 * n; }
  int a(int i) const { return interleaved ? 2 * i : i; }
  int b(int i) const { return interleaved ? 2 * i + 1 : n + i; }

  template <class P>
  std::vector<typename P::B> build(P& p) const {
    using B = typename P::B;
    std::vector<B> out;
    // ripple carry
    B c = p.zero();
    for (int i = 0; i < n; ++i) {
      B ai = p.var(a(i)), bi = p.var(b(i));
      B h = xor_of(p, ai, bi);
      out.push_back(xor_of(p, h, c));
      B g = p.and_(ai, bi);
      B pc = p.and_(h, c);
      c = p.or_(g, pc);
    }
    out.push_back(c);
    // carry lookahead: c_{i+1} = g_i + p_i g_{i-1} + p_i p_{i-1} g_{i-2} + ...
    std::vector<B> g, pr;
    for (int i = 0; i < n; ++i) {
      g.push_back(p.and_(p.var(a(i)), p.var(b(i))));
      pr.push_back(p.or_(p.var(a(i)), p.var(b(i))));
    }
    std::vector<B> carry{p.zero()};
    for (int i = 0; i < n; ++i) {
      B acc = g[i];
      B prop = pr[i];
      for (int j = i - 1; j >= 0; --j) {
        B t = p.and_(prop, g[j]);
        acc = p.or_(acc, t);
        prop = p.and_(prop, pr[j]);
      }
      carry.push_back(acc);
    }
    B miter = p.zero();
    for (int i = 0; i < n; ++i) {
      B bc = xor_of(p, p.var(b(i)), carry[i]);
      B s = xor_of(p, p.var(a(i)), bc);
      B diff = xor_of(p, s, out[i]);
      miter = p.or_(miter, diff);
    }
    B dc = xor_of(p, carry[n], out[n]);
    miter = p.or_(miter, dc);
    out.push_back(miter);
    return out;
  }
};

// Middle product bit (bit n-1) of an n x n array multiplier: rows of partial
// products a_i b_j added with ripple-carry adders, keeping the low n bits.
// Interleaved order a_i = 2i, b_i = 2i+1.
struct Multiplier {
  static constexpr bool uses_ite = true;  // through xor_of or ite
  int n;
  std::string name() const { return "multiplier/" + std::to_string(n); }
  int nvars() const { return 2 * n; }

  template <class P>
  std::vector<typename P::B> build(P& p) const {
    using B = typename P::B;
    std::vector<B> acc(n, p.zero());
    for (int j = 0; j < n; ++j) {
      B bj = p.var(2 * j + 1);
      B carry = p.zero();
      for (int i = 0; i + j < n; ++i) {
        int k = i + j;
        B pp = p.and_(p.var(2 * i), bj);
        B h = xor_of(p, acc[k], pp);
        B s = xor_of(p, h, carry);
        if (k + 1 < n) {
          B g = p.and_(acc[k], pp);
          B hc = p.and_(h, carry);
          carry = p.or_(g, hc);
        }
        acc[k] = s;
      }
    }
    return {acc[n - 1]};
  }
};

// Random 3-CNF at clause ratio 4.26 with a fixed seed. The clauses are
// conjoined one by one, sorted (stably) by their last variable in the order, so
// that the conjunction grows from the top of the order. Outputs: the
// conjunction of the first half of the clauses, then of all of them.
struct RandomCnf {
  static constexpr bool uses_ite = false;  // through xor_of or ite
  int n;
  uint64_t seed;
  std::string name() const { return "cnf3/" + std::to_string(n); }
  int nvars() const { return n; }
  int nclauses() const { return static_cast<int>(4.26 * n + 0.5); }

  struct Clause {
    int var[3];
    bool positive[3];
    int last() const { return std::max(var[0], std::max(var[1], var[2])); }
  };

  std::vector<Clause> clauses() const {
    Rng rng(seed);
    std::vector<Clause> cs(nclauses());
    for (Clause& c : cs) {
      for (int k = 0; k < 3; ++k) {
        bool again;
        do {
          c.var[k] = rng.below(n);
          again = false;
          for (int q = 0; q < k; ++q) again = again || c.var[q] == c.var[k];
        } while (again);
      }
      for (int k = 0; k < 3; ++k) c.positive[k] = rng.below(2) != 0;
    }
    std::stable_sort(cs.begin(), cs.end(), [](const Clause& a, const Clause& b) { return a.last() < b.last(); });
    return cs;
  }

  template <class P>
  std::vector<typename P::B> build(P& p) const {
    using B = typename P::B;
    const std::vector<Clause> cs = clauses();
    std::vector<B> out;
    B f = p.one();
    for (size_t i = 0; i < cs.size(); ++i) {
      B clause = p.zero();
      for (int k = 0; k < 3; ++k) {
        B lit = cs[i].positive[k] ? p.var(cs[i].var[k]) : p.nvar(cs[i].var[k]);
        clause = p.or_(clause, lit);
      }
      f = p.and_(f, clause);
      if (i + 1 == cs.size() / 2) out.push_back(f);
    }
    out.push_back(f);
    return out;
  }
};

// Parity of n variables as a chain of exclusive ors.
struct Parity {
  static constexpr bool uses_ite = true;  // through xor_of or ite
  int n;
  std::string name() const { return "parity/" + std::to_string(n); }
  int nvars() const { return n; }

  template <class P>
  std::vector<typename P::B> build(P& p) const {
    using B = typename P::B;
    B f = p.zero();
    for (int i = n - 1; i >= 0; --i) f = xor_of(p, p.var(i), f);
    return {f};
  }
};

// A synthetic module of equations over dual-rail variables: pieces of 32-bit
// counters and adders (carries, sums, increments), multiplexers, status
// conjunctions and small parities, each over a window of nearby variables, as
// a compiled module's equations read their neighbouring signals.
struct Equations {
  int count;
  int nvars;
  uint64_t seed;

  template <class P>
  std::vector<typename P::B> build(P& p) const {
    using B = typename P::B;
    Rng rng(seed);
    std::vector<B> eqs;
    eqs.reserve(count);
    for (int e = 0; e < count; ++e) {
      int width = 4 + rng.below(9);  // 4..12 bits
      int base = rng.below(nvars - 2 * width - 1);
      auto av = [&](int i) { return p.var(base + 2 * i); };
      auto bv = [&](int i) { return p.var(base + 2 * i + 1); };
      B r;
      switch (rng.below(5)) {
        case 0: {  // adder carry out of width bits
          B c = p.zero();
          for (int i = 0; i < width; ++i) {
            B g = p.and_(av(i), bv(i));
            B h = xor_of(p, av(i), bv(i));
            B hc = p.and_(h, c);
            c = p.or_(g, hc);
          }
          r = c;
          break;
        }
        case 1: {  // adder sum bit width-1
          B c = p.zero();
          for (int i = 0; i + 1 < width; ++i) {
            B g = p.and_(av(i), bv(i));
            B h = xor_of(p, av(i), bv(i));
            B hc = p.and_(h, c);
            c = p.or_(g, hc);
          }
          B h = xor_of(p, av(width - 1), bv(width - 1));
          r = xor_of(p, h, c);
          break;
        }
        case 2: {  // counter increment: bit k toggles when every lower bit is 1
          B all = p.one();
          for (int i = 0; i + 1 < width; ++i) all = p.and_(all, p.var(base + i));
          r = xor_of(p, p.var(base + width - 1), all);
          break;
        }
        case 3: {  // multiplexer tree on status rails: sel ? value : previous
          B v = p.var(base + 1);
          for (int i = 1; i < width; ++i) v = p.ite(av(i), bv(i), v);
          B status = p.one();
          for (int i = 0; i < width; i += 3) status = p.and_(status, av(i));
          r = p.and_(status, v);
          break;
        }
        default: {  // small parity of scattered neighbours
          B f = p.zero();
          for (int i = 0; i < width; ++i) f = xor_of(p, f, p.var(base + rng.below(2 * width)));
          r = f;
          break;
        }
      }
      eqs.push_back(r);
    }
    return eqs;
  }
};

}  // namespace bench

#endif
