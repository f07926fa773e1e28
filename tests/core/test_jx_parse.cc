// The source reader: syntax errors and their exits, modules with their signals and run
// declarations, the data part and data expressions, signal resolution, and failed parses
// leaving the tables as they were.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "compilation.h"
#include "data.h"
#include "g_messages.h"
#include "library_exit.h"
#include "module.h"
#include "module_signal.h"
#include "parse_jx.h"
#include "sexception.h"
#include "statement.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "data_tables_scope.h"
#include "illegal_text.h"
#include "test_scope.h"

namespace {

std::string dataDir() {
  std::string f = __FILE__;
  return f.substr(0, f.find_last_of('/')) + "/data/jx/";
}

class JxParseTest : public testing::Test {
 protected:
  JxParseTest() : saved_modules(Compilation::ModTable) { Compilation::ModTable = new ModuleTable(); }
  ~JxParseTest() override {
    delete Compilation::ModTable;
    Compilation::ModTable = saved_modules;
  }

  int parse(const std::string& text) {
    std::istringstream in(text);
    return jx_read_source(in, report);
  }
  Module* module(const std::string& name) { return Compilation::ModTable->get(name); }
  size_t moduleCount() { return Compilation::ModTable->table->size(); }

  // The exception of type E that parsing text throws; a failure when there is none.
  template <class E>
  E thrown(const std::string& text) {
    try {
      parse(text);
    } catch (const E& e) {
      return e;
    }
    ADD_FAILURE() << "no exception for: " << text;
    throw std::logic_error("no exception");
  }

  ModuleTable* saved_modules;
  DataTablesScope tables;
  std::string report;
};

using JxParseExitTest = JxParseTest;

std::string opname(int op) {
  std::string s = DataExpr::C_opname(op);
  return s.substr(s.find_first_not_of(' '), s.find_last_not_of(' ') - s.find_first_not_of(' ') + 1);
}

// A data expression as a prefix text: constants by name, methods by name.
std::string shape(DataExpr* e) {
  if (e->isDataConstant()) {
    int index = static_cast<DataConstant*>(e)->getConstantIndex();
    return Compilation::GDataConstantTable->getConstantById(index)->getName();
  }
  if (e->isDataValue()) return "'" + static_cast<DataValue*>(e)->getText() + "'";
  if (e->isDataUnaryOp()) {
    auto* u = static_cast<DataUnaryOp*>(e);
    return "(" + opname(u->getOp()) + " " + shape(u->getOperand()) + ")";
  }
  if (e->isDataBinaryOp()) {
    auto* b = static_cast<DataBinaryOp*>(e);
    return "(" + opname(b->getOp()) + " " + shape(b->getLeft()) + " " + shape(b->getRight()) + ")";
  }
  if (e->isDataMethod()) {
    auto* m = static_cast<DataMethodCall*>(e);
    std::string s = "(" + Compilation::GDataMethodTable->getMethodById(m->getMethodIndex())->getName();
    if (m->getArgs() != nullptr)
      for (DataExpr* a : *m->getArgs()) s += " " + shape(a);
    return s + ")";
  }
  if (e->isDataSignalValue()) return "#" + static_cast<DataSignalValue*>(e)->getSignal()->getInternalName();
  return "?";
}

// "name:type" of each signal ("name" when pure), with i/o/l/c for the flags set.
std::string signals(Module* m, const std::list<Signal*>& list) {
  std::string s;
  for (Signal* x : list) {
    s += (s.empty() ? "" : " ") + x->getInternalName();
    if (x->isValued(m)) s += ":" + x->getValueType(m);
    s += std::string("/") + (x->is_input ? "i" : "") + (x->is_output ? "o" : "") + (x->is_local ? "l" : "") +
         (x->is_clock ? "c" : "");
  }
  return s;
}

std::string location(Module* m, const std::string& called) {
  std::string* l = m->getModuleLocation(called);
  return l != nullptr ? *l : "(none)";
}

TEST_F(JxParseTest, SyntaxErrorsReportTheirLineAndLastToken) {
  struct Case {
    std::string source;
    int line;
    std::string token;
  };
  const std::vector<Case> cases = {
      {"", 1, ""},
      {"module M:\nInput: A;\nOutput: B;\nInput: C;\nend\n", 4, "Input:"},
      // A string's and a comment's newlines count.
      {";; one\ndata: Type: \"a\nb\"; end data", 3, "\"a\nb\""},
      // A byte above 127 after a complete module, and an integer wider than 32 bits.
      {"module M: end\n\xE9 module N: end", 2, "\xE9"},
      {"module M: end\nmodule N: Input: A; wait\n4294967297 A end", 3, "4294967297"},
      // A comment on the last line without a newline, a data part with no module, a doubled
      // ";" after the run declarations, an automaton as a branch of a sequence.
      {"module M: end\n;; done", 2, ";"},
      {"data: end data", 1, ""},
      {"module M: Run: \"a/b\": B;; end", 1, ";"},
      {"module M: nothing >> automaton state: A; transition: ; end", 1, "automaton"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse(c.source), 1) << c.source;
    EXPECT_EQ(report, "SYNTAX ERROR at line " + std::to_string(c.line) + ": last token read: \"" + c.token + "\"\n\n");
  }
  // None of these left a module behind, complete or not.
  EXPECT_EQ(moduleCount(), 0u);
  EXPECT_EQ(parse("module M: end"), 0);
  EXPECT_EQ(report, "");
}

TEST_F(JxParseTest, ParserStackIsBounded) {
  std::string deep = "module M: " + std::string(12000, '{') + "nothing" + std::string(12000, '}') + " end";
  EXPECT_EQ(parse(deep), 1);
  EXPECT_EQ(report.substr(0, 21), "SYNTAX ERROR at line ");
  EXPECT_EQ(moduleCount(), 0u);
}

TEST_F(JxParseExitTest, EntryPointEndsTheProcessOnAFailedParse) {
  ScratchDir dir("jx");
  auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir.path + "/" + name) << text;
    return dir.path + "/" + name;
  };
  std::string empty = write("empty.jx", "");
  std::string line4 = write("line4.jx", "module M:\nInput: A;\nOutput: B;\nInput: C;\nend\n");
  std::string literal = write("literal.jx", "module M: Input: A; if 3 nothing end");
  forms_set_sink(forms_stderr_sink());
  EXPECT_LIBRARY_EXIT(Compilation::jx_parse(empty.c_str()), 1,
                      "^SYNTAX ERROR at line 1: last token read: \"\"\n\n\n");
  EXPECT_LIBRARY_EXIT(Compilation::jx_parse(line4.c_str()), 1,
                      "^SYNTAX ERROR at line 4: last token read: \"Input:\"\n\n\n");
  EXPECT_LIBRARY_EXIT(Compilation::jx_parse(literal.c_str()), 1,
                      "^PARSE ERROR: empty constant table detected: \n\nAbortion ...\n");
  // A directory opens but cannot be read: the scanner's input failure, exit 2.
  EXPECT_LIBRARY_EXIT(Compilation::jx_parse(dir.path.c_str()), 2, "^input in flex scanner failed\n$");
  forms_reset_sink();
}

TEST_F(JxParseTest, EmptyBodyAndNothingAreOneNothingStatement) {
  int n = Module::NothingNumber;
  ASSERT_EQ(parse("module M: end\nmodule N:\nInput: A;\nnothing\nend"), 0);
  ASSERT_NE(module("M"), nullptr);
  ASSERT_NE(module("N"), nullptr);
  EXPECT_EQ(module("M")->getStatement()->getName(), "MN_" + std::to_string(n));
  EXPECT_EQ(module("M")->getStatement()->getModule(), module("M"));
  EXPECT_EQ(module("N")->getStatement()->getName(), "NN_" + std::to_string(n + 1));
  EXPECT_EQ(signals(module("N"), *module("N")->getInputSignalList()), "A/i");
}

TEST_F(JxParseTest, SignalResolution) {
  const std::string head = "module M: Input: I: int; Output: O: int;\n";
  // A condition tests locals and inputs only; an emission reaches locals and outputs only.
  EXPECT_STREQ(thrown<ModuleUnknownSignalException>(head + "present O nothing end").sig_name(), "O");
  EXPECT_STREQ(thrown<StatementSignalException>(head + "emit I end").op_name(), "I");
  EXPECT_STREQ(thrown<StatementSignalException>(head + "sustain I until I end").op_name(), "I");
  EXPECT_STREQ(thrown<RunUnknownSignalException>(head + "run Sub [X \\ Y] end").sig_name(), "X");
  // A local of the same name shadows the input and the output.
  const std::string other = "module L: Input: I: int; Output: O: int;\n";
  ASSERT_EQ(parse(other + "local I { emit I } >> local O { present O nothing } >> run Sub [I \\ A, O \\ B] end"), 0)
      << report;
  auto* seq = dynamic_cast<Sn*>(module("L")->getStatement());
  ASSERT_NE(seq, nullptr);
  ASSERT_EQ(seq->children.size(), 3u);
  auto* first = static_cast<Local*>(seq->children[0]);
  EXPECT_EQ(static_cast<Emit*>(first->getBody())->getSignal(), first->getSignalList()->front());
  auto* second = static_cast<Local*>(seq->children[1]);
  EXPECT_EQ(static_cast<Present*>(second->getBody())->condition, second->getSignalList()->front());
  auto* run = static_cast<::Run*>(seq->children[2]);
  EXPECT_EQ(run->renaming_table->at("A")->getInternalName(), "I");
  EXPECT_EQ(run->renaming_table->at("B")->getInternalName(), "O");
  // "#S" reads locals, inputs and outputs.
  EXPECT_STREQ(thrown<ModuleUnknownSignalException>("data: Type: int; end data\n" + head + "emit O(#X) end").sig_name(),
               "X");
  EXPECT_EQ(moduleCount(), 1u);
}

TEST_F(JxParseTest, LocalScopesMakeTheirSignals) {
  int lo = Module::LocalNumber;
  ASSERT_EQ(parse("module M: Input: S;\nlocal S: T, U { local U { nothing } }\nend"), 0);
  Module* m = module("M");
  auto* outer = dynamic_cast<Local*>(m->getStatement());
  ASSERT_NE(outer, nullptr);
  std::string name = "MLo_" + std::to_string(lo);
  std::string inner_name = "MLo_" + std::to_string(lo + 1);
  EXPECT_EQ(outer->getName(), name);
  EXPECT_EQ(signals(m, *outer->getSignalList()), "S_" + name + ":T/lc U_" + name + "/lc");
  auto* inner = dynamic_cast<Local*>(outer->getBody());
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(signals(m, *inner->getSignalList()), "U_" + inner_name + "/lc");
  EXPECT_EQ(inner->getBody()->getName().substr(0, 3), "MN_");
  EXPECT_EQ(signals(m, *m->getLocalSignalList()),
            "S_" + name + ":T/lc U_" + name + "/lc U_" + inner_name + "/lc");
}

TEST_F(JxParseTest, EveryStatementIsNamedByItsKind) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"pause", "PS"}, {"halt", "H"}, {"nothing || nothing", "Pn"}, {"nothing >> nothing", "Sn"},
      {"present I nothing", "PR"}, {"loop { nothing }", "L"}, {"wait I", "W"}, {"wait 3 I", "Sn"},
      {"weak abort { nothing } when I", "A"}, {"strong abort { nothing } when I", "SA"}, {"emit O", "E"},
      {"noemit O", "NE"}, {"sustain O until I", "SU"}, {"run Sub", "R_Sub"},
      {"automaton state: A; transition: ;", "AUT"}, {"Mealy Machine O = I;", "MM"}};
  int k = 0;
  for (const auto& c : cases) {
    std::string name = "M" + std::to_string(k++);
    ASSERT_EQ(parse("module " + name + ": Input: I; Output: O;\n" + c.first + "\nend"), 0) << c.first << report;
    std::string got = module(name)->getStatement()->getName();
    EXPECT_EQ(got.substr(0, got.find_last_of('_')), name + c.second) << c.first;
  }
  EXPECT_EQ(moduleCount(), cases.size());
}

TEST_F(JxParseTest, WaitCountsAreBounded) {
  const std::string head = "module M: Input: S;\n";
  BadValueNumberWaitException zero = thrown<BadValueNumberWaitException>(head + "wait 0 S end");
  EXPECT_STREQ(zero.what(), "is a bad number for wait (1 to 100000): 0");
  EXPECT_EQ(zero.value(), 0);
  EXPECT_EQ(thrown<BadValueNumberWaitException>(head + "wait 100001 S end").value(), 100001);
  EXPECT_EQ(thrown<BadValueNumberWaitException>(head + "wait 2147483647 S end").value(), 2147483647);
  ASSERT_EQ(parse(head + "wait 100000 S end"), 0);
  EXPECT_EQ(static_cast<Sn*>(module("M")->getStatement())->children.size(), 100000u);
}

TEST_F(JxParseTest, MealyRightPartsAndRegisters) {
  const std::string head = "module M: Input: I; Output: O;\nMealy Machine\n";
  EXPECT_STREQ(thrown<StatementSignalException>(head + "O = 2; end").op_name(),
               " constant right part is not a Boolean value");
  EXPECT_STREQ(thrown<StatementSignalException>(head + "O = I and X; end").op_name(), "X");
  EXPECT_STREQ(thrown<StatementSignalException>(head + "X = I; end").op_name(), "X");
  // A register's signals are module signals that right parts and variables may name.
  ASSERT_EQ(parse(head + "Register: r : 1 : rn;\nrn = not r or I nor (0 xor 1); end"), 0);
  auto* mm = static_cast<MealyMachine*>(module("M")->getStatement());
  EXPECT_EQ(mm->machine_table->size(), 1u);
  EXPECT_EQ(mm->machine_table->count("rn"), 1u);
}

TEST_F(JxParseTest, RunDeclarations) {
  ASSERT_EQ(parse("module M:\nRun: \"lib/sub\": Sub; \"lib\\x\\y\": f: Other; \"plain\": P;\nend"), 0);
  Module* m = module("M");
  EXPECT_EQ(location(m, "Sub"), "lib/sub");
  EXPECT_EQ(location(m, "Other"), "lib/x/y/f");
  EXPECT_EQ(location(m, "P"), "./plain");
  IllegalOperationException twice =
      thrown<IllegalOperationException>("module N: Run: \"a/b\": B; \"c/d\": B; end");
  EXPECT_STREQ(twice.operation_name(), "Run module already exists: ");
  EXPECT_STREQ(twice.argument_name(), "B");
  EXPECT_EQ(module("N"), nullptr);
  EXPECT_STREQ(thrown<HashTableAddException>("module A: end module A: end").name(), "A");
  EXPECT_EQ(module("A"), nullptr);
}

TEST_F(JxParseTest, DataPartDeclarationsAndTheirErrors) {
  const std::string types = "data: Type: int, T;\n";
  EXPECT_STREQ(thrown<UndefinedTypeException>("data: Method: int f(); end data module M: end").name(), "int");
  EXPECT_STREQ(thrown<UndefinedTypeException>(types + "Method: U f(); end data module M: end").name(), "U");
  EXPECT_STREQ(thrown<UndefinedTypeException>(types + "Constant: U c; end data module M: end").name(), "U");
  EXPECT_STREQ(thrown<UndefinedTypeException>(types + "Constant: U 3; end data module M: end").name(), "U");
  AlreadyDefinedException method =
      thrown<AlreadyDefinedException>(types + "Method: int f(); T f(int); end data module M: end");
  EXPECT_STREQ(method.object_name(), "f");
  AlreadyDefinedException constant =
      thrown<AlreadyDefinedException>(types + "Constant: int c; T c := 2; end data module M: end");
  EXPECT_STREQ(constant.object_name(), "c");
  EXPECT_STREQ(constant.context_name(), "constant");
  EXPECT_STREQ(thrown<UndefinedMethodException>(types + "Constant: int c := g(); end data module M: end").name(), "g");
  // Literals in expressions need their own declaration; outside a module the module text is "".
  ModuleUndefinedConstantException literal =
      thrown<ModuleUndefinedConstantException>(types + "Constant: int c := 1 + 2; int 1; end data module M: end");
  EXPECT_STREQ(literal.const_name(), "1");
  EXPECT_STREQ(literal.mod_name(), "");
  EXPECT_STREQ(thrown<ModuleUnknownSignalException>(types + "Constant: int c := #S; end data module M: end").sig_name(),
               "S");
  // In a module body: the module's name; without any data part the fatal report.
  ModuleUndefinedConstantException in_module = thrown<ModuleUndefinedConstantException>(
      types + "Constant: int x; end data\nmodule M: Input: I; if x == 3 nothing end");
  EXPECT_STREQ(in_module.const_name(), "3");
  EXPECT_STREQ(in_module.mod_name(), "M");
  EXPECT_EQ(Compilation::GDataConstantTable, nullptr);
  EXPECT_EQ(parse("module M: Input: I; if c nothing end"), 1);
  EXPECT_EQ(report, "PARSE ERROR: empty constant table detected: \n\nAbortion ...");
  EXPECT_EQ(moduleCount(), 0u);
  EXPECT_EQ(Compilation::GDataTypeTable, nullptr);
  EXPECT_EQ(parse(types + "Constant: int x; int 3; end data\nmodule M: if x == 3 nothing end"), 0);
  // A call's argument count is its method's: too few, too many or none, at the call's line.
  const std::string methods = types + "Method: int avg(int, int); int now(); end data\nmodule A: Input: T: int;\n";
  const std::pair<const char*, const char*> calls[] = {
      {"avg(#T)", "avg is declared with 2 arguments and called with 1"},
      {"avg(#T, #T, #T)", "avg is declared with 2 arguments and called with 3"},
      {"avg()", "avg is declared with 2 arguments and called with 0"},
      {"now(#T)", "now is declared with 0 arguments and called with 1"}};
  for (const auto& call : calls) {
    EXPECT_EQ(parse(methods + "Output: O: int;\n\nemit O(" + call.first + ")\nend\n"), 1);
    EXPECT_EQ(report, std::string("ERROR at line 6: the method ") + call.second + "\n\nAbortion ...");
    EXPECT_EQ(module("A"), nullptr);
  }
  EXPECT_EQ(parse(methods + "Output: O: int;\nemit O(avg(#T, now()))\nend\n"), 0);
}

TEST_F(JxParseTest, FailedParseIsUndone) {
  ASSERT_EQ(parse("data: Type: int; Constant: int 1; end data module M: Input: S; end"), 0);
  DataTypeTable* types = Compilation::GDataTypeTable;
  DataConstantTable* constants = Compilation::GDataConstantTable;
  auto unchanged = [&] {
    EXPECT_EQ(moduleCount(), 1u);
    EXPECT_NE(module("M"), nullptr);
    EXPECT_EQ(Compilation::GDataTypeTable, types);
    EXPECT_EQ(Compilation::GDataMethodTable, nullptr);
    EXPECT_EQ(Compilation::GDataConstantTable, constants);
  };
  // A second file's data part and complete first module go with its failure, by exception
  // or by syntax error.
  EXPECT_STREQ(
      thrown<StatementSignalException>("data: Type: T; Method: T f(); end data module N: end module P: emit X end")
          .op_name(),
      "X");
  unchanged();
  EXPECT_EQ(parse("data: Type: T; Constant: T 2; end data module N: end module"), 1);
  unchanged();
  // The module of an earlier file is not the one of a later data part.
  EXPECT_STREQ(thrown<ModuleUnknownSignalException>("data: Type: T; Constant: T c := #S; end data module N: end")
                   .sig_name(),
               "S");
  unchanged();
  // The first file's constants still serve.
  EXPECT_EQ(parse("module Q: if 1 nothing end"), 0);
}

TEST_F(JxParseTest, SourceFileWithDataPartAndThreeModules) {
  int n = Module::NothingNumber;
  int lo = Module::LocalNumber;
  std::ifstream in(dataDir() + "three.jx");
  ASSERT_TRUE(in.good());
  ASSERT_EQ(jx_read_source(in, report), 0) << report;

  // Types in declaration order.
  DataTypeTable* types = Compilation::GDataTypeTable;
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(*types->getTypes(), (std::map<std::string, int>{{"int", 0}, {"colour", 1}}));
  // Methods: index, result, name, arguments.
  std::string methods;
  for (MethodDecl* d : *Compilation::GDataMethodTable->getMethodList()) {
    std::ostringstream s;
    d->print(s);
    methods += std::to_string(d->getIndex()) + " " + s.str() + (d->getArgTypeList() == nullptr ? " null" : "") + "\n";
  }
  EXPECT_EQ(methods, "0 int next(int)\n1 colour pick(int, colour)\n2 int zero() null\n3 int pkg.scale(int)\n");
  // Constants: index, type, name, value.
  std::string constants;
  for (ConstantDecl* c : *Compilation::GDataConstantTable->getConstantList()) {
    constants += std::to_string(c->getConstantIndex()) + " " + c->getType() + " " + c->getName();
    if (DataExpr* v = c->getValue()) {
      constants += " = " + shape(v) + ":" + v->getType();
      if (v->isDataValue()) {
        EXPECT_EQ(static_cast<DataValue*>(v)->getDecl(), c) << c->getName();
      }
    }
    constants += "\n";
  }
  EXPECT_EQ(constants,
            "0 int C__1 = '1':int\n1 int C__2 = '2':int\n2 int C__10 = '10':int\n"
            "3 colour C__dark_x20red = 'dark red':colour\n4 int limit = '10':int\n5 colour red\n6 int later\n"
            "7 colour dark = (pick C__1 red):colour\n"
            "8 int mixed = (+ (* (- limit) C__2) (== C__1 (&& C__10 C__1))):int\n");

  ASSERT_EQ(moduleCount(), 3u);
  Module* counter = module("Counter");
  Module* filter = module("Filter");
  Module* top = module("Top");
  ASSERT_TRUE(counter && filter && top);
  EXPECT_EQ(signals(counter, *counter->getInputSignalList()), "Tick/i Reset:int/i");
  EXPECT_EQ(signals(counter, *counter->getOutputSignalList()), "Count:int/o");
  EXPECT_EQ(counter->getRunDeclTable(), nullptr);
  EXPECT_EQ(counter->getStatement()->getName(), "CounterN_" + std::to_string(n));

  EXPECT_EQ(signals(filter, *filter->getInputSignalList()), "In:colour/i");
  EXPECT_EQ(signals(filter, *filter->getOutputSignalList()), "Out:colour/o Alarm/o");
  EXPECT_EQ(filter->getRunDeclTable()->size(), 2u);
  EXPECT_EQ(location(filter, "Counter"), "lib/counter");
  EXPECT_EQ(location(filter, "Other"), "lib/parts/filters");
  auto* local = dynamic_cast<Local*>(filter->getStatement());
  ASSERT_NE(local, nullptr);
  std::string lname = "FilterLo_" + std::to_string(lo);
  EXPECT_EQ(local->getName(), lname);
  EXPECT_EQ(signals(filter, *filter->getLocalSignalList()), "Hold_" + lname + ":colour/lc Flag_" + lname + "/lc");
  EXPECT_EQ(local->getBody()->getName(), "FilterN_" + std::to_string(n + 1));

  EXPECT_EQ(signals(top, *top->getInputSignalList()), "Go/i");
  EXPECT_EQ(signals(top, *top->getOutputSignalList()), "Done/o");
  EXPECT_EQ(location(top, "Filter"), "./Filter");
  EXPECT_EQ(top->getStatement()->getName(), "TopN_" + std::to_string(n + 2));
  EXPECT_TRUE(top->getLocalSignalList()->empty());
}

}  // namespace
