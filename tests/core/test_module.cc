#include "module.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <list>
#include <sstream>

#include "Bddexpression.h"
#include "equationtable.h"
#include "interface.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"

namespace {

// An input whose internal name differs from its original one (an instance's input).
Signal* input(Module* m, const std::string& original, const std::string& internal) {
  Signal* s = new Signal(original, internal, m, m->getBddWood());
  s->is_input = true;
  m->addInputSignal(s);
  return s;
}

}  // namespace

TEST(Regclass, EqualityAndPrinting) {
  Module m("R");
  Signal* r = add_local(&m, "R");
  Signal* next = add_local(&m, "R_next");
  EXPECT_TRUE(regclass(r, next, 0) == regclass(r, next, 0));
  EXPECT_TRUE(regclass(r, next, 0) != regclass(r, next, 1));
  EXPECT_TRUE(regclass(r, next, 0) != regclass(next, r, 0));
  std::ostringstream full, no_next, none;
  full << regclass(r, next, 1);
  EXPECT_EQ(full.str(), "R_next R 1");
  no_next << regclass(r, nullptr, 0);
  EXPECT_EQ(no_next.str(), "? R 0");
  none << regclass(nullptr, nullptr, 7);
  EXPECT_EQ(none.str(), "? ? 1");
}

TEST(MyGetenv, UnsetEmptyAndSet) {
  const char* name = "ZARIM_TEST_VARIABLE";
  unsetenv(name);
  EXPECT_EQ(my_getenv(name), "./");
  setenv(name, "", 1);
  EXPECT_EQ(my_getenv(name), "");
  setenv(name, "/var/sim", 1);
  EXPECT_EQ(my_getenv(name), "/var/sim");
  unsetenv(name);
  EXPECT_EQ(my_getenv(nullptr), "./");
  EXPECT_EQ(Module::SimulationDir, my_getenv("/tmp"));
}

TEST(Module, ConstructionByName) {
  Module m("Top");
  ASSERT_NE(m.getBddWood(), nullptr);
  EXPECT_EQ(m.getEquationTable()->getModuleName(), "Top");
  EXPECT_TRUE(m.getRegisterList()->empty());
  EXPECT_TRUE(m.getLocalStack()->empty());
  EXPECT_EQ(m.getCurrentInstance(), -1);
  m.incrCurrentInstance();
  EXPECT_EQ(m.getCurrentInstance(), 0);
}

TEST(Module, DestructorForgetsItsSystemInSignals) {
  Module* m = new Module("Gone");
  Signal* s = add_local(m, "S");
  Bddexpressionwood* w = m->getBddWood();
  ASSERT_EQ(s->occurrence_table->count(w), 1u);
  delete m;
  EXPECT_EQ(s->occurrence_table->count(w), 0u);
}

TEST(Module, SignalLookups) {
  Module m("M");
  Signal* in = input(&m, "I", "I_inst");
  Signal* out = add_output(&m, "O");
  Signal* dup_local = add_local(&m, "O");  // a local of the output's name
  Signal* shadow = add_local(&m, "I");      // a local named as the input's original name
  Signal* data = new Signal("D", &m, m.getBddWood());
  m.addDataSignal(data);

  EXPECT_EQ(m.getInputSignal("I"), in);
  EXPECT_EQ(m.getInputSignal("I_inst"), nullptr);
  EXPECT_EQ(m.getSignalFromInternalName("I_inst"), in);
  EXPECT_EQ(m.getSignalFromInternalName("I"), shadow);
  EXPECT_EQ(m.getSignal("I"), in);
  EXPECT_EQ(m.getSignal("O"), out);
  EXPECT_EQ(m.getLocalSignal("O"), dup_local);
  EXPECT_EQ(m.getSignal("D"), data);
  EXPECT_EQ(m.getDataSignal("D"), data);
  EXPECT_EQ(m.getSignal("nothing"), nullptr);
  EXPECT_EQ(m.getSignal("O "), nullptr);
}

TEST(Module, RenamedAndStackLookups) {
  Module m("M");
  Signal* in = input(&m, "X", "X");
  Signal* out = add_output(&m, "Y");
  Signal* inner = new Signal("X", "X_Lo_1", &m, m.getBddWood());
  Signal* outer = new Signal("Z", "Z_Lo_0", &m, m.getBddWood());
  Signal* outer_x = new Signal("X", "X_Lo_0", &m, m.getBddWood());
  std::list<Signal*> inner_signals = {inner};
  std::list<Signal*> outer_signals = {outer, outer_x};
  Local inner_scope("Lo_1", &m, &inner_signals, nullptr);
  Local outer_scope("Lo_0", &m, &outer_signals, nullptr);
  std::list<Local*> scopes = {&inner_scope, &outer_scope};

  EXPECT_EQ(m.getRenamedSignal("X", &scopes), inner);
  EXPECT_EQ(m.getRenamedSignal("Z", &scopes), outer);
  EXPECT_EQ(m.getRenamedSignal("X_Lo_1", &scopes), nullptr);
  EXPECT_EQ(m.getRenamedSignal("X", nullptr), nullptr);
  EXPECT_EQ(m.getInputRenamedSignal("X", &scopes), inner);
  std::list<Local*> none;
  EXPECT_EQ(m.getInputRenamedSignal("X", &none), in);
  EXPECT_EQ(m.getOutputRenamedSignal("X", &none), nullptr);
  EXPECT_EQ(m.getOutputRenamedSignal("Y", &scopes), out);
  EXPECT_EQ(m.getValuedRenamedSignal("Y", &none), out);
  EXPECT_EQ(m.getValuedRenamedSignal("X", &none), in);

  EXPECT_EQ(m.getStackLocalSignal("X"), nullptr);
  Module::Scope front = {{"X", inner}}, back = {{"X", outer_x}, {"Z", outer}};
  m.getLocalStack()->push_back(&front);
  m.getLocalStack()->push_back(&back);
  EXPECT_EQ(m.getStackLocalSignal("X"), inner);
  EXPECT_EQ(m.getStackLocalSignal("Z"), outer);
  EXPECT_EQ(m.getStackLocalSignal("Y"), nullptr);
  m.getLocalStack()->clear();
  m.setLocalStack(nullptr);
  EXPECT_EQ(m.getStackLocalSignal("X"), nullptr);
}

TEST(Module, LookupsById) {
  Module m("M");
  Bddexpressionwood* w = m.getBddWood();
  Signal* a = input(&m, "A", "A");
  Signal* renamed = input(&m, "B", "B_i");
  Signal* o = add_output(&m, "O");
  o->newOccurrence(w, &m);

  long sid = a->getBddStatusId(&m, w), vid = a->getBddValueId(&m, w);
  EXPECT_EQ(m.getOtherBddId(sid, w), vid);
  EXPECT_EQ(m.getOtherBddId(vid, w), sid);
  EXPECT_EQ(m.getSignalById(sid, w), a);
  EXPECT_EQ(m.getSignalNameById(vid, w), "A");
  // A renamed input is found through its internal name.
  EXPECT_EQ(m.getSignalById(renamed->getBddStatusId(&m, w), w), renamed);
  long o1 = o->getBddStatusId(&m, w);
  EXPECT_EQ(m.getSignalNameById(o1, w), "O_1");
  EXPECT_EQ(m.getSignalById(o1, w), o);

  EXPECT_EQ(m.getSignalById(999, w), nullptr);
  EXPECT_EQ(m.getSignalById(-1, w), nullptr);
  try {
    m.getSignalNameById(999, w);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Module::getSignalNameById: no signal reference for this bdd id");
    EXPECT_STREQ(e.argument_name(), "999");
  }
  try {
    m.getOtherBddId(-3, w);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Module::getOtherBddId: no signal in table for this bdd id:");
    EXPECT_STREQ(e.argument_name(), "-3");
  }
}

TEST(Module, AddLocalSignalKeepsOneEntryPerInternalName) {
  Module m("M");
  Signal* a1 = new Signal("A", &m, m.getBddWood());
  Signal* b = new Signal("B", &m, m.getBddWood());
  Signal* a2 = new Signal("A", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(a1);
  m.getLocalSignalList()->push_back(b);
  m.getLocalSignalList()->push_back(a1);
  Signal* a3 = new Signal("A", &m, m.getBddWood());
  m.addLocalSignal(a3);
  EXPECT_EQ(*m.getLocalSignalList(), (std::list<Signal*>{b, a3}));
  m.addLocalSignal(b);  // a re-declared local moves to the end
  EXPECT_EQ(*m.getLocalSignalList(), (std::list<Signal*>{a3, b}));
  (void)a2;
}

// Finding and adding locals while the list is also appended to, filtered and replaced
// directly, as the compile steps and the readers do.
TEST(LocalIndex, LookUpsFollowEveryChangeOfTheList) {
  Module m("top");
  Signal* a = add_local(&m, "A");
  Signal* b = add_local(&m, "B");
  EXPECT_EQ(m.getLocalSignal("A"), a);
  // Appended directly, then found.
  Signal* c = new Signal("C", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(c);
  EXPECT_EQ(m.getLocalSignal("C"), c);
  // Filtered to the same length after a direct append: the filtered-out one is gone.
  Signal* d = new Signal("D", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(d);
  *m.getLocalSignalList() = std::list<Signal*>{b, c, d};
  EXPECT_EQ(m.getLocalSignal("A"), nullptr);
  EXPECT_EQ(m.getLocalSignal("D"), d);
  // Adding a local of a known name replaces it; the first of a name wins among direct ones.
  Signal* b2 = new Signal("B", "B", &m, m.getBddWood());
  m.addLocalSignal(b2);
  EXPECT_EQ(m.getLocalSignal("B"), b2);
  EXPECT_EQ(m.getLocalSignalList()->size(), 3u);
  Signal* d2 = new Signal("D", "D", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(d2);
  EXPECT_EQ(m.getLocalSignal("D"), d);
  // Replaced wholesale by another list of the same length.
  std::list<Signal*> other{a, a, a, a};
  m.getLocalSignalList()->swap(other);
  EXPECT_EQ(m.getLocalSignal("A"), a);
  EXPECT_EQ(m.getLocalSignal("C"), nullptr);
  m.local_signal_list = nullptr;
  EXPECT_EQ(m.getLocalSignal("A"), nullptr);
}

TEST(Module, Registers) {
  Module m("M");
  m.addRegisterDecl("R", 1, "R_next");
  Signal* r = m.getLocalSignal("R");
  Signal* next = m.getLocalSignal("R_next");
  ASSERT_NE(r, nullptr);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(*m.getLocalSignalList(), (std::list<Signal*>{r, next}));
  for (Signal* s : {r, next}) {
    EXPECT_TRUE(s->is_local);
    EXPECT_TRUE(s->is_wire);
    EXPECT_TRUE(s->is_register);
    EXPECT_FALSE(s->is_input);
    EXPECT_FALSE(s->is_output);
  }
  ASSERT_EQ(m.getRegisterList()->size(), 1u);
  EXPECT_TRUE(*m.getRegisterList()->front() == regclass(r, next, 1));

  m.register_list = nullptr;
  m.addRegisterSignal(next, r);
  ASSERT_NE(m.getRegisterList(), nullptr);
  EXPECT_TRUE(*m.getRegisterList()->back() == regclass(next, r, 0));
  regclass* given = new regclass(r, r, 1);
  m.addRegisterSignal(given);
  EXPECT_EQ(m.getRegisterList()->back(), given);
  EXPECT_EQ(m.getRegisterList()->size(), 2u);
}

TEST(Module, GenerateName) {
  Module m("Top");
  int counter = 4;
  EXPECT_EQ(m.generateName("PS", counter), "TopPS_4");
  EXPECT_EQ(counter, 5);
  EXPECT_EQ(m.generateName(nullptr, counter), "Top");
  EXPECT_EQ(counter, 6);
  int first = 0;
  EXPECT_EQ(m.generateName("PS", first), "TopPS_0");
  int last = 2147483647;
  EXPECT_EQ(m.generateName("", last), "Top_2147483647");
  EXPECT_EQ(last, -2147483647 - 1);
}

TEST(Module, ConstructionFromReaderLists) {
  Module source("Src");
  Bddexpressionwood* w = new Bddexpressionwood();
  Signal* set = new Signal("SET", &source, w);
  Signal* reset = new Signal("RESET", &source, w);
  Signal* rtl = new Signal("RTL", &source, w);
  Signal* r = new Signal("R", &source, w);
  Signal* next = new Signal("R_next", &source, w);
  auto* inputs = new std::list<Signal*>;
  auto* outputs = new std::list<Signal*>;
  auto* locals = new std::list<Signal*>{r, next};
  auto* data = new std::list<Signal*>;
  auto* registers = new std::list<regclass*>{new regclass(r, next, 1)};
  std::list<Signal*> wires = {set, reset, rtl};

  Module m("Read", inputs, outputs, locals, data, registers, &wires, w);
  EXPECT_EQ(m.getInputSignalList(), inputs);
  EXPECT_EQ(m.getLocalSignalList(), locals);
  EXPECT_EQ(m.getRegisterList(), registers);
  EXPECT_EQ(m.getSet(), set);
  EXPECT_EQ(m.getReset(), reset);
  EXPECT_EQ(m.getRtl(), rtl);
  EXPECT_EQ(m.getBddWood(), w);
  EXPECT_EQ(m.getEquationTable()->getModuleName(), "Read");
  EXPECT_EQ(m.getCurrentInstance(), 0);
  EXPECT_EQ(m.getLocalStack(), nullptr);
  EXPECT_NE(m.getSignalManager(), nullptr);
  for (Signal* s : {r, next}) {
    EXPECT_TRUE(s->is_wire);
    EXPECT_TRUE(s->is_register);
  }
}

TEST(Module, ConstructionFromReaderListsRejectsBadInput) {
  Module source("Src");
  Bddexpressionwood* w = source.getBddWood();
  Signal* s = new Signal("S", &source, w);
  std::list<Signal*> two = {s, s};
  std::list<Signal*> three = {s, s, s};
  auto attempt = [&](std::list<regclass*>* registers, std::list<Signal*>* wires) {
    Module m("Bad", new std::list<Signal*>, new std::list<Signal*>, new std::list<Signal*>,
             new std::list<Signal*>, registers, wires, nullptr);
  };
  EXPECT_THROW(attempt(nullptr, &two), IllegalOperationException);
  EXPECT_THROW(attempt(nullptr, nullptr), IllegalOperationException);
  try {
    attempt(new std::list<regclass*>{new regclass(nullptr, s, 0)}, &three);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Register not declared local! ");
    EXPECT_STREQ(e.argument_name(), "");
  }
  try {
    attempt(new std::list<regclass*>{new regclass(s, nullptr, 0)}, &three);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Register not declared local: ");
    EXPECT_STREQ(e.argument_name(), "");
  }
}

TEST(ModuleTable, AddByModuleName) {
  Module a("A"), other("A");
  ModuleTable t;
  t.add(&a);
  EXPECT_EQ(t.get("A"), &a);
  try {
    t.add(&other);
    ADD_FAILURE() << "no exception";
  } catch (const HashTableAddException& e) {
    EXPECT_STREQ(e.name(), "A");
    EXPECT_EQ(e.function_name(), nullptr);
  }
  EXPECT_EQ(t.get("A"), &a);
}

TEST(Interface, InsertionsAndDuplicates) {
  Module m("M");
  Signal* s = new Signal("S", &m, m.getBddWood());
  Signal* t = new Signal("T", &m, m.getBddWood());
  Interface itf;
  EXPECT_EQ(itf.getRegisterList(), nullptr);
  itf.addInput("S", s);
  itf.addOutput("S", t);  // each table has its own names
  itf.addLocal("S", s);
  itf.addData("S", t);
  EXPECT_EQ(itf.getInputSignal("S"), s);
  EXPECT_EQ(itf.getOutputSignal("S"), t);
  EXPECT_EQ(itf.getLocalSignal("S"), s);
  EXPECT_EQ(itf.getDataSignal("S"), t);
  EXPECT_EQ(itf.getInputSignal("T"), nullptr);

  struct Case {
    void (Interface::*add)(const std::string&, Signal*);
    const char* text;
  } cases[] = {{&Interface::addInput, "Interface::addInput"},
               {&Interface::addOutput, "Interface::addOutput"},
               {&Interface::addLocal, "Interface::addLocal"},
               {&Interface::addData, "Interface::addLocal"}};
  for (const Case& c : cases) {
    try {
      (itf.*c.add)("S", t);
      ADD_FAILURE() << c.text;
    } catch (const IllegalOperationException& e) {
      EXPECT_STREQ(e.operation_name(), c.text);
      EXPECT_STREQ(e.argument_name(), "S");
    }
  }
  EXPECT_EQ(itf.getInputSignal("S"), s);  // unchanged

  regclass r(s, t, 0);
  itf.addRegister(&r);
  ASSERT_NE(itf.getRegisterList(), nullptr);
  EXPECT_EQ(itf.getRegisterList()->front(), &r);
}

TEST(Statement, ConnectExternalWires) {
  Module m("M");
  Bddexpressionwood* w = m.getBddWood();
  auto wire = [&](const std::string& name) {
    Signal* s = new Signal(name, &m, w);
    s->is_wire = true;
    return s;
  };
  m.setSet(wire("SETM"));
  m.setReset(wire("RESETM"));
  m.setRtl(wire("RTLM"));
  Statement body("MPS_0", &m);
  EXPECT_EQ(body.getPertLevel(), 0);
  EXPECT_TRUE(body.reincarnate());
  try {
    body.connectExternalWires(&m);
    ADD_FAILURE() << "no exception";
  } catch (const StatementWireException& e) {
    EXPECT_STREQ(e.wire_type(), "set");
  }
  body.setSet(wire("SETb"));
  body.setReset(wire("RESETb"));
  try {
    body.connectExternalWires(&m);
    ADD_FAILURE() << "no exception";
  } catch (const StatementWireException& e) {
    EXPECT_STREQ(e.wire_type(), "rtl");
  }
  EXPECT_EQ(w->exp_number(), 0);  // nothing made before the check

  body.setRtl(wire("RTLb"));
  body.connectExternalWires(&m);
  EXPECT_EQ(w->exp_number(), 6);
  auto defined_as = [&](Signal* s, Signal* by) {
    Bddexpression* st = w->slot(s->getBddStatusId(&m, w));
    Bddexpression* va = w->slot(s->getBddValueId(&m, w));
    ASSERT_NE(st, nullptr);
    ASSERT_NE(va, nullptr);
    EXPECT_EQ(st->my_bdd_exp(), by->getBddStatus(&m, w));
    EXPECT_EQ(va->my_bdd_exp(), w->Bdd_not(s->getBddStatus(&m, w)));  // a wire
  };
  defined_as(body.getSet(), m.getSet());
  defined_as(body.getReset(), m.getReset());
  defined_as(m.getRtl(), body.getRtl());
}

TEST(Statement, ConnectToModuleWithoutWiresThrows) {
  Module m("M");
  Statement body("b", &m);
  body.setSet(new Signal("S1", &m, m.getBddWood()));
  body.setReset(new Signal("S2", &m, m.getBddWood()));
  body.setRtl(new Signal("S3", &m, m.getBddWood()));
  EXPECT_THROW(body.connectExternalWires(&m), IllegalOperationException);
}
