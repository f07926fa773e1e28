// Test support for the differential checks of the target generators: the finalised
// modules they compare, random input sequences, and the simulator engine's outputs for
// them (one line per reaction).
#ifndef GEN_CIRCUITS_H
#define GEN_CIRCUITS_H
#ifdef ZARIM_HAVE_ENGINE

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "evaluation.h"
#include "gen_modules.h"
#include "value_server.h"

inline Expression* and_(Expression* a, Expression* b) { return new AndExpression(a, b); }
inline Expression* or_(Expression* a, Expression* b) { return new OrExpression(a, b); }
inline Expression* not_(Expression* a) { return new NotExpression(a); }

// ----- the modules -----

// Two registers, an output read by another output.
inline Module* registers() {
  TestModule t("Regs");
  Signal *a = t.input("A"), *b = t.input("B");
  Signal* o = t.output("O");
  Signal *p = t.output("P"), *q = t.output("Q");
  Signal* r = t.reg("R", 1, "Rn");
  Signal* s = t.reg("S", 0, "Sn");
  t.eq(t.sig("Rn"), or_(a, and_(r, not_(b))));
  t.eq(t.sig("Sn"), and_(r, b));
  t.eq(o, and_(a, r));
  t.eq(p, and_(o, b));
  t.eq(q, or_(s, not_(a)));
  return t.date();
}

// Two branches started by Set, each waiting for its input; the join when both are done.
inline Module* parallel() {
  TestModule t("Par");
  Signal *a = t.input("A"), *b = t.input("B");
  Signal *o = t.output("O"), *p = t.output("P"), *q = t.output("Q");
  Signal *w1 = t.reg("W1", 0, "W1n"), *w2 = t.reg("W2", 0, "W2n");
  Signal *e1 = t.reg("E1", 0, "E1n"), *e2 = t.reg("E2", 0, "E2n");
  Signal *a1 = t.local("A1"), *a2 = t.local("A2"), *join = t.local("J");
  Signal* set = t.m->getSet();
  t.eq(a1, and_(or_(set, w1), a));
  t.eq(a2, and_(or_(set, w2), b));
  t.eq(join, and_(or_(a1, e1), or_(a2, e2)));
  t.eq(t.sig("W1n"), and_(and_(or_(set, w1), not_(a)), not_(join)));
  t.eq(t.sig("W2n"), and_(and_(or_(set, w2), not_(b)), not_(join)));
  t.eq(t.sig("E1n"), and_(or_(a1, e1), not_(join)));
  t.eq(t.sig("E2n"), and_(or_(a2, e2), not_(join)));
  t.eq(o, join);
  t.eq(p, a1);
  t.eq(q, a2);
  return t.date();
}

// O every reaction until K, then T once.
inline Module* abort_body() {
  TestModule t("Abo");
  Signal* k = t.input("K");
  Signal *o = t.output("O"), *d = t.output("T");
  Signal* r = t.reg("Run", 0, "Runn");
  Signal* live = t.local("Live");
  t.eq(live, or_(t.m->getSet(), r));
  t.eq(t.sig("Runn"), and_(live, not_(k)));
  t.eq(o, and_(live, not_(k)));
  t.eq(d, and_(live, k));
  return t.date();
}

// Three states one-hot, a transition on A, B, A in turn, each emitting its output.
inline Module* automaton() {
  TestModule t("Aut");
  Signal *a = t.input("A"), *b = t.input("B");
  Signal *x = t.output("X"), *y = t.output("Y"), *z = t.output("Z"), *st = t.output("St");
  Signal *s0 = t.reg("S0", 1, "S0n"), *s1 = t.reg("S1", 0, "S1n"), *s2 = t.reg("S2", 0, "S2n");
  Signal *t01 = t.local("T01"), *t12 = t.local("T12"), *t20 = t.local("T20");
  t.eq(t01, and_(s0, a));
  t.eq(t12, and_(s1, b));
  t.eq(t20, and_(s2, a));
  t.eq(t.sig("S0n"), or_(t20, and_(s0, not_(a))));
  t.eq(t.sig("S1n"), or_(t01, and_(s1, not_(b))));
  t.eq(t.sig("S2n"), or_(t12, and_(s2, not_(a))));
  t.eq(x, t01);
  t.eq(y, t12);
  t.eq(z, t20);
  t.eq(st, s0);
  return t.date();
}

// A two-bit counter of I with its carry, as a Mealy machine.
inline Module* mealy() {
  TestModule t("Mea");
  Signal* i = t.input("I");
  Signal *carry = t.output("Carry"), *low = t.output("Low");
  Signal *c0 = t.reg("C0", 0, "C0n"), *c1 = t.reg("C1", 0, "C1n");
  auto xor_ = [](Expression* p, Expression* q) { return or_(and_(p, not_(q)), and_(not_(p), q)); };
  t.eq(t.sig("C0n"), xor_(c0, i));
  t.eq(t.sig("C1n"), xor_(c1, and_(c0, i)));
  t.eq(carry, and_(and_(i, c0), c1));
  t.eq(low, xor_(c0, i));
  return t.date();
}

// Valued input A; data condition C := A > 10 read by D and, negated, by N; valued output
// O := A + 1 when A; a valued local V := twice(A) when A (methods) or A * 3 (operators
// only), and the valued output P := the value of V when A.
inline Module* valued(bool methods) {
  TestModule t(methods ? "Val" : "Vop");
  Signal* a = t.input("A", "int");
  Signal *o = t.output("O", "int"), *p = t.output("P", "int");
  Signal *d = t.output("D"), *n = t.output("N");
  Signal* c = t.local("C");
  Signal* v = t.local("V", "int");
  t.m->addSignalBinding(new DataBinaryOp(DataExpr::Sup, new DataSignalValue(a), int_literal("10")), c);
  DataExpr* twice = methods ? static_cast<DataExpr*>(new DataMethodCall(0, new std::list<DataExpr*>{new DataSignalValue(a)}))
                            : new DataBinaryOp(DataExpr::Mult, new DataSignalValue(a), int_literal("3"));
  t.emit(v, twice, a, "v");
  t.eq(v, a);
  t.emit(o, new DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), int_literal("1")), a, "o");
  t.eq(o, a);
  t.emit(p, new DataSignalValue(v), a, "p");
  t.eq(p, a);
  t.eq(d, and_(c, a));
  t.eq(n, and_(a, not_(c)));
  return t.date();
}

// Random equations over the inputs, registers, Set, earlier locals and earlier outputs.
inline Module* random_module(unsigned seed) {
  std::mt19937 g(seed);
  TestModule t("Rnd" + std::to_string(seed));
  std::vector<Expression*> terms{t.m->getSet()};
  for (int i = 0; i < 3; ++i) terms.push_back(t.input("I" + std::to_string(i)));
  std::vector<Signal*> nexts;
  for (int i = 0; i < 3; ++i) {
    terms.push_back(t.reg("R" + std::to_string(i), static_cast<int>(g() % 2), "Rn" + std::to_string(i)));
    nexts.push_back(t.sig("Rn" + std::to_string(i)));
  }
  auto term = [&]() -> Expression* {
    Expression* e = terms[g() % terms.size()];
    return g() % 3 == 0 ? not_(e) : e;
  };
  auto random_expression = [&]() -> Expression* { return g() % 2 ? and_(term(), term()) : or_(term(), term()); };
  for (int i = 0; i < 12; ++i) {
    Signal* s = i % 3 == 2 ? t.output("O" + std::to_string(i)) : t.local("L" + std::to_string(i));
    t.eq(s, random_expression());
    terms.push_back(s);
  }
  for (Signal* n : nexts) t.eq(n, random_expression());
  return t.date();
}

// The circuits of the netlist checks: 0 registers, 1 parallel branches, 2 an abort,
// 3 an automaton, 4 a Mealy machine, k > 4 random_module(k).
inline Module* circuit(int k) {
  switch (k) {
    case 0:
      return registers();
    case 1:
      return parallel();
    case 2:
      return abort_body();
    case 3:
      return automaton();
    case 4:
      return mealy();
    default:
      return random_module(static_cast<unsigned>(k));
  }
}

// m finalised (its messages on standard error dropped).
inline Module* finalised(Module* m) {
  testing::internal::CaptureStderr();
  m->finalize(0);
  testing::internal::GetCapturedStderr();
  return m;
}

// ----- inputs and observations -----

struct Reaction {
  std::vector<bool> present;  // per input with a parameter
  std::vector<int> value;
};

inline bool bound(Module* m, Signal* s) { return m->getBinding(s->getOriginalName()) != nullptr; }

inline std::vector<Signal*> params(Module* m, std::list<Signal*>* l) {
  std::vector<Signal*> out;
  for (Signal* s : *l)
    if (!bound(m, s)) out.push_back(s);
  return out;
}

inline std::vector<Reaction> random_inputs(Module* m, unsigned seed) {
  std::mt19937 g(seed);
  std::vector<Reaction> rs(100);
  for (Reaction& r : rs)
    for (size_t i = 0; i < params(m, m->getInputSignalList()).size(); ++i) {
      r.present.push_back(g() % 2 == 0);
      r.value.push_back(static_cast<int>(g() % 21));
    }
  return rs;
}

// The engine's answers for the data of the test modules: the method "twice"; +, -, *, >, <
// and == over int (decimal) and real (printed as "%g" prints it); "--" for anything else.
inline std::string number_answer(const std::string& request) {
  std::vector<std::string> f = value_server::split(request);
  auto tf = [](bool b) { return std::string(b ? "true" : "false"); };
  if (f[0] == "MC" && f.size() == 3 && f[1] == "twice") return std::to_string(2 * std::atoi(f[2].c_str()));
  if (f[0] != "BOP" || f.size() != 6 || f[1] == "--" || f[4] == "--" || f[2] != f[5]) return "--";
  bool real = f[2] == "real";
  double l = std::strtod(f[1].c_str(), nullptr), r = std::strtod(f[4].c_str(), nullptr);
  auto text = [real](double x) {
    char b[40];
    std::snprintf(b, sizeof b, real ? "%g" : "%.0f", x);
    return std::string(b);
  };
  const std::string& op = f[3];
  if (op == " + ") return text(l + r);
  if (op == " - ") return text(l - r);
  if (op == " * ") return text(l * r);
  if (op == " > ") return tf(l > r);
  if (op == " < ") return tf(l < r);
  if (op == " == ") return tf(l == r);
  return "--";
}

// What the engine gives for a sequence of reactions, a line per reaction each: outputs,
// each output's presence (its status variable), then ":" and its value when it is valued
// and present; presences, the presences alone; conditions, the context's values of the
// rails of every data signal (a data condition: its status, and its value when the
// module is not finalised), as the engine set them from the value server's replies.
struct EngineRun {
  std::string outputs, presences;
  std::vector<std::string> conditions;
};

// The engine on m, asking answer (number_answer when none) for the values.
inline EngineRun run_engine(Module* m, const std::vector<Reaction>& rs, ValueServer::Answer answer = nullptr) {
  ValueServer server(answer != nullptr ? answer : ValueServer::Answer(number_answer));
  Simulation sim;
  sim.setSocket(server.client());
  sim.load(m);
  Bddexpressionwood* w = m->getBddWood();
  std::vector<Signal*> ins = params(m, m->getInputSignalList());
  std::vector<long> rails;
  if (m->getDataSignalList() != nullptr)
    for (Signal* d : *m->getDataSignalList())
      for (long id : {d->getInitialBddStatusId(m, w), m->getFinalised() != 0 ? -1L : d->getInitialBddValueId(m, w)})
        if (id != -1) rails.push_back(id);
  EngineRun run;
  std::ostringstream out, presences;
  for (const Reaction& r : rs) {
    for (size_t i = 0; i < ins.size(); ++i) {
      sim.setInputColour(ins[i], r.present[i] ? Colour::Bleu : Colour::Jaune);
      sim.setInputValue(ins[i], std::to_string(r.value[i]));
    }
    EXPECT_TRUE(sim.react().ran);
    for (Signal* o : params(m, m->getOutputSignalList())) {
      int status = sim.context()[static_cast<size_t>(o->getInitialBddStatusId(m, w))];
      out << status;
      presences << status << " ";
      if (o->isValued(m) && status == 1) out << ":" << sim.outputValue(o);
      out << " ";
    }
    out << "\n";
    presences << "\n";
    std::string condition;
    for (long id : rails) condition += std::to_string(sim.context()[static_cast<size_t>(id)]);
    run.conditions.push_back(condition);
  }
  run.outputs = out.str();
  run.presences = presences.str();
  return run;
}

// The outputs of run_engine.
inline std::string simulate(Module* m, const std::vector<Reaction>& rs, ValueServer::Answer answer = nullptr) {
  return run_engine(m, rs, answer).outputs;
}

#endif
#endif
