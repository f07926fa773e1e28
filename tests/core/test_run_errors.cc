// The error paths of Run and of local scopes: exceptions with their exact texts, and the
// process exits of valued signals without bindings.
#include <gtest/gtest.h>

#include <iostream>
#include <list>
#include <memory>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "sexception.h"
#include "source_modules.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "statement_time.h"

namespace {

// M: input A, output B, body pause >> emit B.
Module* callee(SourceModules& sources, const std::string& name = "M") {
  Module* k = sources.add(name);
  add_input(k, "A");
  Signal* b = add_output(k, "B");
  k->addBodyStatement(new Sequence(name + "Q", k, new Pause(name + "PS", k), new Emit(name + "E", k, b)));
  return k;
}

// The run's compilation as the root of the harness's module.
void compileRun(ReactionHarness& h, ::Run* r) { h.compile(r); }

::Run* run(ReactionHarness& h, const std::string& called, const ::Run::Renamings& renamings = {}) {
  ::Run* r = new ::Run(h.name("R"), h.module(), called);
  r->setRenamingTable(&renamings);
  return r;
}

template <class F>
void expectIllegal(F f, const std::string& operation, const std::string& argument) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected " << operation;
  } catch (const IllegalOperationException& e) {
    EXPECT_EQ(std::string(e.operation_name()), operation);
    EXPECT_EQ(std::string(e.argument_name()), argument);
  }
}

}  // namespace

TEST(RunErrors, SignalsThatCannotBeBoundAreReported) {
  struct Case {
    bool rename_input_by_output, rename_output_by_input, caller_input, caller_output;
    const char* message;
    const char* signal;
  } cases[] = {
      {true, false, true, true, "output signal renames an input signal", "O"},
      {false, false, false, true, "not input expected", "A"},
      {false, true, true, true, "input signal renames an output signal", "I"},
      {false, false, true, false, "not ouput expected", "B"},
  };
  for (const Case& c : cases) {
    SourceModules sources;
    callee(sources);
    ReactionHarness h;
    Signal* i = c.caller_input ? h.input("A") : nullptr;
    Signal* i2 = h.input("I");
    Signal* o = c.caller_output ? h.output("B") : nullptr;
    Signal* o2 = h.output("O");
    (void)i;
    (void)o;
    ::Run::Renamings renamings;
    if (c.rename_input_by_output) renamings.push_back({"A", o2});
    if (c.rename_output_by_input) renamings.push_back({"B", i2});
    try {
      compileRun(h, run(h, "M", renamings));
      ADD_FAILURE() << c.message;
    } catch (const RunUnknownSignalException& e) {
      EXPECT_STREQ(e.mes(), c.message);
      EXPECT_STREQ(e.sig_name(), c.signal);
    }
  }
}

TEST(RunErrors, AFormalGivenTwiceIsRefused) {
  ReactionHarness h;
  Signal* i = h.input("I");
  Signal* j = h.input("J");
  ::Run r("R", h.module(), "M");
  std::map<std::string, Signal*>* before = r.renaming_table;
  ::Run::Renamings twice{{"A", i}, {"B", j}, {"A", j}};
  try {
    r.setRenamingTable(&twice);
    ADD_FAILURE();
  } catch (const HashTableAddException& e) {
    EXPECT_NE(std::string(e.what()).find("A"), std::string::npos);
  }
  EXPECT_EQ(r.renaming_table, before);
  r.setRenamingTable(nullptr);
  EXPECT_EQ(r.renaming_table, before);
  ::Run::Renamings once{{"A", i}, {"B", j}};
  r.setRenamingTable(&once);
  EXPECT_EQ(r.getRenamingSignal("B"), j);
  EXPECT_EQ(r.getRenamingSignal("C"), nullptr);
}

TEST(RunErrors, CalledModulesThatCannotBeFoundAreReported) {
  std::list<std::string>* saved = Module::CompilationFileList;
  std::list<std::string> none;
  Module::CompilationFileList = &none;
  {
    ReactionHarness h;
    expectIllegal([&] { compileRun(h, run(h, "Nowhere")); }, "Run: called module  not defined in file", "Nowhere");
  }
  {
    ReactionHarness h;
    h.module()->addRunDecl("Nowhere", "nowhere.jxc", "/nonexistent");
    expectIllegal([&] { compileRun(h, run(h, "Nowhere")); },
                  "Run: compiled called module declared but not provided: ", "Nowhere");
  }
  // A compiled and a source module of one name.
  ScratchDir dir;
  SourceModules sources;
  {
    Module n("Both");
    add_input(&n, "A");
    Signal* b = add_output(&n, "B");
    n.addBodyStatement(new Emit("BothE", &n, b));
    n.compile();
    n.finalize(0);
    write_file(dir.path + "/Both.jxc", jxc_text(n));
  }
  callee(sources, "Both");
  std::list<std::string> files{dir.path + "/Both.jxc"};
  Module::CompilationFileList = &files;
  {
    ReactionHarness h;
    h.input("A");
    h.output("B");
    h.module()->addRunDecl("Both", "Both.jxc", dir.path);
    testing::internal::CaptureStderr();
    expectIllegal([&] { compileRun(h, run(h, "Both")); }, "Run: ambiguous called module: ", "Both");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("***error:Run  module:Both  not set\n"), std::string::npos);
  }
  Module::CompilationFileList = saved;
}

TEST(RunErrors, RecursiveRunsAreRefused) {
  // M runs M; P runs Q runs P.
  SourceModules sources;
  Module* m = sources.add("Self");
  m->addBodyStatement(new ::Run("SelfR", m, "Self"));
  expectIllegal([&] { m->compile(); }, "Run: recursive module call: ", "Self");
  EXPECT_FALSE(m->compiling);
  Module* p = sources.add("P");
  Module* q = sources.add("Q");
  p->addBodyStatement(new ::Run("PR", p, "Q"));
  q->addBodyStatement(new ::Run("QR", q, "P"));
  expectIllegal([&] { p->compile(); }, "Run: recursive module call: ", "P");
  // Asked whether it can restart, a loop around a recursive Run does not recurse for ever.
  Module* l = sources.add("Looped");
  ::Run* inner = new ::Run("LR", l, "Looped");
  l->addBodyStatement(new Loop("LL", l, inner));
  expectIllegal([&] { inner->reincarnate(); }, "Run: recursive module call: ", "Looped");
}

TEST(RunErrors, ReincarnateFollowsItsLookUpChain) {
  SourceModules sources;
  callee(sources, "Known");
  std::list<std::string>* saved = Module::CompilationFileList;
  std::list<std::string> none;
  Module::CompilationFileList = &none;
  ReactionHarness h;
  // A source module answers with its body (pause >> emit: false).
  EXPECT_FALSE(run(h, "Known")->reincarnate());
  // No run declarations at all, then declarations without this module.
  expectIllegal([&] { run(h, "Unknown")->reincarnate(); }, "ex1:Run module undefined: ", "Unknown");
  ScratchDir dir;
  h.module()->addRunDecl("Other", "other", dir.path);
  expectIllegal([&] { run(h, "Unknown")->reincarnate(); }, "ex2:Run module undefined: ", "Unknown");
  // A declared source file that does not define the module.
  write_file(dir.path + "/elsewhere.jx", "module Elsewhere:\nInput: I;\nOutput: O;\nnothing\nend\n");
  h.module()->addRunDecl("Unknown", "elsewhere", dir.path);
  expectIllegal([&] { run(h, "Unknown")->reincarnate(); }, "ex2:Run module undefined: ", "Unknown");
  sources.forget("Elsewhere");
  Module::CompilationFileList = saved;
}

TEST(LocalErrors, ScopedSignalsWithoutOccurrenceOrBindingAreReported) {
  ReactionHarness h;
  Module* m = h.module();
  // A signal of another equation system has no occurrence in the module's.
  Bddexpressionwood other;
  Signal* stray = new Signal("Stray", m, &other);
  stray->is_local = true;
  std::list<Signal*> strays{stray};
  Local lo("Lo", m, &strays, new Nothing("N", m));
  expectIllegal([&] { lo.compile(m, m->getEquationTable()); }, "Local:pushSignals: undefined signal", "Stray");
  EXPECT_TRUE(m->getLocalStack() == nullptr || m->getLocalStack()->empty());
}

TEST(RunBindings, ValuedSignalsNeverEmittedCompile) {
  // A valued local never emitted, with and without a data table.
  for (bool with_table : {false, true}) {
    ReactionHarness h;
    Module* m = h.module();
    Signal* s = h.local("S");
    s->setValueType("int", m);
    if (with_table) m->addSignalBinding(new DataSignalValue(s), h.local("V"));
    std::list<Signal*> scoped{s};
    h.compile(new Local("Lo", m, &scoped, new Nothing("N", m)));
    EXPECT_EQ(s->getCurrentOccurrence(m->getBddWood()), 1);
  }
  // A called module's valued output that it never emits: the caller's output takes its
  // presence (B after a pause) and no value.
  SourceModules sources;
  Module* k = callee(sources);
  k->getOutputSignal("B")->setValueType("int", k);
  ReactionHarness h;
  h.input("A");
  h.output("B")->setValueType("int", h.module());
  h.build(run(h, "M"));
  EXPECT_EQ(h.run({"", "", ""}), (Trace{"B=B", "B=T", "B=B"}));
}

TEST(RunBindings, ValuedSignalsCarryTheirBindingsAcross) {
  // M: A: int, B: int, B's value bound to A's (clocked by B). The caller's I: int feeds
  // A: a binding of I's value clocked by the included A; the included B's binding
  // becomes one clocked by the caller's O, its signal defined by the included one.
  SourceModules sources;
  Module* k = callee(sources);
  Signal* ka = k->getInputSignal("A");
  Signal* kb = k->getOutputSignal("B");
  ka->setValueType("int", k);
  kb->setValueType("int", k);
  Signal* bound = k->addSignalBinding(new DataSignalValue(ka), "", kb);
  bound->is_local = true;
  k->addLocalSignal(bound);
  ReactionHarness h;
  Module* m = h.module();
  Signal* i = h.input("I");
  i->setValueType("int", m);
  Signal* o = h.output("O");
  o->setValueType("int", m);
  compileRun(h, run(h, "M", {{"A", i}, {"B", o}}));
  Signal* x = m->getLocalSignal("A@M_i1");
  ASSERT_NE(x, nullptr);
  std::unique_ptr<std::list<DataBinding*>> by_a(m->getDataBindingByClock(x));
  ASSERT_NE(by_a, nullptr);
  ASSERT_EQ(by_a->size(), 1u);
  Signal* y = by_a->front()->getSignal();
  EXPECT_TRUE(y->is_local);
  EXPECT_FALSE(y->is_input || y->is_output);
  EXPECT_EQ(m->getLocalSignal(y->getInternalName()), y);
  Bddexpressionwood* w = h.wood();
  Bddexpression* e = w->slot(y->getBddStatusId(m, w));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->my_bdd_exp(), i->getBddStatus(m, w));
  std::unique_ptr<std::list<DataBinding*>> by_o(m->getDataBindingByClock(o));
  ASSERT_NE(by_o, nullptr);
  ASSERT_EQ(by_o->size(), 1u);
  EXPECT_TRUE(by_o->front()->getSignal()->is_local);
}
