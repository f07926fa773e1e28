// Strong abort, local scopes, Mealy machines and Run, compiled, finalised and run
// reaction by reaction. The expected colours are worked by hand from each statement's
// equations (see the comments), not recorded from a run.
#include <gtest/gtest.h>

#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "equationtable.h"
#include "expression.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "signal_manager.h"
#include "source_modules.h"
#include "statement_control.h"
#include "statement_expr.h"
#include "statement_machine.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

namespace {

// Statement builders over the harness's module, named as the source reader names them.
struct Builder {
  explicit Builder(ReactionHarness& harness) : h(harness) {}
  Module* m() { return h.module(); }
  Statement* emit(Signal* s) { return new Emit(h.name("E"), m(), s); }
  Statement* pause() { return new Pause(h.name("PS"), m()); }
  Statement* halt() { return new Halt(h.name("H"), m()); }
  Statement* seq(Statement* a, Statement* b) { return new Sequence(h.name("Q"), m(), a, b); }
  Statement* seq(Statement* a, Statement* b, Statement* c) { return new Sn(h.name("Sn"), m(), {a, b, c}); }
  Statement* par(Statement* a, Statement* b) { return new Parallel(h.name("Par"), m(), a, b); }
  Statement* loop(Statement* body) { return new Loop(h.name("L"), m(), body); }
  Statement* present(Expression* c, Statement* t, Statement* e = nullptr) {
    return e != nullptr ? new Present(h.name("Pr"), m(), c, t, e) : new Present(h.name("Pr"), m(), c, t);
  }
  // Weak or strong abort, with one name prefix so that both give the same variable names.
  Statement* abort(bool strong, Statement* body, Expression* z) {
    std::string n = h.name("A");
    if (strong) return new StrongAbort(n, m(), z, body);
    return new Abort(n, m(), z, body);
  }
  Statement* local(std::list<Signal*>* signals, Statement* body) { return new Local(h.name("Lo"), m(), signals, body); }
  ::Run* run(const std::string& called, const ::Run::Renamings& renamings = {}) {
    ::Run* r = new ::Run(h.name("R"), m(), called);
    r->setRenamingTable(&renamings);
    return r;
  }

  ReactionHarness& h;
};

// A called module: input A (when asked for), output B, and its body.
struct Callee {
  Module* k;
  Signal* a = nullptr;
  Signal* b;
  int counter = 0;
  Callee(Module* module, bool with_input) : k(module) {
    if (with_input) {
      a = new Signal("A", k, k->getBddWood());
      a->is_input = true;
      k->addInputSignal(a);
    }
    b = new Signal("B", k, k->getBddWood());
    b->is_output = true;
    k->addOutputSignal(b);
  }
  std::string name(const char* prefix) { return k->generateName(prefix, counter); }
  Statement* pause() { return new Pause(name("PS"), k); }
  Statement* emitB() { return new Emit(name("E"), k, b); }
  Statement* seq(Statement* x, Statement* y) { return new Sequence(name("Q"), k, x, y); }
  // pause >> present A emit B (with the input): B one instant after the start, where A holds.
  void pauseThenCopy() { k->addBodyStatement(seq(pause(), new Present(name("Pr"), k, a, emitB()))); }
  // loop { pause >> emit B }: B in every instant after the first.
  void everyInstant() { k->addBodyStatement(new Loop(name("L"), k, seq(pause(), emitB()))); }
};

}  // namespace

// ----- abort and strong abort -----

namespace {

// abort { body } when I >> emit P, weak or strong, over the given reactions; body is made
// by make(builder, O).
template <class Make>
Trace abortThenEmitP(bool strong, Make make, const Trace& inputs) {
  ReactionHarness h;
  Builder b(h);
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  h.build(b.seq(b.abort(strong, make(b, o), i), b.emit(p)));
  return h.run(inputs);
}

}  // namespace

TEST(PreemptReactions, StrongAbortRemovesTheEmissionsOfThePreemptionInstant) {
  // abort { loop { pause >> emit O } } when I >> emit P, I in R3 only. R1 starts the
  // pause, R2 emits O; in R3 A & I fires: RTL := Z & A starts emit P. The weak body still
  // runs in that instant (O), the strong one is masked (O bottom).
  auto body = [](Builder& b, Signal* o) { return b.loop(b.seq(b.pause(), b.emit(o))); };
  for (bool strong : {false, true}) {
    std::string r3 = strong ? "O=B P=T" : "O=T P=T";
    EXPECT_EQ(abortThenEmitP(strong, body, {"", "", "I=T", ""}), (Trace{"O=B P=B", "O=T P=B", r3, "O=B P=B"}))
        << strong;
  }
}

TEST(PreemptReactions, StrongAbortMasksEmissionsBeforeALaterPauseOfItsBody) {
  // strong abort { pause >> emit O >> pause } when I, I in R2: O lives in the occurrence
  // the first pause opened, not the current one at the end of the body; it is masked
  // all the same. The weak abort emits it.
  auto body = [](Builder& b, Signal* o) { return b.seq(b.pause(), b.emit(o), b.pause()); };
  for (bool strong : {false, true}) {
    std::string r2 = strong ? "O=B P=T" : "O=T P=T";
    EXPECT_EQ(abortThenEmitP(strong, body, {"", "I=T", ""}), (Trace{"O=B P=B", r2, "O=B P=B"})) << strong;
  }
}

TEST(PreemptReactions, AbortOfAnInstantaneousBodyEndsInItsStartInstant) {
  // abort { emit O } when I >> emit P with I in R1: the condition is not tested in the
  // start instant, so the body's termination ends the statement (RTL := P.RTL & !A).
  auto body = [](Builder& b, Signal* o) { return b.emit(o); };
  for (bool strong : {false, true})
    EXPECT_EQ(abortThenEmitP(strong, body, {"I=T", "I=T"}), (Trace{"O=T P=T", "O=B P=B"})) << strong;
}

namespace {

// The text of every equation of a wood, by variable name.
std::map<std::string, std::string> equationTexts(Bddexpressionwood* w) {
  std::map<std::string, std::string> texts;
  for (long id : w->ens_exp) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr || e->bdd_exp.node() == nullptr) continue;
    texts[w->Name_var_by_index(id)] = w->man->Print_sop_to_String(" | ", "&", "!", "", e->bdd_exp, 0);
  }
  return texts;
}

}  // namespace

TEST(PreemptReactions, CommonPathGivesTheCurrentOccurrenceMaskingUnchanged) {
  // A body that does not terminate at once and emits O once: the strong abort's system
  // equals the weak abort's with every current-occurrence equation of the outputs and
  // plain locals ANDed with g = value(I) | !status(I) | !status(A).
  ReactionHarness weak, strong;
  Signal* wo = nullptr;
  Abort* abort = nullptr;
  for (ReactionHarness* h : {&weak, &strong}) {
    Builder b(*h);
    Signal* i = h->input("I");
    Signal* o = h->output("O");
    Statement* body = b.loop(b.seq(b.pause(), b.emit(o)));
    Statement* s = b.abort(h == &strong, body, i);
    if (h == &weak) {
      wo = o;
      abort = dynamic_cast<Abort*>(s);
    }
    h->compile(s);
  }
  Module* m = weak.module();
  Bddexpressionwood* w = weak.wood();
  Signal* i = m->getInputSignal("I");
  Signal* a = abort->ACTIF;
  bdd g = w->Bdd_or(w->Bdd_or(i->getBddValue(m, w), w->Bdd_not(i->getBddStatus(m, w))),
                    w->Bdd_not(a->getBddStatus(m, w)));
  for (long id : {wo->getBddStatusId(m, w), wo->getBddValueId(m, w)}) {
    Bddexpression* e = w->slot(id);
    ASSERT_NE(e, nullptr);
    e->setBddExp(w->Bdd_and(g, e->bdd_exp));
  }
  std::map<std::string, std::string> expected = equationTexts(w);
  EXPECT_EQ(equationTexts(strong.wood()), expected);
  EXPECT_EQ(expected.count("_s_O_2"), 1u);
}

// ----- local scopes -----

namespace {

// Input I, outputs O and P, and a local S scoped by the tests' Local statements.
class LocalReactions : public ::testing::Test {
 protected:
  ReactionHarness h;
  Builder b{h};
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  Signal* s = h.local("S");
  std::list<Signal*> scoped{s};
};

}  // namespace

TEST_F(LocalReactions, LocalSignalIsSeenAcrossParallelBranches) {
  // loop { local S { (present I emit S) || (present S emit O else emit P) >> pause } }:
  // each instant a fresh S, emitted in the left branch and tested in the right one.
  Statement* branches = b.par(b.present(i, b.emit(s)), b.present(s, b.emit(o), b.emit(p)));
  h.build(b.loop(b.local(&scoped, b.seq(branches, b.pause()))));
  EXPECT_EQ(h.run({"I=T", "", "I=T", "I=F"}), (Trace{"O=T P=B", "O=B P=T", "O=T P=B", "O=B P=T"}));
  ASSERT_NE(h.module()->getLocalStack(), nullptr);
  EXPECT_TRUE(h.module()->getLocalStack()->empty());
}

TEST_F(LocalReactions, DoubledLoopBodyKeepsBothIncarnationsOfTheScope) {
  // loop { local S { weak abort { pause >> emit S } when I >> present S emit O else emit P } }
  // with I false: the body can restart at once, so it is doubled and the scope compiled
  // twice. Each incarnation emits S one instant after its start and tests it in the
  // same instant, so O in every reaction from R2 on; the second opening of the scope is
  // chained to the first one's occurrence, which the first incarnation's test reads.
  Statement* aborted = b.abort(false, b.seq(b.pause(), b.emit(s)), i);
  h.build(b.loop(b.local(&scoped, b.seq(aborted, b.present(s, b.emit(o), b.emit(p))))));
  EXPECT_EQ(h.run({"I=F", "I=F", "I=F", "I=F", "I=F"}),
            (Trace{"O=B P=B", "O=T P=B", "O=T P=B", "O=T P=B", "O=T P=B"}));
}

// ----- Mealy machines -----

TEST(MealyReactions, MachineTogglesARegister) {
  // R_next := !R, O := R, both while the machine is active or starting; R starts false.
  // A second equation for O replaces the first in the table.
  ReactionHarness h;
  Module* m = h.module();
  Signal* o = h.output("O");
  m->addRegisterDecl("R", 0, "R_next");
  Signal* r = m->getLocalSignal("R");
  Signal* next = m->getLocalSignal("R_next");
  MealyMachine* mm = new MealyMachine(h.name("MM"), m);
  std::list<Equation*> equations{new Equation(o, new FalseExpression()), new Equation(next, stmt_expr::Not(r)),
                                 new Equation(o, r)};
  mm->setMachineTable(&equations, m);
  EXPECT_EQ(mm->machine_table->size(), 2u);
  h.build(mm);
  EXPECT_EQ(h.run({"", "", "", ""}), (Trace{"O=F", "O=T", "O=F", "O=T"}));
}

TEST(MealyReactions, DoubledLoopAroundAnAbortedMachine) {
  // loop { weak abort { MM } when I }: the abort can restart in the instant it ends, so
  // the loop doubles it and the machine is copied (its own register pair, the table
  // shared). The copy's equations replace the first machine's: O := R & (active' |
  // start'), R_next := !R & (active' | start'). R1-R2 run the first copy (O false, R
  // kept false); I in R2 preempts it and starts the copy, which toggles from R3 on.
  ReactionHarness h;
  Module* m = h.module();
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  m->addRegisterDecl("R", 0, "R_next");
  Signal* r = m->getLocalSignal("R");
  Signal* next = m->getLocalSignal("R_next");
  MealyMachine* mm = new MealyMachine(h.name("MM"), m);
  std::list<Equation*> equations{new Equation(next, stmt_expr::Not(r)), new Equation(o, r)};
  mm->setMachineTable(&equations, m);
  h.build(new Loop(h.name("L"), m, new Abort(h.name("A"), m, i, mm)));
  EXPECT_NE(m->getLocalSignal("ACTIF" + mm->getName() + "_bis"), nullptr);
  EXPECT_EQ(h.run({"I=F", "I=T", "I=F", "I=F", "I=F"}), (Trace{"O=F", "O=F", "O=T", "O=F", "O=T"}));
}

// ----- Run -----

TEST(RunReactions, TwoInstancesKeepTheirOwnRegisters) {
  // run M[I\A, O\B] || (pause >> run M[J\A, P\B]), M = pause >> present A emit B: the
  // first instance copies I into O in R2, the second, started in R2, J into P in R3.
  SourceModules sources;
  Callee callee(sources.add("M"), true);
  callee.pauseThenCopy();
  ReactionHarness h;
  Builder b(h);
  Signal* i = h.input("I");
  Signal* j = h.input("J");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  ::Run* first = b.run("M", {{"A", i}, {"B", o}});
  ::Run* second = b.run("M", {{"A", j}, {"B", p}});
  h.compile(b.par(first, b.seq(b.pause(), second)));
  for (const char* wire : {"SETM@M_i1", "SETM@M_i2", "RTLM@M_i1", "RTLM@M_i2"})
    EXPECT_NE(h.module()->getLocalSignal(wire), nullptr) << wire;
  h.finalize();
  EXPECT_EQ(h.run({"", "I=T J=T", "I=T J=T", "I=T J=T"}), (Trace{"O=B P=B", "O=T P=B", "O=B P=T", "O=B P=B"}));
  EXPECT_EQ(first->instance_suffix, "@M_i1");
  EXPECT_EQ(second->instance_suffix, "@M_i2");
  // Compiled once: both instances include the same wires of M.
  EXPECT_EQ(callee.k->getCurrentInstance(), 2);
  EXPECT_EQ(first->called, callee.k);
}

TEST(RunReactions, FormalsResolveInTheLocalScopesFirst) {
  // local B { run M >> present B emit O }: B of M binds to the scoped B, not to the
  // caller's output B, which nothing emits (finalisation makes such an output false).
  SourceModules sources;
  Callee callee(sources.add("M"), true);
  callee.pauseThenCopy();
  ReactionHarness h;
  Builder b(h);
  h.input("A");
  Signal* out_b = h.output("B");
  Signal* o = h.output("O");
  // The source reader gives a scoped signal an internal name of its own.
  Signal* scoped_b = new Signal("B", "B_1_local", h.module(), h.wood());
  scoped_b->is_local = true;
  h.module()->addLocalSignal(scoped_b);
  std::list<Signal*> scoped{scoped_b};
  h.build(b.local(&scoped, b.seq(b.run("M"), b.present(scoped_b, b.emit(o)))));
  (void)out_b;
  EXPECT_EQ(h.run({"", "A=T", ""}), (Trace{"B=F O=B", "B=F O=T", "B=F O=B"}));
}

TEST(RunReactions, OutputsMergeWithEarlierEmissions) {
  // emit O >> run M[O\B] with M = loop { pause >> emit B } || emit O in R1 and the
  // included O from R2: the Run ORs into O instead of replacing the emission.
  SourceModules sources;
  Callee callee(sources.add("M"), false);
  callee.everyInstant();
  ReactionHarness h;
  Builder b(h);
  Signal* o = h.output("O");
  h.build(b.seq(b.emit(o), b.run("M", {{"B", o}})));
  EXPECT_EQ(h.run({"", "", ""}), (Trace{"O=T", "O=T", "O=T"}));
}

TEST(RunReactions, StrongAbortMasksTheCalledModulesOutputs) {
  // abort { run M[O\B] } when K >> emit P, M = loop { pause >> emit B }: O in R2; K in
  // R3 preempts it: the weak abort lets the included O through, the strong one not.
  for (bool strong : {false, true}) {
    SourceModules sources;
    Callee callee(sources.add("M"), false);
    callee.everyInstant();
    ReactionHarness h;
    Builder b(h);
    Signal* k = h.input("K");
    Signal* o = h.output("O");
    Signal* p = h.output("P");
    h.build(b.seq(b.abort(strong, b.run("M", {{"B", o}}), k), b.emit(p)));
    std::string r3 = strong ? "O=B P=T" : "O=T P=T";
    EXPECT_EQ(h.run({"", "", "K=T", ""}), (Trace{"O=B P=B", "O=T P=B", r3, "O=B P=B"})) << strong;
  }
}

namespace {

// A Run compiled with a preemption condition: the status of the caller's input K.
class PreemptedRun : public ::Run {
 public:
  PreemptedRun(const std::string& n, Module* m, Signal* k) : ::Run(n, m, "M"), k_(k) {}
  void compile(Module* m, EquationTable* t) override {
    Bddexpressionwood* w = t->getBddexpressionWood();
    compile_with_preemption(m, t, w->Bdd_var_by_index(k_->getBddStatusId(m, w)));
  }

 private:
  Signal* k_;
};

}  // namespace

TEST(RunReactions, PreemptionConditionMakesTheIncludedOutputsBottom) {
  SourceModules sources;
  Callee callee(sources.add("M"), false);
  callee.everyInstant();
  ReactionHarness h;
  Signal* k = h.input("K");
  h.output("B");
  PreemptedRun* r = new PreemptedRun(h.name("R"), h.module(), k);
  h.build(r);
  EXPECT_EQ(h.run({"", "", "K=T", ""}), (Trace{"B=B", "B=T", "B=B", "B=T"}));
}

TEST(RunReactions, CompiledModuleRunsAsItsSourceForm) {
  // The callee of TwoInstancesKeepTheirOwnRegisters written by the compiled-module
  // writer, named in a run declaration, loaded and included twice: the same trace.
  ScratchDir dir;
  {
    Module n("N");
    Callee callee(&n, true);
    callee.pauseThenCopy();
    n.compile();
    n.finalize(0);
    write_file(dir.path + "/N.jxc", jxc_text(n));
  }
  std::list<std::string> files{dir.path + "/N.jxc"};
  std::list<std::string>* saved = Module::CompilationFileList;
  Module::CompilationFileList = &files;
  {
    ReactionHarness h;
    Builder b(h);
    Signal* i = h.input("I");
    Signal* j = h.input("J");
    Signal* o = h.output("O");
    Signal* p = h.output("P");
    h.module()->addRunDecl("N", "N.jxc", dir.path);
    ::Run* first = b.run("N", {{"A", i}, {"B", o}});
    ::Run* second = b.run("N", {{"A", j}, {"B", p}});
    h.build(b.par(first, b.seq(b.pause(), second)));
    EXPECT_EQ(h.run({"", "I=T J=T", "I=T J=T", "I=T J=T"}), (Trace{"O=B P=B", "O=T P=B", "O=B P=T", "O=B P=B"}));
    ASSERT_NE(Compilation::JxcModTable->get("N"), nullptr);
    EXPECT_EQ(first->called, Compilation::JxcModTable->get("N"));
    EXPECT_EQ(first->instance_suffix, "@N_i1");
    EXPECT_EQ(second->instance_suffix, "@N_i2");
  }
  Compilation::JxcModTable->table->erase("N");
  Module::CompilationFileList = saved;
}
