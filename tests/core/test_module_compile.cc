#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "expression.h"
#include "g_messages.h"
#include "interface.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"

namespace {

// Body "emit O; terminate": O's rails and RTL follow the body's Set wire.
class EmitBody : public Statement {
 public:
  EmitBody(Module* m, Signal* out) : Statement("body", m), out(out) {
    for (const char* n : {"SETb", "RESETb", "RTLb"}) {
      Signal* s = new Signal(n, m, m->getBddWood());
      s->is_local = true;
      s->is_wire = true;
      m->addLocalSignal(s);
      wires.push_back(s);
    }
    setSet(wires[0]);
    setReset(wires[1]);
    setRtl(wires[2]);
  }
  void compile(Module* m, EquationTable* t) override {
    if (out != nullptr) t->createEquation(out, getSet(), m);
    if (never_ends)
      t->createEquation(getRtl(), new FalseExpression(), m);
    else
      t->createEquation(getRtl(), getSet(), m);
    ++compiled;
  }
  bool reincarnate() override { return false; }

  Signal* out;
  bool never_ends = false;
  std::vector<Signal*> wires;
  int compiled = 0;
};

class ModuleFlowTest : public ::testing::Test {
 protected:
  ModuleFlowTest() : m("M"), w(m.getBddWood()) {}
  void SetUp() override {
    saved_keep = Compilation::KeepWiresFlag;
    Compilation::KeepWiresFlag = false;
    saved_indexation = DataExpr::Indexation;
    DataExpr::Indexation = 0;
    forms_sink sink = forms_stderr_sink();
    sink.show = [this](forms_box_kind, const std::string& text) { boxes.push_back(text); };
    forms_set_sink(sink);
  }
  void TearDown() override {
    Compilation::KeepWiresFlag = saved_keep;
    DataExpr::Indexation = saved_indexation;
    forms_reset_sink();
  }

  Signal* input(const std::string& n) { return add_input(&m, n); }
  Signal* output(const std::string& n) { return add_output(&m, n); }
  Signal* local(const std::string& n) { return add_local(&m, n); }
  Bddexpression* eq(long id) { return w->slot(id); }
  bdd var(long id) { return w->Bdd_var_by_index(id); }
  long sid(Signal* s) { return s->getBddStatusId(&m, w); }
  long vid(Signal* s) { return s->getBddValueId(&m, w); }
  long sid0(Signal* s) { return s->getInitialBddStatusId(&m, w); }
  long vid0(Signal* s) { return s->getInitialBddValueId(&m, w); }
  void define(long id, const bdd& f, int kind) {
    Bddexpression* e = new Bddexpression("e", w, var(id), f, 0, 0, kind);
    ASSERT_EQ(w->slot(id), e);
  }

  Module m;
  Bddexpressionwood* w;
  std::vector<std::string> boxes;
  bool saved_keep = false;
  int saved_indexation = 0;
};

}  // namespace

// ----- compile environment and compile -----

TEST_F(ModuleFlowTest, CompileEnvMakesWiresAndTiesEachOutputToANewOccurrence) {
  Module empty("top");
  empty.createCompileEnv();
  ASSERT_NE(empty.getSet(), nullptr);
  EXPECT_EQ(empty.getSet()->getInternalName(), "SETtop");
  EXPECT_EQ(empty.getReset()->getInternalName(), "RESETtop");
  EXPECT_EQ(empty.getRtl()->getInternalName(), "RTLtop");
  EXPECT_EQ(empty.getBddWood()->exp_number(), 0);

  Signal* o = output("O");
  m.createCompileEnv();
  EXPECT_EQ(o->getCurrentOccurrence(w), 1);
  ASSERT_NE(eq(sid0(o)), nullptr);
  EXPECT_EQ(eq(sid0(o))->my_bdd_exp(), var(sid(o)));
  EXPECT_EQ(eq(sid0(o))->getUserType(), Compilation::SOUTPUT);
  EXPECT_EQ(eq(vid0(o))->my_bdd_exp(), var(vid(o)));
  EXPECT_EQ(eq(vid0(o))->getUserType(), Compilation::VOUTPUT);
  EXPECT_EQ(eq(sid(o))->my_bdd_exp(), w->Bdd_zero());
  EXPECT_EQ(eq(vid(o))->my_bdd_exp(), w->Bdd_zero());
}

TEST_F(ModuleFlowTest, ValuedOutputTiesItsClockedSignals) {
  // Without a data table a valued output simply has no clocked signals.
  Signal* o = output("O");
  o->setValueType("int", &m);
  m.createCompileEnv();
  EXPECT_EQ(o->getCurrentOccurrence(w), 1);

  Module v("V");
  Bddexpressionwood* vw = v.getBddWood();
  Signal* out = new Signal("O", &v, vw);
  out->is_output = true;
  out->setValueType("int", &v);
  v.addOutputSignal(out);
  Signal* b = new Signal("B", &v, vw);
  b->is_local = true;
  v.addLocalSignal(b);
  DataValue* one = new DataValue("1");
  one->setType("int");
  v.addSignalBinding(one, b, out);
  // A fresh clocked signal is in no list: it has no further occurrence and keeps its
  // bottom rails instead of being defined by itself.
  DataValue* two = new DataValue("2");
  two->setType("int");
  Signal* fresh = v.addSignalBinding(two, "c", out);
  v.createCompileEnv();
  EXPECT_EQ(b->getCurrentOccurrence(vw), 1);
  EXPECT_EQ(vw->slot(b->getInitialBddStatusId(&v, vw))->my_bdd_exp(),
            vw->Bdd_var_by_index(b->getBddStatusId(&v, vw)));
  ASSERT_NE(vw->slot(fresh->getBddStatusId(&v, vw)), nullptr);
  EXPECT_EQ(vw->slot(fresh->getBddStatusId(&v, vw))->my_bdd_exp(), vw->Bdd_zero());
  EXPECT_EQ(vw->slot(fresh->getBddValueId(&v, vw))->my_bdd_exp(), vw->Bdd_zero());
}

TEST_F(ModuleFlowTest, ValuedOutputWithoutClockedBindingOpensOnlyItself) {
  // The module binds another signal: an output emitted only through a run, or never, has
  // no binding of its own when the compile starts.
  Signal* o = output("O");
  o->setValueType("int", &m);
  Signal* x = local("X");
  DataValue* one = new DataValue("1");
  one->setType("int");
  m.addSignalBinding(one, x, nullptr);
  m.createCompileEnv();
  EXPECT_EQ(o->getCurrentOccurrence(w), 1);
  EXPECT_EQ(x->getCurrentOccurrence(w), 0);
}

TEST_F(ModuleFlowTest, CompileRunsTheBodyAndDatesOnce) {
  Signal* o = output("O");
  EmitBody* body = new EmitBody(&m, o);
  m.addBodyStatement(body);
  m.setReincarnate(true);
  m.compile();
  EXPECT_EQ(body->compiled, 1);
  EXPECT_FALSE(m.getReincarnate());
  EXPECT_GT(body->getPertLevel(), 0);
  // The body's wires are tied to the module's.
  ASSERT_NE(eq(sid(body->wires[0])), nullptr);
  EXPECT_EQ(eq(sid(body->wires[0]))->my_bdd_exp(), var(sid(m.getSet())));
  EXPECT_EQ(eq(sid(m.getRtl()))->my_bdd_exp(), var(sid(body->wires[2])));

  body->setPertLevel(7);
  m.sortCode();
  EXPECT_EQ(body->getPertLevel(), 7);

  Module bare("B");
  EXPECT_THROW(bare.compile(), IllegalOperationException);
}

// ----- cleaning -----

TEST_F(ModuleFlowTest, UselessRegistersAreDroppedAndReduced) {
  m.addRegisterDecl("R", 0, "R_next");
  m.addRegisterDecl("K", 0, "K_next");
  m.addRegisterDecl("Z", 1, "Z_next");
  Signal* r = m.getLocalSignal("R");
  Signal* k = m.getLocalSignal("K");
  Signal* rn = m.getLocalSignal("R_next");
  Signal* kn = m.getLocalSignal("K_next");
  Signal* a = input("A");
  Signal* o = output("O");
  define(sid(rn), w->Bdd_zero(), Compilation::SREG);  // R never changes
  define(sid(kn), var(sid(a)), Compilation::SREG);    // K follows A
  // Z_next has no equation.
  define(sid(o), w->Bdd_and(var(sid(r)), var(sid(k))), Compilation::SOUTPUT);

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  m.suppress_useless_registers();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "detecting useless register R\n");
  std::string internal2 = "internal error 2 in Module::suppress_useless_registers() about index:" +
                          std::to_string(sid(m.getLocalSignal("Z_next")));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), internal2 + "\n");
  EXPECT_EQ(boxes, std::vector<std::string>{internal2});
  ASSERT_EQ(m.getRegisterList()->size(), 1u);
  EXPECT_EQ(m.getRegisterList()->front()->actual_var(), k);
  // R is false everywhere: O (kept as an output) became constant false.
  ASSERT_NE(eq(sid(o)), nullptr);
  EXPECT_EQ(eq(sid(o))->my_bdd_exp(), w->Bdd_zero());
}

TEST_F(ModuleFlowTest, CleanLocalsKeepsReadRegisterValuedAndClockSignals) {
  Signal* unread = local("U");
  Signal* read = local("R");
  Signal* valued = local("V");
  valued->setValueType("int", &m);
  Signal* clock = local("C");
  clock->is_clock = true;
  m.addRegisterDecl("Q", 0, "Q_next");
  Signal* o = output("O");
  define(sid(o), var(vid(read)), Compilation::SOUTPUT);
  m.clean_locals();
  std::list<Signal*>* l = m.getLocalSignalList();
  EXPECT_EQ(std::count(l->begin(), l->end(), unread), 0);
  EXPECT_EQ(std::count(l->begin(), l->end(), read), 1);
  EXPECT_EQ(std::count(l->begin(), l->end(), valued), 1);
  EXPECT_EQ(std::count(l->begin(), l->end(), clock), 1);
  EXPECT_NE(m.getLocalSignal("Q"), nullptr);
  EXPECT_NE(m.getLocalSignal("Q_next"), nullptr);
}

// ----- finalisation -----

TEST_F(ModuleFlowTest, FinalizeGivesDefaultsAndOneBootRegister) {
  input("A");
  Signal* o = output("O");
  Signal* silent = output("S");
  EmitBody* body = new EmitBody(&m, o);
  m.addBodyStatement(body);
  m.compile();
  long s_status = sid0(silent), s_value = vid0(silent);
  long a_status = sid0(m.getInputSignal("A")), a_value = vid0(m.getInputSignal("A"));
  m.finalize(0);
  EXPECT_EQ(m.getFinalised(), 1);
  // A present pure input reads true; the input's status variable takes its name.
  ASSERT_NE(eq(a_value), nullptr);
  EXPECT_EQ(eq(a_value)->my_bdd_exp(), w->Bdd_not(var(a_status)));
  EXPECT_EQ(w->Name_var_by_index(a_status), "A");
  // An output never emitted is absent and reads false (its unread constant value
  // equation may be cleaned away).
  ASSERT_NE(eq(s_status), nullptr);
  EXPECT_EQ(eq(s_status)->my_bdd_exp(), w->Bdd_zero());
  if (eq(s_value) != nullptr) {
    EXPECT_EQ(eq(s_value)->my_bdd_exp(), w->Bdd_one());
  }
  EXPECT_EQ(w->Name_var_by_index(s_status), "S");

  ASSERT_EQ(m.getRegisterList()->size(), 1u);
  regclass* boot = m.getRegisterList()->back();
  EXPECT_EQ(boot->actual_var()->getInternalName(), "boot");
  EXPECT_EQ(boot->next_var()->getInternalName(), "bootplus");
  EXPECT_EQ(boot->is_initialy_true(), 1);
  EXPECT_EQ(m.getLocalSignalList()->back()->getInternalName(), "bootplus");
  // Set follows boot; Reset is never raised.
  EXPECT_EQ(eq(sid(m.getSet()))->my_bdd_exp(), var(sid(boot->actual_var())));
  ASSERT_NE(eq(sid(m.getReset())), nullptr);  // read by the body's Reset wire
  EXPECT_EQ(eq(sid(m.getReset()))->my_bdd_exp(), w->Bdd_zero());
  EXPECT_GT(w->Nb_level(), 0);
  // No variable name keeps a leading underscore.
  for (long i = 0; i < w->Nb_bdd_vars(); ++i) EXPECT_NE(w->Name_var_by_index(i)[0], '_') << i;

  // Finalising again changes nothing.
  m.finalize(0);
  EXPECT_EQ(m.getRegisterList()->size(), 1u);
}

TEST_F(ModuleFlowTest, FinalizeKeepsTheRtlWireOnlyWhenAsked) {
  Module keep("K");
  for (Module* x : {&m, &keep}) {
    Signal* o = new Signal("O", x, x->getBddWood());
    o->is_output = true;
    x->addOutputSignal(o);
    EmitBody* body = new EmitBody(x, o);
    body->never_ends = true;
    x->addBodyStatement(body);
    x->compile();
  }
  m.finalize(0);
  keep.finalize(1);
  EXPECT_EQ(w->slot(m.getRtl()->getBddStatusId(&m, w)), nullptr);
  Bddexpressionwood* kw = keep.getBddWood();
  EXPECT_NE(kw->slot(keep.getRtl()->getBddStatusId(&keep, kw)), nullptr);
}

TEST_F(ModuleFlowTest, StatesOverKnowledgeAndUserTypes) {
  m.addRegisterDecl("R0", 0, "N0");
  m.addRegisterDecl("R1", 0, "N1");
  m.addRegisterDecl("R2", 0, "N2");
  bdd r0 = var(sid(m.getLocalSignal("R0")));
  bdd r1 = var(sid(m.getLocalSignal("R1")));
  bdd r2 = var(sid(m.getLocalSignal("R2")));
  EXPECT_EQ(m.associate_bdd_state(5), w->Bdd_and(w->Bdd_and(r0, w->Bdd_not(r1)), r2));
  EXPECT_EQ(m.associate_bdd_state(0), w->Bdd_and(w->Bdd_and(w->Bdd_not(r0), w->Bdd_not(r1)), w->Bdd_not(r2)));
  Module none("N");
  none.register_list = nullptr;
  EXPECT_EQ(none.associate_bdd_state(3), none.getBddWood()->Bdd_zero());

  // Over-knowledge: O carries the error value exactly when A is present.
  Signal* a = input("A");
  Signal* o = output("O");
  define(sid(o), var(sid(a)), Compilation::STAT);
  define(vid(o), var(sid(a)), Compilation::VAL);
  m.check_over_knowledge();
  Signal* error = m.getOutputSignalList()->back();
  EXPECT_EQ(error->getInternalName(), "OverKnowledgeError");
  EXPECT_TRUE(error->isOutput());
  EXPECT_EQ(eq(sid(error))->my_bdd_exp(), var(sid(a)));
  EXPECT_EQ(eq(vid(error))->my_bdd_exp(), w->Bdd_not(var(sid(a))));

  // A loaded module gets its output and register kinds back.
  Signal* n0 = m.getLocalSignal("N0");
  define(sid(n0), r1, Compilation::STAT);
  m.update_user_type();
  EXPECT_EQ(eq(sid(o))->getUserType(), Compilation::SOUTPUT);
  EXPECT_EQ(eq(vid(o))->getUserType(), Compilation::VOUTPUT);
  EXPECT_EQ(eq(sid(n0))->getUserType(), Compilation::SREG);

  // Exploring transitions leaves the module unchanged.
  bdd before = eq(sid(o))->my_bdd_exp();
  EXPECT_EQ(m.possible_transitions(w->Bdd_not(var(sid(a))), nullptr), 0);
  EXPECT_EQ(eq(sid(o))->my_bdd_exp(), before);
}

// ----- bindings -----

TEST_F(ModuleFlowTest, SignalBindingsNameTheirSignalsAndDateAfterWhatTheyRead) {
  Signal* x = input("X");
  x->setValueType("int", &m);
  DataExpr* e1 = new DataSignalValue(x);
  Signal* p0 = m.addSignalBinding(e1, "p");
  EXPECT_EQ(p0->getInternalName(), "IData_p0");
  EXPECT_TRUE(p0->isValue());
  EXPECT_EQ(p0->getValueType(&m), "int");
  EXPECT_EQ(m.getBinding("IData_p0")->getValue(), e1);
  // VALUE_SIGNAL abstract equations on both rails, reading X.
  for (long id : {sid(p0), vid(p0)}) {
    ASSERT_NE(eq(id), nullptr);
    EXPECT_EQ(eq(id)->getAbstraction(), 1);
    EXPECT_EQ(eq(id)->my_exp_def(), "VALUE_SIGNAL");
    EXPECT_EQ(eq(id)->set_of_var_dependances(), (std::set<long>{sid(x), vid(x)}));
  }

  Signal* k = local("K");
  DataValue* lit = new DataValue("3");
  lit->setType("int");
  Signal* clocked = m.addSignalBinding(lit, "v", k);
  EXPECT_EQ(clocked->getInternalName(), "KData_v1");
  EXPECT_TRUE(k->is_clock);
  EXPECT_EQ(eq(sid(clocked)), nullptr);  // no equation for the clocked form
  DataValue* lit2 = new DataValue("4");
  lit2->setType("int");
  EXPECT_EQ(m.addSignalBinding(lit2, "p")->getInternalName(), "IData_p2");
  // A literal reads nothing: its condition is still computed, dated from no variable.
  Signal* p2 = m.getBinding("IData_p2")->getSignal();
  for (long id : {sid(p2), vid(p2)}) {
    ASSERT_NE(eq(id), nullptr);
    EXPECT_EQ(eq(id)->my_exp_def(), "VALUE_SIGNAL");
    EXPECT_EQ(eq(id)->set_of_var_dependances(), std::set<long>());
  }

  std::unique_ptr<std::list<Signal*>> bound(m.getSignalBindingByClock(k));
  ASSERT_NE(bound, nullptr);
  EXPECT_EQ(*bound, std::list<Signal*>{clocked});
  std::unique_ptr<std::list<DataBinding*>> by_clock(m.getDataBindingByClock(k));
  ASSERT_NE(by_clock, nullptr);
  EXPECT_EQ(by_clock->size(), 1u);
  EXPECT_EQ(m.getDataBindingByClock(x), nullptr);

  // Replacing and removing entries.
  DataBinding* again = new DataBinding(p0, lit);
  m.addBinding(again);
  EXPECT_EQ(m.getBinding("IData_p0"), again);
  m.removeBinding("IData_p0");
  EXPECT_EQ(m.getBinding("IData_p0"), nullptr);
  Module no_table("T");
  EXPECT_EQ(no_table.getBinding("x"), nullptr);
  EXPECT_EQ(no_table.getSignalBindingByClock(k), nullptr);
  EXPECT_EQ(no_table.getDataBindingByClock(k), nullptr);
}

TEST_F(ModuleFlowTest, RunDeclarations) {
  EXPECT_EQ(m.getModuleLocation("sub"), nullptr);
  m.addRunDecl("sub", "m.jxc", "lib");
  ASSERT_NE(m.getModuleLocation("sub"), nullptr);
  EXPECT_EQ(*m.getModuleLocation("sub"), "lib/m.jxc");
  try {
    m.addRunDecl("sub", "other.jxc", "x");
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Run module already exists: ");
    EXPECT_STREQ(e.argument_name(), "sub");
  }
  EXPECT_EQ(*m.getModuleLocation("sub"), "lib/m.jxc");
}

// ----- inclusion and copy -----

namespace {

// A compiled sub-module: input I, output O at occurrence 2, local L, register R, a
// binding of L reading I, and O := I.
Module* make_sub() {
  Module* sub = new Module("Sub");
  Bddexpressionwood* sw = sub->getBddWood();
  Signal* i = new Signal("I", sub, sw);
  i->is_input = true;
  i->setValueType("int", sub);
  sub->addInputSignal(i);
  Signal* o = new Signal("O", sub, sw);
  o->is_output = true;
  sub->addOutputSignal(o);
  Signal* l = new Signal("L", sub, sw);
  l->is_local = true;
  l->setValueType("int", sub);
  sub->addLocalSignal(l);
  sub->addRegisterDecl("R", 1, "R_next");
  sub->createCompileEnv();
  o->newOccurrence(sw, sub);
  Bddexpression* e = new Bddexpression("O", sw, o->getBddStatus(sub, sw), i->getBddStatus(sub, sw), 0, 0,
                                       Compilation::STAT);
  (void)e;
  sub->addSignalBinding(new DataSignalValue(i), l);
  sub->setReincarnate(true);
  return sub;
}

}  // namespace

TEST_F(ModuleFlowTest, IncludeRenamesEverySignalIntoTheInterface) {
  std::unique_ptr<Module> sub(make_sub());
  Interface in;
  m.includeCompiledModule(sub.get(), &in, "@1", w);
  Signal* i = in.getInputSignal("I");
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->getInternalName(), "I@1");
  EXPECT_TRUE(i->is_local);
  EXPECT_FALSE(i->is_input);
  EXPECT_TRUE(i->isValued(&m));
  // The output's occurrences 2 and 1 and its own copy.
  EXPECT_NE(m.getLocalSignal("O_2@1"), nullptr);
  EXPECT_NE(m.getLocalSignal("O_1@1"), nullptr);
  EXPECT_EQ(in.getOutputSignal("O"), m.getLocalSignal("O@1"));
  EXPECT_EQ(in.getLocalSignal("L"), m.getLocalSignal("L@1"));
  EXPECT_NE(m.getLocalSignal("SETSub@1"), nullptr);
  EXPECT_NE(m.getLocalSignal("RTLSub@1"), nullptr);
  ASSERT_EQ(m.getRegisterList()->size(), 1u);
  regclass* r = m.getRegisterList()->front();
  EXPECT_EQ(r->actual_var(), m.getLocalSignal("R@1"));
  EXPECT_EQ(r->next_var(), m.getLocalSignal("R_next@1"));
  EXPECT_EQ(r->is_initialy_true(), 1);
  EXPECT_TRUE(r->actual_var()->is_register);
  ASSERT_NE(in.getRegisterList(), nullptr);
  EXPECT_EQ(in.getRegisterList()->front(), r);
  EXPECT_TRUE(m.getReincarnate());
  // Equations come under the instance's names; the binding is instantiated.
  long o2 = w->Index_var_by_name("_s_O_2@1");
  ASSERT_GE(o2, 0);
  ASSERT_NE(eq(o2), nullptr);
  EXPECT_EQ(eq(o2)->my_bdd_exp(), var(w->Index_var_by_name("_s_I@1")));
  DataBinding* b = m.getBinding("L@1");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->getSignal(), m.getLocalSignal("L@1"));

  // The same instance twice into one interface.
  EXPECT_THROW(m.includeCompiledModule(sub.get(), &in, "@2", w), IllegalOperationException);
}

TEST_F(ModuleFlowTest, IncludeReportsAMissingRegisterSignal) {
  std::unique_ptr<Module> sub(make_sub());
  // A register over signals that are not locals of the sub-module.
  Signal* c = new Signal("Ghost", sub.get(), sub->getBddWood());
  sub->addRegisterSignal(c, c, 0);
  Interface in;
  try {
    m.includeCompiledModule(sub.get(), &in, "@1", w);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Module::includeCompiledModule: register signal not found");
    EXPECT_STREQ(e.argument_name(), "Ghost@1");
  }
}

TEST_F(ModuleFlowTest, CopyHasItsOwnSystemSignalsAndRegisters) {
  std::unique_ptr<Module> sub(make_sub());
  Module copy(*sub);
  EXPECT_EQ(copy.getName(), "Sub");
  EXPECT_TRUE(copy.getReincarnate());
  Bddexpressionwood* cw = copy.getBddWood();
  ASSERT_NE(cw, sub->getBddWood());
  EXPECT_NE(cw->my_bdd_manager(), sub->getBddWood()->my_bdd_manager());
  EXPECT_EQ(cw->exp_number(), sub->getBddWood()->exp_number());
  ASSERT_EQ(copy.getRegisterList()->size(), 1u);
  regclass* r = copy.getRegisterList()->front();
  EXPECT_EQ(r->actual_var(), copy.getLocalSignal("R"));
  EXPECT_NE(r->actual_var(), sub->getLocalSignal("R"));
  EXPECT_NE(copy.getSet(), sub->getSet());
  EXPECT_TRUE(copy.getSet()->is_wire);
  ASSERT_NE(copy.getBinding("L"), nullptr);
  EXPECT_EQ(copy.getBinding("L")->getSignal(), copy.getLocalSignal("L"));
}
