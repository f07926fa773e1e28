// The generated C, SystemC and C# compiled by their real compilers and run on random
// input sequences of 100 reactions, every output compared reaction by reaction with the
// simulator's engine on the same finalised module.
#ifdef ZARIM_HAVE_ENGINE
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../bibliocpp/tool_run.h"
#include "compilation.h"
#include "evaluation.h"
#include "gen_modules.h"
#include "test_scope.h"
#include "value_server.h"

namespace {

Expression* and_(Expression* a, Expression* b) { return new AndExpression(a, b); }
Expression* or_(Expression* a, Expression* b) { return new OrExpression(a, b); }
Expression* not_(Expression* a) { return new NotExpression(a); }

// ----- the modules -----

// Two registers, an output read by another output.
Module* registers() {
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
Module* parallel() {
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
Module* abort_body() {
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
Module* automaton() {
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
Module* mealy() {
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
Module* valued(bool methods) {
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
Module* random_module(unsigned seed) {
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

// ----- inputs and observations -----

struct Reaction {
  std::vector<bool> present;  // per input with a parameter
  std::vector<int> value;
};

bool bound(Module* m, Signal* s) { return m->getBinding(s->getOriginalName()) != nullptr; }

std::vector<Signal*> params(Module* m, std::list<Signal*>* l) {
  std::vector<Signal*> out;
  for (Signal* s : *l)
    if (!bound(m, s)) out.push_back(s);
  return out;
}

std::vector<Reaction> random_inputs(Module* m, unsigned seed) {
  std::mt19937 g(seed);
  std::vector<Reaction> rs(100);
  for (Reaction& r : rs)
    for (size_t i = 0; i < params(m, m->getInputSignalList()).size(); ++i) {
      r.present.push_back(g() % 2 == 0);
      r.value.push_back(static_cast<int>(g() % 21));
    }
  return rs;
}

// A line per reaction: each output's presence (its status variable), then ":" and its
// value when it is valued and present.
std::string simulate(Module* m, const std::vector<Reaction>& rs) {
  auto answer = [](const std::string& request) -> std::string {
    std::vector<std::string> f = value_server::split(request);
    auto tf = [](bool b) { return std::string(b ? "true" : "false"); };
    if (f[0] == "MC" && f.size() == 3 && f[1] == "twice") return std::to_string(2 * std::atoi(f[2].c_str()));
    if (f[0] != "BOP" || f.size() != 6 || f[1] == "--" || f[4] == "--") return "--";
    int l = std::atoi(f[1].c_str()), r = std::atoi(f[4].c_str());
    if (f[3] == " + ") return std::to_string(l + r);
    if (f[3] == " * ") return std::to_string(l * r);
    if (f[3] == " > ") return tf(l > r);
    return "--";
  };
  ValueServer server(answer);
  Simulation sim;
  sim.setSocket(server.client());
  sim.load(m);
  Bddexpressionwood* w = m->getBddWood();
  std::vector<Signal*> ins = params(m, m->getInputSignalList());
  std::ostringstream out;
  for (const Reaction& r : rs) {
    for (size_t i = 0; i < ins.size(); ++i) {
      sim.setInputColour(ins[i], r.present[i] ? Colour::Bleu : Colour::Jaune);
      sim.setInputValue(ins[i], std::to_string(r.value[i]));
    }
    EXPECT_TRUE(sim.react().ran);
    for (Signal* o : params(m, m->getOutputSignalList())) {
      int status = sim.context()[static_cast<size_t>(o->getInitialBddStatusId(m, w))];
      out << status;
      if (o->isValued(m) && status == 1) out << ":" << sim.outputValue(o);
      out << " ";
    }
    out << "\n";
  }
  return out.str();
}

// The input sequence as C array initialisers.
std::string c_arrays(const std::vector<Reaction>& rs) {
  std::ostringstream s;
  auto rows = [&](bool presence) {
    s << "{";
    for (const Reaction& r : rs) {
      s << "{0";
      for (size_t i = 0; i < r.present.size(); ++i) s << "," << (presence ? int(r.present[i]) : r.value[i]);
      s << "},";
    }
    s << "}";
  };
  s << "static const int present[" << rs.size() << "][" << rs[0].present.size() + 1 << "] = ";
  rows(true);
  s << ";\nstatic const int value[" << rs.size() << "][" << rs[0].present.size() + 1 << "] = ";
  rows(false);
  s << ";\n";
  return s.str();
}

// A driver calling the reset function and then the reaction function once per reaction,
// printing the outputs as simulate() does.
std::string c_driver(Module* m, const std::vector<Reaction>& rs) {
  std::vector<Signal*> ins = params(m, m->getInputSignalList());
  std::vector<Signal*> outs = params(m, m->getOutputSignalList());
  std::ostringstream s;
  s << "#include <stdio.h>\n#include \"" << m->getName() << ".h\"\n" << c_arrays(rs);
  s << "int main(void) {\n";
  s << "  (void)value;\n";
  for (size_t j = 0; j < outs.size(); ++j) s << "  int o" << j << " = 0, v" << j << " = 0;\n  (void)v" << j << ";\n";
  std::ostringstream args;
  for (size_t i = 0; i < ins.size(); ++i) {
    args << (i ? ", " : "") << "present[k][" << i + 1 << "]";
    if (ins[i]->isValued(m)) args << ", value[k][" << i + 1 << "]";
  }
  for (size_t j = 0; j < outs.size(); ++j) {
    args << (ins.empty() && j == 0 ? "" : ", ") << "&o" << j;
    if (outs[j]->isValued(m)) args << ", &v" << j;
  }
  s << "  int k = 0;\n  " << m->getName() << "_reset_automaton(" << args.str() << ");\n";
  s << "  for (k = 0; k < " << rs.size() << "; ++k) {\n    " << m->getName() << "_automaton(" << args.str() << ");\n";
  for (size_t j = 0; j < outs.size(); ++j) {
    s << "    printf(\"%d\", o" << j << ");\n";
    if (outs[j]->isValued(m)) s << "    if (o" << j << ") printf(\":%d\", v" << j << ");\n";
    s << "    printf(\" \");\n";
  }
  s << "    printf(\"\\n\");\n  }\n  return 0;\n}\n";
  return s.str();
}

// The user's part of the data: the zero of int and the method.
const char* const UserData = "const int int_zero = 0;\nint twice(int x) { return 2 * x; }\n";

// Flags the generated text needs beyond -Wall -Werror: a node line "x && a || !x && b"
// and flags set for nobody (value rails) are the text as it is given.
const char* const CWarnings = "-Wall -Werror -Wno-parentheses -Wno-unused-but-set-variable";

// The event framework the C# class is written for: inputs "name[=value]" separated by
// blanks; outputs as simulate() prints them.
const char* const CSharpFramework = R"(using System;
using System.Collections.Generic;
namespace Pelkor.Beans {
  [AttributeUsage(AttributeTargets.Class)]
  public class BeanAttribute : Attribute { public string Category; }
}
namespace Pelkor.Util {
  public static class Logger { public static void Info(string s) {} }
  public class MyEvent {
    public string nameEvt, valPresenceEvt, evTypeValue, evtValeur;
    public MyEvent(string name, string presence) { nameEvt = name; valPresenceEvt = presence; }
    public MyEvent(string name, string type, string value, string presence) {
      nameEvt = name; evTypeValue = type; evtValeur = value; valPresenceEvt = presence;
    }
  }
  public class GrammaireA {
    public List<MyEvent> deserialize(string s) {
      var l = new List<MyEvent>();
      foreach (string e in s.Split(new char[] {' '}, StringSplitOptions.RemoveEmptyEntries)) {
        string[] f = e.Split('=');
        l.Add(new MyEvent(f[0], "int", f.Length > 1 ? f[1] : "", "True"));
      }
      return l;
    }
    public string serialize(List<MyEvent> l) {
      string s = "";
      foreach (MyEvent e in l) {
        bool present = e.valPresenceEvt == "True";
        s += (present ? "1" : "0") + (present && e.evTypeValue != null ? ":" + e.evtValeur : "") + " ";
      }
      return s;
    }
  }
}
)";

std::string csharp_driver(Module* m, const std::vector<Reaction>& rs) {
  std::vector<Signal*> ins = params(m, m->getInputSignalList());
  std::ostringstream s;
  s << "class Driver {\n  static void Main() {\n    var m = new GenEntree." << m->getName() << "();\n"
    << "    string last = \"\";\n    m.SendEventList += e => last = e;\n    string[] inputs = {\n";
  Bddexpressionwood* w = m->getBddWood();
  for (const Reaction& r : rs) {
    s << "      \"";
    for (size_t i = 0; i < ins.size(); ++i)
      if (r.present[i]) s << w->Name_var_by_index(ins[i]->getBddStatusId(m, w)) << "=" << r.value[i] << " ";
    s << "\",\n";
  }
  s << "    };\n    foreach (string i in inputs) {\n      m." << m->getName()
    << "_automaton(i);\n      System.Console.WriteLine(last);\n    }\n  }\n}\n";
  return s.str();
}

class GenDiff : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    saved_methods = Compilation::GDataMethodTable;
    saved_types = Compilation::GDataTypeTable;
    Compilation::GDataMethodTable = new DataMethodTable();
    std::string int_type = "int", twice = "twice";
    std::list<std::string>* args = new std::list<std::string>{"int"};
    Compilation::GDataMethodTable->addMethod(new MethodDecl(&int_type, &twice, args));
    Compilation::GDataTypeTable = new DataTypeTable();
    Compilation::GDataTypeTable->addType("int");
  }
  void TearDown() override {
    Compilation::GDataMethodTable = saved_methods;
    Compilation::GDataTypeTable = saved_types;
  }
  // The finalised modules of the check; methods: the valued module calls a method.
  static Module* module(int k, bool methods) {
    Module* m = nullptr;
    switch (k) {
      case 0:
        m = registers();
        break;
      case 1:
        m = parallel();
        break;
      case 2:
        m = abort_body();
        break;
      case 3:
        m = automaton();
        break;
      case 4:
        m = mealy();
        break;
      case 5:
        m = valued(methods);
        break;
      default:
        m = random_module(static_cast<unsigned>(k));
    }
    testing::internal::CaptureStderr();
    m->finalize(0);
    testing::internal::GetCapturedStderr();
    return m;
  }
  std::vector<Reaction> inputs(Module* m) const { return random_inputs(m, 7u + static_cast<unsigned>(GetParam())); }
  // Writes the C or SystemC files of m, the user's data and the driver, compiles them
  // with compiler and returns what the program prints.
  std::string run_c_flavour(Module* m, bool systemc) {
    std::string stem = dir.path + "/" + m->getName();
    std::string ext = systemc ? ".cc" : ".c";
    {
      std::ofstream body(stem + ext), header(stem + ".h");
      if (systemc)
        m->SYSTEMC_put(body, header);
      else
        m->C_put(body, header);
    }
    write_text(stem + "_typedecl.h", "");
    write_text(stem + "_sc.h", "#include \"" + m->getName() + ".h\"\n");
    write_text(dir.path + "/user" + ext, "#include \"" + m->getName() + ".h\"\n" + UserData);
    write_text(dir.path + "/driver" + ext, c_driver(m, inputs(m)));
    std::string compiler = systemc ? "g++ -std=c++17 " : "gcc -std=c99 ";
    run_or_fail(compiler + CWarnings + " -I" + dir.path + " -o " + dir.path + "/run " + stem + ext + " " + dir.path +
                "/user" + ext + " " + dir.path + "/driver" + ext);
    return run_or_fail(dir.path + "/run");
  }
  static std::string run_or_fail(const std::string& command) {
    ToolResult r = run_tool(command + " 2>&1");
    EXPECT_EQ(r.status, 0) << command << "\n" << r.output;
    return r.output;
  }

  DataMethodTable* saved_methods = nullptr;
  DataTypeTable* saved_types = nullptr;
  RecordedBoxes boxes;
  ScratchDir dir{"gen_diff"};
};

TEST_P(GenDiff, GeneratedCAgreesWithTheSimulator) {
  Module* m = module(GetParam(), true);
  EXPECT_EQ(run_c_flavour(m, false), simulate(m, inputs(m)));
}

TEST_P(GenDiff, GeneratedSystemCAgreesWithTheSimulator) {
  Module* m = module(GetParam(), true);
  testing::internal::CaptureStderr();  // the constants' names
  std::string out = run_c_flavour(m, true);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, simulate(m, inputs(m)));
}

TEST_P(GenDiff, GeneratedCSharpAgreesWithTheSimulator) {
  if (!tool_present("mcs") || !tool_present("mono")) GTEST_SKIP() << "mono-mcs and mono-runtime are not installed";
  // A C# class has no place for the user's methods: the valued module uses operators.
  Module* m = module(GetParam(), false);
  std::string stem = dir.path + "/" + m->getName();
  {
    std::ofstream out(stem + ".cs");
    m->CSharp_put(out);
  }
  write_text(dir.path + "/framework.cs", CSharpFramework);
  write_text(dir.path + "/driver.cs", csharp_driver(m, inputs(m)));
  run_or_fail("mcs -nologo -out:" + dir.path + "/run.exe " + stem + ".cs " + dir.path + "/framework.cs " + dir.path +
              "/driver.cs");
  std::string out = run_or_fail("mono " + dir.path + "/run.exe");
  EXPECT_EQ(out, simulate(m, inputs(m))) << read_text(stem + ".cs");
}

INSTANTIATE_TEST_SUITE_P(Modules, GenDiff, ::testing::Range(0, 10));

}  // namespace

#endif
