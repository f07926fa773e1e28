// Equation systems of small statement trees against equations worked by hand, wires,
// reincarnation, copies and their names.
#include <gtest/gtest.h>

#include <string>

#include "Bddexpression.h"
#include "equationtable.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "sexception.h"
#include "signal_manager.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

namespace {

class StatementTest : public ::testing::Test {
 protected:
  StatementTest() : m("top"), w(m.getBddWood()), t(m.getEquationTable()) {}

  Signal* input(const std::string& n) {
    Signal* s = new Signal(n, &m, w);
    s->is_input = true;
    m.addInputSignal(s);
    return s;
  }
  Signal* output(const std::string& n) {
    Signal* s = new Signal(n, &m, w);
    s->is_output = true;
    m.addOutputSignal(s);
    return s;
  }
  void compile(Statement* body) {
    m.addBodyStatement(body);
    m.compile();
  }
  bool known(const std::string& occurrence) {
    return m.getSignalManager()->getSignalRefByName(occurrence) != nullptr;
  }
  // Variables and definitions by occurrence name.
  bdd S(const std::string& n) { return w->Bdd_var_by_name("_s_" + n); }
  bdd V(const std::string& n) { return w->Bdd_var_by_name("_v_" + n); }
  bdd defS(const std::string& n) { return definition("_s_" + n); }
  bdd defV(const std::string& n) { return definition("_v_" + n); }
  bdd definition(const std::string& variable) {
    long id = w->Index_var_by_name(variable);
    Bddexpression* e = w->slot(id);
    EXPECT_NE(e, nullptr) << variable;
    return e != nullptr ? e->my_bdd_exp() : w->Bdd_zero();
  }
  bdd And(const bdd& a, const bdd& b) { return w->Bdd_and(a, b); }
  bdd Or(const bdd& a, const bdd& b) { return w->Bdd_or(a, b); }
  bdd Not(const bdd& a) { return w->Bdd_not(a); }
  // A wire defined by def, its value rail the negation of its status.
  void expectWire(const std::string& n, const bdd& def) {
    EXPECT_EQ(defS(n), def) << n;
    EXPECT_EQ(defV(n), Not(S(n))) << n;
  }
  // A register's current state: no status equation, value := !status.
  void expectRegister(const std::string& n) {
    EXPECT_EQ(w->slot(w->Index_var_by_name("_s_" + n)), nullptr) << n;
    EXPECT_EQ(defV(n), Not(S(n))) << n;
  }
  // Wires the parent would read, without compiling the statement.
  static void giveWires(Statement* s, Module* mod, bool set, bool reset, bool rtl) {
    Bddexpressionwood* wood = mod->getBddWood();
    if (set) s->setSet(new Signal("SET" + s->getName(), mod, wood));
    if (reset) s->setReset(new Signal("RESET" + s->getName(), mod, wood));
    if (rtl) s->setRtl(new Signal("RTL" + s->getName(), mod, wood));
  }

  Module m;
  Bddexpressionwood* w;
  EquationTable* t;
};

}  // namespace

// ----- equation systems -----

TEST_F(StatementTest, SequenceChainsItsChildren) {
  compile(new Sequence("Q", &m, new Nothing("N", &m), new Nothing("M", &m)));
  expectWire("SETQ", S("SETtop"));
  expectWire("RESETQ", S("RESETtop"));
  // The module's own RTL is not flagged a wire: both rails are the body's.
  EXPECT_EQ(defS("RTLtop"), S("RTLQ"));
  EXPECT_EQ(defV("RTLtop"), V("RTLQ"));
  expectWire("SETN", S("SETQ"));
  expectWire("SETM", S("RTLN"));
  expectWire("RESETN", S("RESETQ"));
  expectWire("RESETM", S("RESETQ"));
  expectWire("RTLQ", S("RTLM"));
  expectWire("RTLN", S("SETN"));
  expectWire("RTLM", S("SETM"));
  EXPECT_TRUE(m.getRegisterList() == nullptr || m.getRegisterList()->empty());
}

TEST_F(StatementTest, PauseOpensAnInstantAndArmsItsRegister) {
  output("O");
  compile(new Pause("PS", &m));
  expectWire("RTLPS", S("ACTIFPS"));
  // ACTIFPLUS := SET & !RESET: status SET.s & RESET.v; a boolean register is a wire.
  expectWire("ACTIFPLUSPS", And(S("SETPS"), V("RESETPS")));
  expectRegister("ACTIFPS");
  ASSERT_NE(m.getRegisterList(), nullptr);
  ASSERT_EQ(m.getRegisterList()->size(), 1u);
  EXPECT_EQ(m.getRegisterList()->front()->actual_var()->getInternalName(), "ACTIFPS");
  EXPECT_EQ(m.getRegisterList()->front()->next_var()->getInternalName(), "ACTIFPLUSPS");
  EXPECT_EQ(m.getRegisterList()->front()->is_initialy_true(), 0);
  // The new instant: O_2 bottom, chained into occurrence 0.
  EXPECT_EQ(defS("O"), Or(S("O_1"), S("O_2")));
  EXPECT_EQ(defV("O"), And(V("O_1"), V("O_2")));
  EXPECT_EQ(defS("O_2"), w->Bdd_zero());
  EXPECT_EQ(defV("O_2"), w->Bdd_zero());
}

TEST_F(StatementTest, PresentGuardsItsBranchesByTheCondition) {
  input("I");
  Signal* o = output("O");
  Signal* p = output("P");
  compile(new Present("Pr", &m, m.getInputSignal("I"), new Emit("E1", &m, o), new Emit("E2", &m, p)));
  bdd is_true = And(S("I"), Not(V("I")));
  bdd not_true = Or(V("I"), Not(S("I")));
  expectWire("SETE1", And(is_true, S("SETPr")));
  expectWire("SETE2", And(not_true, S("SETPr")));
  expectWire("RESETE1", S("RESETPr"));
  expectWire("RESETE2", S("RESETPr"));
  expectWire("RTLPr", Or(S("RTLE1"), S("RTLE2")));
  expectWire("RTLE1", S("SETE1"));
  expectWire("RTLE2", S("SETE2"));  // made in the else branch's copy, merged back
  // Emit: S |= Cond(True, RTL).
  EXPECT_EQ(defS("O_1"), And(S("RTLE1"), Not(V("RTLE1"))));
  EXPECT_EQ(defV("O_1"), w->Bdd_zero());
  EXPECT_EQ(defS("P_1"), And(S("RTLE2"), Not(V("RTLE2"))));
  EXPECT_EQ(defV("P_1"), w->Bdd_zero());
}

TEST_F(StatementTest, PresentWithoutElseTerminatesWhereTheConditionIsNotTrue) {
  input("I");
  Signal* o = output("O");
  compile(new Present("Pr", &m, m.getInputSignal("I"), new Emit("E1", &m, o)));
  expectWire("RTLPr", Or(S("RTLE1"), And(Or(V("I"), Not(S("I"))), S("SETPr"))));
  EXPECT_GT(m.getStatement()->getPertLevel(), 0);
}

TEST_F(StatementTest, ParallelKeepsOneRegisterPerBranch) {
  Signal* o = output("O");
  Parallel* par = new Parallel("Par", &m, new Emit("E", &m, o), new Pause("PS", &m));
  compile(par);
  expectWire("SETE", S("SETPar"));
  expectWire("SETPS", S("SETPar"));
  expectWire("RESETE", S("RESETPar"));
  expectWire("RESETPS", S("RESETPar"));
  bdd l = S("RTLE"), r = S("RTLPS"), a = S("ACTIFPar"), b = S("ACTIFBISPar");
  bdd not_l = V("RTLE"), not_r = V("RTLPS"), not_a = V("ACTIFPar"), not_b = V("ACTIFBISPar");
  bdd not_reset = V("RESETPar");
  expectWire("RTLPar", Or(Or(And(And(l, r), And(not_a, not_b)), And(And(r, not_b), a)), And(And(l, not_a), b)));
  expectWire("ACTIFPLUSPar", Or(And(And(a, not_r), not_reset), And(And(l, not_r), And(not_reset, not_b))));
  expectWire("ACTIFBISPLUSPar", Or(And(And(b, not_l), not_reset), And(And(r, not_l), And(not_reset, not_a))));
  expectRegister("ACTIFPar");
  expectRegister("ACTIFBISPar");
  expectRegister("ACTIFPS");  // the right branch's register, from its copy
  expectWire("RTLPS", S("ACTIFPS"));
  // The pause opened O_2 in the right branch's copy; both chains meet in occurrence 0.
  EXPECT_EQ(o->getCurrentOccurrence(w), 2);
  EXPECT_EQ(defS("O"), Or(S("O_1"), S("O_2")));
  EXPECT_EQ(defV("O"), And(V("O_1"), V("O_2")));
  EXPECT_EQ(defS("O_1"), And(S("RTLE"), Not(V("RTLE"))));
  EXPECT_GT(par->getLeft()->getPertLevel(), 0);
  EXPECT_GT(par->getRight()->getPertLevel(), 0);
  std::list<regclass*>& regs = *m.getRegisterList();
  ASSERT_EQ(regs.size(), 3u);
  EXPECT_EQ(regs.back()->actual_var()->getInternalName(), "ACTIFBISPar");
}

TEST_F(StatementTest, PnChainsItsBranchTerminations) {
  Pn* pn = new Pn("topPn_3", &m);
  for (int i = 0; i < 12; ++i) pn->append(new Nothing("N" + std::to_string(i), &m));
  // A statement named as branch 1 would be without the separator.
  compile(new Sequence("Q", &m, pn, new Nothing("topPn_31", &m)));
  expectWire("RTLtopPn_3_0", Or(S("ACTIFtopPn_3_0"), S("RTLN0")));
  expectWire("RTLtopPn_3_1", And(Or(S("ACTIFtopPn_3_1"), S("RTLN1")), S("RTLtopPn_3_0")));
  expectWire("RTLtopPn_3", S("RTLtopPn_3_11"));
  bdd q = And(V("RTLtopPn_3"), V("RESETtopPn_3"));
  expectWire("ACTIFPLUStopPn_3_11", And(Or(S("ACTIFtopPn_3_11"), S("RTLN11")), q));
  expectRegister("ACTIFtopPn_3_11");
  expectWire("RTLtopPn_31", S("SETtopPn_31"));
  expectWire("SETtopPn_31", S("RTLtopPn_3"));
  EXPECT_FALSE(known("ACTIFtopPn_312"));
  EXPECT_EQ(pn->ACTIF.size(), 12u);
  EXPECT_EQ(m.getRegisterList()->size(), 12u);
}

// ----- failures -----

TEST_F(StatementTest, EachMissingWireOfAChildIsReported) {
  struct Case {
    bool set, reset, rtl;
    const char* missing;
  } cases[] = {{false, true, true, "set"}, {true, false, true, "reset"}, {true, true, false, "rtl"}};
  for (const Case& c : cases) {
    Nothing* child = new Nothing("N", &m);
    giveWires(child, &m, c.set, c.reset, c.rtl);
    Loop parent(std::string("L") + c.missing, &m, child);
    try {
      parent.createEquations(&m, t);
      ADD_FAILURE() << c.missing;
    } catch (const StatementWireException& e) {
      EXPECT_STREQ(e.wire_type(), c.missing);
    }
  }
  // A child never compiled: its SET is the first wire read.
  Sequence never("Q", &m, new Nothing("A", &m), new Nothing("B", &m));
  try {
    never.createEquations(&m, t);
    ADD_FAILURE();
  } catch (const StatementWireException& e) {
    EXPECT_STREQ(e.wire_type(), "set");
  }
  Nothing root("R", &m);
  try {
    root.connectExternalWires(&m);
    ADD_FAILURE();
  } catch (const StatementWireException& e) {
    EXPECT_STREQ(e.wire_type(), "set");
  }
}

TEST_F(StatementTest, CountsBelowOneAndUnbuiltTranslationsAreRefused) {
  Sn sn("Sn", &m);
  Pn pn("Pn", &m);
  EXPECT_THROW(sn.compile(&m, t), IllegalOperationException);
  EXPECT_THROW(sn.createEquations(&m, t), IllegalOperationException);
  EXPECT_THROW(pn.compile(&m, t), IllegalOperationException);
  EXPECT_THROW(pn.createEquations(&m, t), IllegalOperationException);
  EXPECT_EQ(w->exp_number(), 0);
  Automaton a("Au", &m);
  try {
    a.createEquations(&m, t);
    ADD_FAILURE();
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "ModuleTable::createEquations()");
    EXPECT_STREQ(e.argument_name(), "do not use ...");
  }
  EXPECT_TRUE(a.isAutomaton());
  EXPECT_NE(a.getStateTable(), nullptr);
  EXPECT_NE(a.getTransitionList(), nullptr);
}

// ----- reincarnation -----

TEST_F(StatementTest, ReincarnateFollowsTheChildren) {
  Signal* o = output("O");
  Signal* i = input("I");
  // A Run of a module found nowhere throws when asked: it stands for "must not be asked".
  auto unasked = [&]() -> Statement* { return new ::Run("R", &m, "callee"); };
  auto nothing = [&]() -> Statement* { return new Nothing("N", &m); };
  auto pause = [&]() -> Statement* { return new Pause("P", &m); };
  struct Case {
    Statement* s;
    bool expected;
  } cases[] = {
      {nothing(), true},
      {new Emit("E", &m, o), true},
      {new NoEmit("NE", &m, o), true},
      {new Abort("A", &m, i, pause()), true},
      {new StrongAbort("SA", &m, i, pause()), true},
      {pause(), false},
      {new Wait("W", &m, i), false},
      {new SustainUntil("SU", &m, o, i), false},
      {new Halt("H", &m), false},
      {new MealyMachine("MM", &m), false},
      {new Automaton("Au", &m), false},
      {new Sequence("Q", &m, nothing(), nothing()), true},
      {new Sequence("Q", &m, nothing(), pause()), false},
      {new Sequence("Q", &m, pause(), unasked()), false},
      {new Sn("Sn", &m, {nothing(), pause(), unasked()}), false},
      {new Sn("Sn", &m, {nothing(), nothing()}), true},
      {new Parallel("Par", &m, nothing(), unasked()), true},
      {new Parallel("Par", &m, pause(), nothing()), true},
      {new Parallel("Par", &m, pause(), pause()), false},
      {new Pn("Pn", &m, {pause(), nothing(), unasked()}), true},
      {new Pn("Pn", &m, {pause(), pause()}), false},
      {new Present("Pr", &m, i, pause(), nothing()), true},
      {new Present("Pr", &m, i, pause(), pause()), false},
      {new Present("Pr", &m, i, pause()), false},
      {new Present("Pr", &m, i, nothing()), true},
      {new Loop("L", &m, pause()), false},
      {new Loop("L", &m, nothing()), true},
      {new Local("Lo", &m, nullptr, pause()), false},
      {new Local("Lo", &m, nullptr, nothing()), true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.s->reincarnate(), c.expected) << c.s->getName();
  EXPECT_THROW(unasked()->reincarnate(), IllegalOperationException);
}

// ----- copies and their names -----

TEST_F(StatementTest, CopiesTakeBisNamesAndOwnWiresOnceCompiled) {
  Signal* o = output("O");
  Sequence s1("S1", &m, new Emit("E1", &m, o), new Pause("PS2", &m));
  Statement* copy = s1.duplicate(&m, t);
  Sequence* c = dynamic_cast<Sequence*>(copy);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->getName(), "S1_bis");
  EXPECT_EQ(c->getFirst()->getName(), "E1_bis");
  EXPECT_EQ(c->getSecond()->getName(), "PS2_bis");
  EXPECT_FALSE(c->hasWires());
  EXPECT_EQ(c->getPertLevel(), 0);
  EXPECT_EQ(dynamic_cast<Emit*>(c->getFirst())->getSignal(), o);
  // A copy of a copy; a second copy of the same statement gets a counter.
  EXPECT_EQ(copy->duplicate(&m, t)->getName(), "S1_bis_bis");
  EXPECT_EQ(s1.duplicate(&m, t)->getName(), "S1_bis2");
  EXPECT_EQ(s1.duplicate(&m, t)->getName(), "S1_bis3");
  compile(copy);
  for (const char* n : {"SETS1_bis", "SETE1_bis", "SETPS2_bis", "ACTIFPS2_bis", "ACTIFPLUSPS2_bis"})
    EXPECT_TRUE(known(n)) << n;
  // A name compiled by another statement is not given to a copy.
  Nothing taken("X", &m);
  Nothing("X_bis", &m).createEquations(&m, t);
  EXPECT_EQ(taken.duplicate(&m, t)->getName(), "X_bis2");
}

TEST_F(StatementTest, CopiesShareConditionsSignalsAndValueSignals) {
  Signal* o = output("O");
  Signal* v = output("V");
  Signal* i = input("I");
  Emit* e = new Emit("E", &m, o, v);
  Emit* ec = dynamic_cast<Emit*>(e->duplicate(&m, t));
  ASSERT_NE(ec, nullptr);
  EXPECT_EQ(ec->getSignal(), o);
  EXPECT_EQ(ec->getValueSignal(), v);
  EXPECT_EQ(ec->signal_name, "O");
  SustainUntil su("SU", &m, o, i, v);
  SustainUntil* sc = dynamic_cast<SustainUntil*>(su.duplicate(&m, t));
  ASSERT_NE(sc, nullptr);
  EXPECT_EQ(sc->value_signal, v);
  EXPECT_EQ(sc->condition, i);
  Present pr("Pr", &m, i, new Nothing("N", &m));
  Present* pc = dynamic_cast<Present*>(pr.duplicate(&m, t));
  EXPECT_EQ(pc->condition, i);
  EXPECT_EQ(pc->else_branch, nullptr);
  std::list<Signal*> scoped;
  Local lo("Lo", &m, &scoped, new Nothing("N2", &m));
  EXPECT_EQ(dynamic_cast<Local*>(lo.duplicate(&m, t))->getSignalList(), &scoped);
  Pn pn("Pn", &m, {new Nothing("A", &m), new Nothing("B", &m)});
  Pn* pnc = dynamic_cast<Pn*>(pn.duplicate(&m, t));
  EXPECT_EQ(pnc->getCount(), 2);
  EXPECT_EQ(pnc->getChild(1)->getName(), "B_bis");
  EXPECT_TRUE(pnc->ACTIF.empty());
  int saved = Module::RunNumber;
  Module::RunNumber = 4;
  ::Run r("R", &m, "callee");
  ::Run* rc = dynamic_cast<::Run*>(r.duplicate(&m, t));
  EXPECT_EQ(rc->getName(), "R_top_4");
  EXPECT_EQ(Module::RunNumber, 5);
  EXPECT_EQ(rc->renaming_table, r.renaming_table);
  EXPECT_EQ(rc->called_name, "callee");
  Module::RunNumber = saved;

  // The compiled copies define the value signal as their originals do.
  compile(new Sequence("Q", &m, e, ec));
  bdd first = And(S("RTLE"), Not(V("RTLE")));
  bdd second = And(S("RTLE_bis"), Not(V("RTLE_bis")));
  EXPECT_EQ(defS("V_1"), Or(first, second));
}

// ----- doubling -----

TEST_F(StatementTest, LoopDoublesABodyThatCanRestartAtOnce) {
  int saved = Module::SequenceNumber;
  Module::SequenceNumber = 7;
  Signal* i = input("I");
  Loop* loop = new Loop("L", &m, new Abort("A", &m, i, new Pause("PS", &m)));
  compile(loop);
  Sequence* doubled = dynamic_cast<Sequence*>(loop->getBody());
  ASSERT_NE(doubled, nullptr);
  EXPECT_EQ(doubled->getName(), "S_7");
  EXPECT_EQ(Module::SequenceNumber, 8);
  EXPECT_EQ(doubled->getFirst()->getName(), "A");
  EXPECT_EQ(doubled->getSecond()->getName(), "A_bis");
  for (const char* n : {"SETS_7", "SETA_bis", "ACTIFA_bis", "ACTIFPS_bis", "RTLPS_bis"}) EXPECT_TRUE(known(n)) << n;
  expectWire("SETS_7", Or(S("SETL"), S("RTLS_7")));
  expectWire("SETA_bis", S("RTLA"));
  expectWire("RTLL", w->Bdd_zero());
  // A body that cannot restart at once is left alone.
  Loop plain("L2", &m, new Pause("PS9", &m));
  plain.compile(&m, t);
  EXPECT_EQ(plain.getBody()->getName(), "PS9");
  EXPECT_EQ(Module::SequenceNumber, 8);
  Module::SequenceNumber = saved;
}

TEST(StatementReactions, NestedDoubledLoopsGetDistinctCopies) {
  // loop { loop { weak abort { pause >> emit O } when I } }: the outer doubling copies
  // the inner abort before the inner loop doubles it; both copies of A were "A_bis".
  // The second copy made is A_bis2, the copy of the outer copy A_bis_bis. The inner loop
  // never ends, so it behaves as a single doubled loop: O from R2 on, whatever I.
  int saved = Module::SequenceNumber;
  Module::SequenceNumber = 0;
  ReactionHarness h;
  Module* m = h.module();
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Statement* body = new Abort("A", m, i, new Sequence("Q", m, new Pause("PS", m), new Emit("E", m, o)));
  h.build(new Loop("L1", m, new Loop("L2", m, body)));
  EXPECT_EQ(h.run({"", "I=T", "I=T", "", "I=T", ""}), (Trace{"O=B", "O=T", "O=T", "O=T", "O=T", "O=T"}));
  SignalManager* sm = m->getSignalManager();
  for (const char* n : {"SETA_bis", "SETA_bis2", "SETA_bis_bis", "SETPS_bis2", "SETL2_bis", "SETS_0", "SETS_1",
                        "SETS_2"})
    EXPECT_NE(sm->getSignalRefByName(n), nullptr) << n;
  EXPECT_EQ(sm->getSignalRefByName("SETA_bis3"), nullptr);
  Module::SequenceNumber = saved;
}
