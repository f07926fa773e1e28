#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data_tables_scope.h"
#include "data.h"
#include "interface.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sexception.h"

namespace {

// Installs fresh global tables: types bool (0) and int (1), method int f(int, int) (0),
// and restores the previous tables afterwards.
class DataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    types = new DataTypeTable();
    types->addType("bool");
    types->addType("int");
    methods = new DataMethodTable();
    std::string rt = "int", name = "f";
    std::list<std::string> args{"int", "int"};
    methods->addMethod(new MethodDecl(&rt, &name, &args));
    constants = new DataConstantTable();
    Compilation::GDataTypeTable = types;
    Compilation::GDataMethodTable = methods;
    Compilation::GDataConstantTable = constants;
    m = std::make_unique<Module>("M");
  }
  Signal* valued(const std::string& name, const std::string& type) {
    Signal* s = add_input(m.get(), name);
    s->setValueType(type, m.get());
    return s;
  }

  // File number of every variable: id + 100.
  std::vector<long> renumbering(long n = 64) {
    std::vector<long> r(n);
    for (long i = 0; i < n; ++i) r[i] = i + 100;
    return r;
  }

  // Writes each bound expression's reference as "value: i" lines, then the table.
  std::string write(const std::vector<DataExpr*>& values, const std::vector<long>& ren) {
    DataEvalTable t(ren.data(), static_cast<long>(ren.size()), m.get());
    std::ostringstream os;
    for (DataExpr* v : values) os << "value: " << t.reference(v) << "\n";
    t.writeEntries(os);
    return os.str();
  }

  DataConstant* constant(const std::string& name, DataExpr* value = nullptr) {
    ConstantDecl* c = new ConstantDecl("int", name, value);
    constants->addConstant(c);
    return new DataConstant(c->getConstantIndex());
  }

  DataTypeTable* types = nullptr;
  DataMethodTable* methods = nullptr;
  DataConstantTable* constants = nullptr;
  DataTablesScope saved;
  std::unique_ptr<Module> m;
};

std::string debug(DataExpr* e) {
  std::ostringstream os;
  e->print_debug(os);
  return os.str();
}

}  // namespace

// ----- types -----

TEST_F(DataTest, ComputeTypeOfEachKind) {
  Signal* a = valued("A", "int");
  Signal* b = valued("B", "int");
  DataBinaryOp sum(DataExpr::Plus, new DataSignalValue(a), new DataSignalValue(b));
  sum.computeType(m.get());
  EXPECT_EQ(sum.getType(), "int");

  DataConstant* k = constant("K");
  k->computeType(m.get());
  EXPECT_EQ(k->getType(), "int");

  DataMethodCall call(0, nullptr);
  call.computeType(m.get());
  EXPECT_EQ(call.getType(), "int");

  DataExpr* lit = new DataValue("3");
  lit->setType("bool");
  DataUnaryOp neg(DataExpr::Not, lit);
  neg.computeType(m.get());  // the operand's set type is kept
  EXPECT_EQ(neg.getType(), "bool");
}

TEST_F(DataTest, ComputeTypeFailures) {
  DataValue lit("12");
  try {
    lit.computeType(m.get());
    FAIL();
  } catch (const UndefinedTypeException& e) {
    EXPECT_STREQ(e.name(), "12");
  }
  Signal* pure = new Signal("P", m.get(), m->getBddWood());
  DataSignalValue sv(pure);
  try {
    sv.computeType(m.get());
    FAIL();
  } catch (const UndefinedTypeException& e) {
    EXPECT_STREQ(e.name(), "P");
  }
  DataConstant missing(7);
  try {
    missing.computeType(m.get());
    FAIL();
  } catch (const ModuleUndefinedConstantException& e) {
    EXPECT_STREQ(e.const_name(), "constant");
    EXPECT_STREQ(e.mod_name(), "M");
  }
  EXPECT_THROW(DataMethodCall(5, nullptr).computeType(m.get()), UndefinedMethodException);
  // Absent global tables are "no such entry", not a crash.
  Compilation::GDataConstantTable = nullptr;
  Compilation::GDataMethodTable = nullptr;
  EXPECT_THROW(DataConstant(0).computeType(m.get()), ModuleUndefinedConstantException);
  EXPECT_THROW(DataMethodCall(0, nullptr).computeType(m.get()), UndefinedMethodException);
}

TEST_F(DataTest, BinaryTypeMismatchEndsProcess) {
  Signal* a = valued("A", "int");
  Signal* b = valued("B", "float");
  DataBinaryOp bad(DataExpr::Plus, new DataSignalValue(a), new DataSignalValue(b));
  EXPECT_LIBRARY_EXIT(bad.computeType(m.get()), 1,
                      "\\*\\*\\* Type check error in binary operator: type: int differs from type: float");
}

// ----- copies, dependencies, debug texts -----

TEST_F(DataTest, CopiesAreFreshTreesWithoutTypeOrIndex) {
  Signal* a = valued("A", "int");
  std::list<DataExpr*>* args = new std::list<DataExpr*>{new DataSignalValue(a), new DataValue("1")};
  DataMethodCall call(0, args);
  call.computeType(m.get());
  call.setIndex(4);
  DataExpr* d = call.duplicate();
  EXPECT_EQ(d->getType(), "");
  EXPECT_FALSE(d->hasIndex());
  auto* dc = static_cast<DataMethodCall*>(d);
  ASSERT_NE(dc->getArgs(), args);
  ASSERT_EQ(dc->getArgs()->size(), 2u);
  EXPECT_NE(dc->getArgs()->front(), args->front());
  EXPECT_EQ(static_cast<DataSignalValue*>(dc->getArgs()->front())->getSignal(), a);
  EXPECT_EQ(static_cast<DataMethodCall*>(DataMethodCall(0, nullptr).duplicate())->getArgs(), nullptr);

  Module other("N");
  Signal* a2 = new Signal("A", &other, other.getBddWood());
  a2->is_input = true;
  other.addInputSignal(a2);
  DataExpr* moved =
      DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), new DataConstant(0)).changeModule(&other, m.get());
  EXPECT_EQ(static_cast<DataSignalValue*>(static_cast<DataBinaryOp*>(moved)->getLeft())->getSignal(), a2);
  Signal* lone = new Signal("Z", m.get(), m->getBddWood());
  try {
    DataSignalValue(lone).changeModule(&other, m.get());
    FAIL();
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "DataSignalValue::changeModule: no signal in new module for:");
    EXPECT_STREQ(e.argument_name(), "Z");
  }
}

TEST_F(DataTest, InstanciateTakesSignalsFromTheInterface) {
  Module inst("I");
  Signal* in = new Signal("In", m.get(), m->getBddWood());
  in->is_input = true;
  Signal* loc = new Signal("L", "L_1", m.get(), m->getBddWood());
  loc->is_local = true;
  Signal* plain = new Signal("Q", m.get(), m->getBddWood());
  Signal* x = new Signal("X", &inst, inst.getBddWood());
  Signal* y = new Signal("Y", &inst, inst.getBddWood());
  Interface I;
  I.addInput("In", x);
  I.addLocal("L_1", y);
  DataExpr* e = DataBinaryOp(DataExpr::Plus, new DataSignalValue(in), new DataSignalValue(loc)).instanciate(&I);
  auto* b = static_cast<DataBinaryOp*>(e);
  EXPECT_EQ(static_cast<DataSignalValue*>(b->getLeft())->getSignal(), x);
  EXPECT_EQ(static_cast<DataSignalValue*>(b->getRight())->getSignal(), y);

  Signal* out = new Signal("O", m.get(), m->getBddWood());
  out->is_output = true;
  try {
    DataSignalValue(out).instanciate(&I);
    FAIL();
  } catch (const IllegalOperationException& ex) {
    EXPECT_STREQ(ex.operation_name(), "Interface::getOutputSignal");
    EXPECT_STREQ(ex.argument_name(), "O");
  }
  try {
    DataSignalValue(plain).instanciate(&I);
    FAIL();
  } catch (const IllegalOperationException& ex) {
    EXPECT_STREQ(ex.operation_name(), "DataSignalValue::instanciate");
  }
}

TEST_F(DataTest, DependencySetsAndDebugTexts) {
  Signal* a = valued("A", "int");
  Signal* b = valued("B", "int");
  EXPECT_EQ(DataConstant(0).computeDependencySet(), nullptr);
  EXPECT_EQ(DataValue("1").computeDependencySet(), nullptr);
  std::unique_ptr<std::set<Signal*>> self(
      DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), new DataSignalValue(a)).computeDependencySet());
  EXPECT_EQ(self->size(), 1u);
  std::list<DataExpr*>* args = new std::list<DataExpr*>{new DataValue("1"), new DataSignalValue(a),
                                                        new DataUnaryOp(DataExpr::Uminus, new DataSignalValue(b))};
  DataMethodCall call(0, args);
  std::unique_ptr<std::set<Signal*>> both(call.computeDependencySet());
  EXPECT_EQ(*both, (std::set<Signal*>{a, b}));
  EXPECT_EQ(DataMethodCall(0, new std::list<DataExpr*>()).computeDependencySet(), nullptr);

  EXPECT_EQ(debug(&call), "0(1, A, 4(B))");
  DataBinaryOp sum(DataExpr::Plus, new DataConstant(2), new DataValue("x"));
  EXPECT_EQ(debug(&sum), " 0(C: 2, x)");
}

TEST_F(DataTest, ConstantSetIndexFirstIndexWins) {
  DataConstant* k1 = constant("K");
  DataConstant k2(k1->getConstantIndex());
  k1->setIndex(3);
  k2.setIndex(8);
  EXPECT_EQ(k2.getIndex(), 8);
  EXPECT_EQ(constants->getConstant("K")->getEvalIndex(), 3);
  try {
    DataConstant(42).setIndex(1);
    FAIL();
  } catch (const ModuleUndefinedConstantException& e) {
    EXPECT_STREQ(e.mod_name(), "constant_table");
  }
}

TEST_F(DataTest, OperatorCodesAndGeneratorStubs) {
  EXPECT_EQ(DataExpr::Supe, 13);
  EXPECT_EQ(DataExpr::SignalVal, 14);
  EXPECT_EQ(DataExpr::NbPredefOp, 15);
  EXPECT_EQ(DataEvalTable::evalCode("int", DataExpr::Plus), 15);
  EXPECT_EQ(DataEvalTable::evalCode("int", DataExpr::SignalVal), 29);
  EXPECT_EQ(DataExpr::C_opname(DataExpr::And), " && ");
  EXPECT_EQ(DataExpr::C_opname(DataExpr::Supe), " >= ");
  EXPECT_EQ(DataExpr::C_opname(DataExpr::Or), " | ");
  EXPECT_EQ(DataExpr::C_opname(DataExpr::Uminus), " -");
  EXPECT_THROW(DataExpr::C_opname(14), IllegalOperationException);
  EXPECT_THROW(DataExpr::C_opname(-1), IllegalOperationException);
  // The Lustre texts (their generator's tests cover them).
  std::ostringstream os;
  DataValue v("1");
  v.LUSTRE_put(os, m.get());
  EXPECT_EQ(os.str(), "1");
}

// ----- evaluation table -----

TEST_F(DataTest, EvalTableNumbersOperandsAndSharesObjects) {
  Signal* a = valued("A", "int");
  long sa = a->getInitialBddStatusId(m.get(), m->getBddWood());
  DataExpr* av = new DataSignalValue(a);
  // f(A + A, -A): the same signal-value object is one entry referenced twice.
  DataExpr* sum = new DataBinaryOp(DataExpr::Plus, av, av);
  DataExpr* neg = new DataUnaryOp(DataExpr::Uminus, av);
  DataMethodCall call(0, new std::list<DataExpr*>{sum, neg});
  std::vector<long> ren = renumbering();
  std::string expected =
      "value: 0\n"
      "   0: %0(1, 2);\n"
      "   1: %%15(3, 3);\n"
      "   2: %%19(3)\n;\n"
      "   3: %%29(" +
      std::to_string(sa + 100) + ", " + std::to_string(sa + 101) + ");\n";
  EXPECT_EQ(write({&call}, ren), expected);
  // Indexes live in the write: a second write gives the same text and marks nothing.
  EXPECT_EQ(write({&call}, ren), expected);
  EXPECT_FALSE(call.hasIndex());
  EXPECT_FALSE(av->hasIndex());
}

TEST_F(DataTest, EvalTableConstants) {
  DataConstant* k = constant("K");  // index 0, no value
  DataValue* ten = new DataValue("10");
  ConstantDecl* lit_decl = new ConstantDecl("int", "TEN", ten);
  ten->setDecl(lit_decl);
  constants->addConstant(lit_decl);  // index 1
  DataConstant* t = new DataConstant(1);
  // A constant used twice is one entry and one shared reference.
  DataBinaryOp sum(DataExpr::Plus, k, new DataBinaryOp(DataExpr::Minus, new DataConstant(0), t));
  std::vector<long> ren = renumbering();
  EXPECT_EQ(write({&sum}, ren),
            "value: 0\n"
            "   0: %%15(1, 2);\n"
            "   1: $0;\n"
            "   2: %%16(1, 3);\n"
            "   3: $1;\n");
  EXPECT_EQ(constants->getConstant("K")->getEvalIndex(), -1);
}

TEST_F(DataTest, ExpressionValuedConstantsKeepTheirOwnExpressions) {
  Signal* a = valued("A", "int");
  Signal* b = valued("B", "int");
  DataConstant* ca = constant("CA", new DataUnaryOp(DataExpr::Uminus, new DataSignalValue(a)));
  DataConstant* plain = constant("P");
  DataConstant* cb = constant("CB", new DataUnaryOp(DataExpr::Not, new DataSignalValue(b)));
  EXPECT_EQ(ca->getConstantIndex(), 0);
  EXPECT_EQ(plain->getConstantIndex(), 1);
  EXPECT_EQ(cb->getConstantIndex(), 2);
  std::vector<long> ren = renumbering();
  long sa = a->getInitialBddStatusId(m.get(), m->getBddWood()) + 100;
  long sb = b->getInitialBddStatusId(m.get(), m->getBddWood()) + 100;
  // Inlined constants have no line in the constant section: P is at position 0.
  EXPECT_EQ(write({ca, cb, plain}, ren),
            "value: 0\nvalue: 1\nvalue: 2\n"
            "   0: %%19(3)\n;\n"
            "   1: %%22(4)\n;\n"
            "   2: $0;\n"
            "   3: %%29(" +
                std::to_string(sa) + ", " + std::to_string(sa + 1) +
                ");\n"
                "   4: %%29(" +
                std::to_string(sb) + ", " + std::to_string(sb + 1) + ");\n");
}

TEST_F(DataTest, EvalTableRefusesWhatTheReaderWouldMisread) {
  Signal* a = valued("A", "int");
  // A variable without file number is an error, not the terminal.
  std::vector<long> none(64, -1);
  DataSignalValue av(a);
  EXPECT_THROW(write({&av}, none), IllegalOperationException);
  std::vector<long> shorter(0);
  EXPECT_THROW(write({&av}, shorter), IllegalOperationException);
  // An undeclared type would give a negative code.
  Signal* f = valued("F", "float");
  DataSignalValue fv(f);
  try {
    write({&fv}, renumbering());
    FAIL();
  } catch (const UndefinedTypeException& e) {
    EXPECT_STREQ(e.name(), "float");
  }
  Compilation::GDataTypeTable = nullptr;
  EXPECT_THROW(write({&av}, renumbering()), UndefinedTypeException);
  // A literal that belongs to no constant has no "$" number.
  DataValue lone("5");
  EXPECT_THROW(write({&lone}, renumbering()), IllegalOperationException);
}

// ----- declarations and tables -----

TEST(DataTables, MethodTable) {
  DataMethodTable t;
  std::string rt = "int", f = "f", g = "g";
  MethodDecl* d0 = new MethodDecl(&rt, &f, nullptr);
  MethodDecl* d1 = new MethodDecl(&rt, &g, nullptr);
  t.addMethod(d0);
  t.addMethod(d1);
  EXPECT_EQ(d0->getIndex(), 0);
  EXPECT_EQ(d1->getIndex(), 1);
  MethodDecl dup(&rt, &f, nullptr);
  try {
    t.addMethod(&dup);
    FAIL();
  } catch (const AlreadyDefinedException& e) {
    EXPECT_STREQ(e.object_name(), "f");
    EXPECT_STREQ(e.context_name(), "overloading_of_method_not_yet_implemented");
  }
  EXPECT_EQ(t.getMethodList()->size(), 2u);
  EXPECT_EQ(dup.getIndex(), -1);
  EXPECT_EQ(t.getMethodIndex("g"), 1);
  EXPECT_EQ(t.getMethodIndex("h"), -1);
  EXPECT_EQ(t.getMethodById(1), d1);
  EXPECT_EQ(t.getMethodById(9), nullptr);

  std::ostringstream empty, null_list, with_ids;
  DataMethodTable().print(empty, false);
  EXPECT_EQ(empty.str(), "method:\n\n");
  DataMethodTable(nullptr).print(null_list, true);
  EXPECT_EQ(null_list.str(), "");
  std::list<std::string> args{"int", "bool"};
  std::string h = "h", b = "bool";
  t.addMethod(new MethodDecl(&b, &h, &args));
  t.print(with_ids, true);
  EXPECT_EQ(with_ids.str(), "method:\n   0: int f();\n   1: int g();\n   2: bool h(int, bool);\n\n");
}

TEST(DataTables, MethodDeclCopiesAndEquality) {
  std::string rt = "int", f = "f";
  std::list<std::string> args{"int"};
  MethodDecl a(&rt, &f, &args);
  EXPECT_NE(a.getArgTypeList(), &args);
  MethodDecl b(a);
  EXPECT_NE(b.getArgTypeList(), a.getArgTypeList());
  EXPECT_TRUE(a != b);  // equal contents, separate lists
  MethodDecl c(nullptr, nullptr, nullptr);
  EXPECT_EQ(c.getName(), "");
  EXPECT_EQ(c.getArgTypeList(), nullptr);
  c = a;
  EXPECT_EQ(c.getName(), "f");
  EXPECT_EQ(*c.getArgTypeList(), args);
  c = MethodDecl(nullptr, nullptr, nullptr);
  EXPECT_EQ(c.getArgTypeList(), nullptr);
  std::ostringstream os;
  a.setIndex(3);
  os << a << "|" << MethodDecl(&rt, &f, nullptr);
  EXPECT_EQ(os.str(), "id= 3 int f (int) |id= -1 int f () ");
}

TEST(DataTables, TypeTable) {
  DataTypeTable t;
  t.addType("int");
  t.addType("bool");
  t.addType("int");
  EXPECT_EQ(t.getIndex("int"), 0);
  EXPECT_EQ(t.getIndex("bool"), 1);
  EXPECT_EQ(t.getIndex("float"), -1);
  EXPECT_TRUE(t.isDefined("bool"));
  EXPECT_EQ(t.getTypeById(1), "bool");
  EXPECT_EQ(t.getTypeById(99), "undefined");
  std::ostringstream ids, plain;
  t.print(ids, true);
  EXPECT_EQ(ids.str(), "type:\n   0: int;\n   1: bool;\n\n");
  t.print(plain, false);
  EXPECT_EQ(plain.str(), "type:\nint;\nbool;\n\n");
}

TEST(DataTables, ConstantTable) {
  DataConstantTable t;
  ConstantDecl* a = new ConstantDecl("int", "A");
  ConstantDecl* e = new ConstantDecl("int", "E", new DataUnaryOp(DataExpr::Uminus, new DataConstant(0)));
  DataValue* ten = new DataValue("10");
  ConstantDecl* b = new ConstantDecl("int", "B", ten);
  ten->setDecl(b);
  t.addConstant(a);
  t.addConstant(e);
  t.addConstant(b);
  EXPECT_EQ(a->getConstantIndex(), 0);
  EXPECT_EQ(e->getConstantIndex(), 1);
  EXPECT_EQ(b->getConstantIndex(), 2);
  EXPECT_TRUE(e->isInlined());
  EXPECT_FALSE(b->isInlined());
  EXPECT_EQ(t.getFilePositions(), (std::map<int, int>{{0, 0}, {2, 1}}));
  ConstantDecl again("bool", "A");
  try {
    t.addConstant(&again);
    FAIL();
  } catch (const AlreadyDefinedException& ex) {
    EXPECT_STREQ(ex.object_name(), "A");
    EXPECT_STREQ(ex.context_name(), "constant");
  }
  EXPECT_EQ(t.getConstantList()->size(), 3u);
  EXPECT_EQ(t.getConstantIndex("B"), 2);
  EXPECT_EQ(t.getConstantIndex("Z"), -1);
  EXPECT_EQ(t.getConstantById(-1), nullptr);
  std::ostringstream os;
  t.print(os, true);
  EXPECT_EQ(os.str(), "constant:\n   0: int A;\n   1: int E value: 4(C: 0);\n   2: int B value: 10;\n\n");
}

// ----- bindings -----

TEST_F(DataTest, BindingCopyAndInstance) {
  Signal* s = valued("S", "int");
  Signal* k = new Signal("K", m.get(), m->getBddWood());
  k->is_input = true;
  m->addInputSignal(k);
  DataBinding b(s, new DataSignalValue(s), k);
  std::ostringstream os;
  b.print_debug(os);
  EXPECT_EQ(os.str(), "signal:S     clock:K     value: S");

  Module target("T");
  Signal* s2 = new Signal("S", &target, target.getBddWood());
  s2->is_input = true;
  target.addInputSignal(s2);
  try {
    DataBinding copy(b, &target, m.get());
    FAIL();
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "DataDinding::DataBinding: no clock in new module for:");
    EXPECT_STREQ(e.argument_name(), "K");
  }
  DataBinding unclocked(s, new DataSignalValue(s));
  DataBinding copy(unclocked, &target, m.get());
  EXPECT_EQ(copy.getSignal(), s2);
  EXPECT_EQ(copy.getClock(), nullptr);
  EXPECT_EQ(static_cast<DataSignalValue*>(copy.getValue())->getSignal(), s2);

  Interface I;
  I.addInput("S", s2);
  std::unique_ptr<DataBinding> inst(b.instanciate(&I, nullptr, nullptr));
  EXPECT_EQ(inst->getSignal(), s2);
  EXPECT_EQ(inst->getClock(), nullptr);  // the clock is missing from the interface
  Interface empty;
  EXPECT_LIBRARY_EXIT(b.instanciate(&empty, nullptr, nullptr), 1, " not in interface:S");
}
