// The compiled-module writer: whole files against hand-worked golden files, numbering,
// repeatability, refusals and the file naming of save.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "expression.h"
#include "g_messages.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"
#include "data_tables_scope.h"
#include "test_scope.h"

namespace {

// Body "emit O when A": its own Set, Reset and RTL wires (RTL left undefined), O := A and Set.
class EmitWhen : public Statement {
 public:
  EmitWhen(Module* m, Signal* a, Signal* o) : Statement("emit", m), a(a), o(o) {}
  void compile(Module* m, EquationTable* t) override {
    Bddexpressionwood* w = m->getBddWood();
    for (Signal** wire : {&SET, &RESET, &RTL}) {
      *wire = new Signal(std::string(wire == &SET ? "set" : wire == &RESET ? "reset" : "rtl") + "_emit", m, w);
      (*wire)->is_local = true;
      (*wire)->setWire(true);
      m->addLocalSignal(*wire);
    }
    t->createEquation(o, new AndExpression(a, SET), m);
  }
  bool reincarnate() override { return false; }
  Signal* a;
  Signal* o;
};

const std::string kDataDir = folder_of(__FILE__) + "data/";

class SaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_forget = Compilation::ForgetLocalsNameFlag;
    saved_debug = Compilation::DebugFlag;
    saved_dir = Module::OutputDir;
    saved_file = Module::OutputFile;
    Compilation::ForgetLocalsNameFlag = false;
    Compilation::DebugFlag = false;
  }
  void TearDown() override {
    Compilation::ForgetLocalsNameFlag = saved_forget;
    Compilation::DebugFlag = saved_debug;
    Module::OutputDir = saved_dir;
    Module::OutputFile = saved_file;
  }

  static Signal* make(Module& m, const std::string& name) { return new Signal(name, &m, m.getBddWood()); }
  static Signal* input(Module& m, const std::string& name) { return add_input(&m, name); }
  static Signal* output(Module& m, const std::string& name) { return add_output(&m, name); }
  static Signal* local(Module& m, const std::string& name) { return add_local(&m, name); }
  // The three wires first, so that manager ids and file numbers differ.
  static void wires(Module& m) { add_wires(&m); }
  static void date(Module& m, Signal* s, int occurrence, long early, long late) {
    Bddexpressionwood* w = m.getBddWood();
    SignalRef* r = m.getSignalManager()->getSignalRefByOccurrence(s, occurrence);
    for (long id : {r->getBddStatusId(w), r->getBddValueId(w)}) {
      w->slot(id)->setEarlyDate(early);
      w->slot(id)->setLateDate(late);
    }
  }

  // Dates computed as the compiler and the reader do: locals first, then outputs.
  static void date(Module& m) {
    Bddexpressionwood* w = m.getBddWood();
    std::list<long> order;
    for (Signal* s : *m.local_signal_list) order.splice(order.end(), s->getAllBddId(&m, w));
    for (Signal* s : *m.output_signal_list) order.splice(order.end(), s->getAllBddId(&m, w));
    ASSERT_GE(w->compute_dates(order), 0);
  }

  // Pure module: input A, output O with a second occurrence, local L, register R.
  void buildTop(Module& m) {
    m.setFinalised(1);
    wires(m);
    Signal* l = local(m, "L");
    Signal* o = output(m, "O");
    Signal* a = input(m, "A");
    m.addRegisterDecl("R", 1, "Rnext");
    Signal* r = m.getLocalSignal("R");
    Signal* rnext = m.getLocalSignal("Rnext");
    o->newOccurrence(m.getBddWood(), &m);
    EquationTable* t = m.getEquationTable();
    t->createEquation(l, a, &m);
    t->createEquation(o, l, &m);
    t->createEquation(rnext, a, &m);
    t->createRegisterEquation(r, &m);
    date(m);
  }

  // Module with data: valued input X, pure input C, valued output Y (two occurrences,
  // bound under clock C), data signal D (bound), types, a method and four constants,
  // two of them valued by expressions.
  void buildDtop(Module& m) {
    Compilation::GDataTypeTable = new DataTypeTable();
    Compilation::GDataTypeTable->addType("bool");
    Compilation::GDataTypeTable->addType("int");
    Compilation::GDataMethodTable = new DataMethodTable();
    std::string rt = "int", name = "inc";
    std::list<std::string> args = {"int"};
    Compilation::GDataMethodTable->addMethod(new MethodDecl(&rt, &name, &args));
    DataConstantTable* ct = new DataConstantTable();
    Compilation::GDataConstantTable = ct;
    DataValue* ten = new DataValue("10");
    ConstantDecl* max = new ConstantDecl("int", "max", ten);
    ten->setDecl(max);
    ct->addConstant(max);
    ct->addConstant(new ConstantDecl("int", "twice", new DataBinaryOp(DataExpr::Plus, new DataConstant(0),
                                                                        new DataConstant(0))));
    ct->addConstant(new ConstantDecl("int", "other", new DataBinaryOp(DataExpr::Minus, new DataConstant(3),
                                                                        new DataConstant(0))));
    ct->addConstant(new ConstantDecl("int", "zero"));

    m.setFinalised(1);
    wires(m);
    Bddexpressionwood* w = m.getBddWood();
    Signal* x = input(m, "X");
    x->setValueType("int", &m);
    Signal* y = output(m, "Y");
    y->setValueType("int", &m);
    y->newOccurrence(w, &m);
    Signal* c = input(m, "C");
    Signal* d = make(m, "D");
    d->is_data = true;
    d->is_input = true;
    d->setValueType("int", &m);
    m.addDataSignal(d);
    m.getEquationTable()->createEquation(y, c, &m);
    date(m, y, 1, 1, 1);

    DataSignalValue* sx = new DataSignalValue(x);
    DataExpr* ed = new DataBinaryOp(DataExpr::Minus,
                                    new DataUnaryOp(DataExpr::Uminus, new DataBinaryOp(DataExpr::Mult, sx, sx)),
                                    new DataConstant(2));
    std::list<DataExpr*>* call_args = new std::list<DataExpr*>{new DataSignalValue(x)};
    DataExpr* ey = new DataBinaryOp(DataExpr::Plus, new DataMethodCall(0, call_args), new DataConstant(1));
    m.addSignalBinding(ed, d);
    m.addSignalBinding(ey, y, c);
  }

  static std::string text(Module& m, int forget = 0) { return jxc_text(m, forget); }

  DataTablesScope tables;
  RecordedBoxes recorded;
  std::vector<std::string>& boxes = recorded.texts;
  ScratchDir scratch{"zarim_save"};
  const std::string dir = scratch.path;
  bool saved_forget;
  bool saved_debug;
  std::string saved_dir;
  std::string saved_file;
};

using SaveExitTest = SaveTest;

}  // namespace

TEST_F(SaveTest, PureModuleMatchesGoldenFile) {
  Module m("top");
  buildTop(m);
  EXPECT_EQ(text(m), read_file(kDataDir + "top.jxc"));
}

TEST_F(SaveTest, DataModuleMatchesGoldenFile) {
  Module m("dtop");
  buildDtop(m);
  EXPECT_EQ(text(m), read_file(kDataDir + "dtop.jxc"));
}

// Evaluation indexes live for one write: a second write, or a second module sharing the
// constants, is numbered from 0 again.
TEST_F(SaveTest, WritesAreRepeatable) {
  Module m("dtop");
  buildDtop(m);
  Module::OutputDir = dir;
  m.save();
  std::string first = read_file(dir + "/dtop.jxc");
  m.save();
  EXPECT_EQ(read_file(dir + "/dtop.jxc"), first);
  EXPECT_EQ(first, read_file(kDataDir + "dtop.jxc"));

  Module other("other");
  wires(other);
  Signal* v = input(other, "V");
  v->setValueType("int", &other);
  other.data_table = new std::map<std::string, DataBinding*>();
  (*other.data_table)["V"] = new DataBinding(v, new DataConstant(1));
  std::string t = text(other);
  EXPECT_NE(t.find("binding:\n   (0, 1): value: 0;\nend:\n"), std::string::npos) << t;
  EXPECT_NE(t.find("evaltable:\n   0: %%15(1, 1);\n   1: $0;\nend:\n"), std::string::npos) << t;
}

TEST_F(SaveTest, ForgetLocalsNamesWritesFileNumbers) {
  Module m("top");
  buildTop(m);
  std::string t = text(m, 1);
  EXPECT_NE(t.find("local:  V4  V6  V8 O_1;\nregister:\n V8 V6 1;\n\n"), std::string::npos) << t;
}

TEST_F(SaveTest, LocalSectionOnlyWithEntries) {
  Module m("bare");
  wires(m);
  input(m, "A");
  std::string t = text(m);
  EXPECT_EQ(t.find("local:"), std::string::npos) << t;
  EXPECT_EQ(t.find(";\n;"), std::string::npos) << t;
  EXPECT_NE(t.find("input: A ;\nconnexion: SETbare RESETbare RTLbare;\n"), std::string::npos) << t;
}

// An output without a reference in the module's system still takes its pair of numbers.
TEST_F(SaveTest, OutputWithoutReferenceKeepsItsNumbers) {
  Module m("m");
  Module elsewhere("e");
  Signal* lost = new Signal("Lost", &m, elsewhere.getBddWood());
  lost->is_output = true;
  m.addOutputSignal(lost);
  wires(m);
  local(m, "L");
  std::string t = text(m, 1);
  EXPECT_NE(t.find("output: Lost ;\nlocal:  V2;\n"), std::string::npos) << t;
}

TEST_F(SaveTest, UnreadableNamesAreRefused) {
  Module m("m");
  wires(m);
  input(m, "a-b");
  std::ostringstream os;
  os << "kept";
  EXPECT_THROW(m.JXC_put(os, 2, 1, 0), IllegalOperationException);
  EXPECT_EQ(os.str(), "kept");

  Module n("n");
  wires(n);
  input(n, "12");
  EXPECT_THROW(text(n), IllegalOperationException);
}

TEST_F(SaveTest, UnreadableConstantTextIsRefused) {
  Module m("m");
  wires(m);
  Compilation::GDataConstantTable = new DataConstantTable();
  ConstantDecl* k = new ConstantDecl("int", "k", new DataValue("-5"));
  Compilation::GDataConstantTable->addConstant(k);
  EXPECT_THROW(text(m), IllegalOperationException);
}

TEST_F(SaveTest, DataPartWithConstantsOnly) {
  Module m("m");
  wires(m);
  Compilation::GDataConstantTable = new DataConstantTable();
  Compilation::GDataConstantTable->addConstant(new ConstantDecl("int", "k"));
  std::string t = text(m);
  EXPECT_NE(t.find("data:\ntype:\nmethod:\nconstant:\nint k;\nend:\n\n"), std::string::npos) << t;

  // The reader needs "method:" after "data:", also for a table without a list.
  Compilation::GDataMethodTable = new DataMethodTable(nullptr);
  t = text(m);
  EXPECT_NE(t.find("data:\ntype:\nmethod:\nconstant:\n"), std::string::npos) << t;
}

TEST_F(SaveTest, OperatorOfUndeclaredTypeIsRefused) {
  Module m("m");
  wires(m);
  Signal* v = input(m, "V");
  v->setValueType("real", &m);
  Compilation::GDataTypeTable = new DataTypeTable();
  Compilation::GDataTypeTable->addType("int");
  m.data_table = new std::map<std::string, DataBinding*>();
  DataSignalValue* sv = new DataSignalValue(v);
  (*m.data_table)["V"] = new DataBinding(v, new DataBinaryOp(DataExpr::Plus, sv, sv));
  EXPECT_THROW(text(m), UndefinedTypeException);
}

// A kept equation reading a variable that no signal of the file owns would be read back
// with the constant true in its place.
TEST_F(SaveTest, UnnumberedVariableIsAnInternalError) {
  Module m("m");
  wires(m);
  Signal* l = local(m, "L");
  Bddexpressionwood* w = m.getBddWood();
  bdd stray = w->New_var_last("stray");
  new Bddexpression("L", w, l->getBddStatus(&m, w), stray, 0, 0);
  std::ostringstream os;
  EXPECT_THROW(m.JXC_put(os, 2, 1, 0), IllegalOperationException);
  EXPECT_EQ(os.str(), "");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("INTERNAL ERROR"), std::string::npos);
}

TEST_F(SaveTest, DebugFlagWritesComments) {
  Module m("top");
  buildTop(m);
  Compilation::DebugFlag = true;
  std::string t = text(m);
  EXPECT_NE(t.find("// expression "), std::string::npos);
}

TEST_F(SaveTest, SaveFileNames) {
  Module m("M");
  wires(m);
  Module::OutputDir = dir;
  m.save();
  EXPECT_EQ(read_file(dir + "/M.jxc").substr(0, 13), "module: M  0 ");

  Module::OutputFile = "result";
  m.save();
  EXPECT_TRUE(std::ifstream(dir + "/result.jxc").good());
  Module::OutputFile = "a.jxc.old";
  m.save();
  EXPECT_TRUE(std::ifstream(dir + "/a.jxc.old").good());

  testing::internal::CaptureStderr();
  m.save();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "File: " + dir + "/a.jxc.old already exists. File rewrited.\n");

  Module::OutputDir = dir + "/missing";
  testing::internal::CaptureStderr();
  m.save();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot open output file: " + dir + "/missing/a.jxc.old: No such file or directory\n");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Cannot open output file: " + dir + "/missing/a.jxc.old: No such file or directory");
}

TEST_F(SaveTest, SaveRequiresAnEquationTable) {
  Module m("M");
  EquationTable* t = m.compilation;
  m.compilation = nullptr;
  try {
    m.save();
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Save code requires compilation");
    EXPECT_EQ(e.argument_name(), nullptr);
  }
  std::ostringstream os;
  m.JXC_put(os, 2, 1, 0);
  EXPECT_EQ(os.str(), "");
  m.compilation = t;
}

TEST_F(SaveExitTest, InputWithoutReferenceEndsTheProcess) {
  Module m("m");
  Module elsewhere("e");
  Signal* s = new Signal("In", &m, elsewhere.getBddWood());
  s->is_input = true;
  m.addInputSignal(s);
  wires(m);
  EXPECT_LIBRARY_EXIT(text(m), 1, "In has no signal reference!");
}

TEST_F(SaveTest, CompiledAndFinalisedModuleIsWritten) {
  Module m("pipe");
  Signal* a = input(m, "A");
  Signal* o = output(m, "O");
  m.addBodyStatement(new EmitWhen(&m, a, o));
  m.compile();
  m.finalize(0);
  Module::OutputDir = dir;
  m.save();
  std::string first = read_file(dir + "/pipe.jxc");
  m.save();
  EXPECT_EQ(read_file(dir + "/pipe.jxc"), first);
  EXPECT_EQ(first, read_file(kDataDir + "pipe.jxc")) << first;
}
