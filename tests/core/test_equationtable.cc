#include "equationtable.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "Bddexpression.h"
#include "compilation.h"
#include "expression.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "test_scope.h"

namespace {

class EquationTableTest : public ::testing::Test {
 protected:
  EquationTableTest() : m("T"), w(m.getBddWood()), t(m.getEquationTable()) {}

  Signal* input(const std::string& name, Bddexpressionwood* in = nullptr) { return add_input(&m, name, in); }
  Signal* output(const std::string& name) { return add_output(&m, name); }
  Signal* local(const std::string& name, Bddexpressionwood* in = nullptr) { return add_local(&m, name, in); }
  Signal* wire(const std::string& name, Bddexpressionwood* in = nullptr) {
    Signal* s = local(name, in);
    s->is_wire = true;
    return s;
  }

  Bddexpression* status_eq(Signal* s, Bddexpressionwood* in = nullptr) {
    Bddexpressionwood* x = in != nullptr ? in : w;
    return x->slot(s->getBddStatusId(&m, x));
  }
  Bddexpression* value_eq(Signal* s, Bddexpressionwood* in = nullptr) {
    Bddexpressionwood* x = in != nullptr ? in : w;
    return x->slot(s->getBddValueId(&m, x));
  }
  bdd S(Signal* s, Bddexpressionwood* in = nullptr) { return s->getBddStatus(&m, in != nullptr ? in : w); }
  bdd V(Signal* s, Bddexpressionwood* in = nullptr) { return s->getBddValue(&m, in != nullptr ? in : w); }
  bdd var(Bddexpressionwood* x, const std::string& name) { return x->Bdd_var_by_name(name); }

  Module m;
  Bddexpressionwood* w;
  EquationTable* t;
};

using EquationTableExitTest = EquationTableTest;

}  // namespace

TEST_F(EquationTableTest, CreateEquationUsesTheExpressionRails) {
  Signal* a = input("A");
  Signal* b = input("B");
  Signal* o = output("O");
  t->createEquation(o, new OrExpression(a, b), &m);
  Bddexpression* st = status_eq(o);
  Bddexpression* va = value_eq(o);
  ASSERT_NE(st, nullptr);
  ASSERT_NE(va, nullptr);
  EXPECT_EQ(st->my_name(), "O");
  EXPECT_EQ(st->my_bdd_var(), S(o));
  EXPECT_EQ(st->my_bdd_exp(), w->Bdd_or(S(a), S(b)));
  EXPECT_EQ(st->getUserType(), Compilation::SOUTPUT);
  EXPECT_EQ(st->getEarlyDate(), 0);
  EXPECT_EQ(va->my_bdd_var(), V(o));
  EXPECT_EQ(va->my_bdd_exp(), w->Bdd_and(V(a), V(b)));
  EXPECT_EQ(va->getUserType(), Compilation::VOUTPUT);

  // A wire carries true or false: its value rail is NOT its own status variable.
  Signal* x = wire("X");
  t->createEquation(x, new OrExpression(a, b), &m);
  EXPECT_EQ(status_eq(x)->my_bdd_exp(), w->Bdd_or(S(a), S(b)));
  EXPECT_EQ(value_eq(x)->my_bdd_exp(), w->Bdd_not(S(x)));
  EXPECT_EQ(status_eq(x)->getUserType(), Compilation::SWIRE);
  EXPECT_EQ(value_eq(x)->getUserType(), Compilation::VWIRE);
}

TEST_F(EquationTableTest, CreateEquationCurrentOrInitialRails) {
  Signal* l = local("L");
  Signal* o = output("O");
  Signal* p = output("P");
  l->newOccurrence(w, &m);
  t->createEquation(o, l, &m);
  t->createEquation(p, l, &m, true);
  EXPECT_EQ(status_eq(o)->my_bdd_exp(), var(w, "_s_L_1"));
  EXPECT_EQ(value_eq(o)->my_bdd_exp(), var(w, "_v_L_1"));
  EXPECT_EQ(status_eq(p)->my_bdd_exp(), var(w, "_s_L"));
  EXPECT_EQ(value_eq(p)->my_bdd_exp(), var(w, "_v_L"));
}

TEST_F(EquationTableTest, CreateEquationWithoutOperands) {
  Signal* o = output("O");
  EXPECT_THROW(t->createEquation(nullptr, o, &m), IllegalOperationException);
  EXPECT_THROW(t->createEquation(o, nullptr, &m), IllegalOperationException);
  EXPECT_EQ(w->exp_number(), 0);
}

TEST_F(EquationTableTest, CreateUnifyEquationOrsIntoExistingEquations) {
  Signal* a = input("A");
  Signal* b = input("B");
  Signal* o = output("O");
  t->createEquation(o, a, &m);
  t->createUnifyEquation(o, b, &m, false);
  EXPECT_EQ(status_eq(o)->my_bdd_exp(), w->Bdd_or(S(a), S(b)));
  EXPECT_EQ(value_eq(o)->my_bdd_exp(), w->Bdd_or(V(a), V(b)));

  Signal* x = wire("X");
  testing::internal::CaptureStderr();
  t->createUnifyEquation(x, a, &m, true);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("internal error 1 in createUnifyEquation()! about sid=" +
                     std::to_string(x->getBddStatusId(&m, w)) + "\n"),
            std::string::npos);
  EXPECT_NE(err.find("internal error 2 in createUnifyEquation()! about vid=" +
                     std::to_string(x->getBddValueId(&m, w)) + "\n"),
            std::string::npos);
  EXPECT_EQ(status_eq(x), nullptr);
}

TEST_F(EquationTableTest, RegisterAndBottomEquations) {
  Signal* r = new Signal("R", &m, w, true);
  r->is_local = true;
  m.addLocalSignal(r);
  t->createRegisterEquation(r, &m);
  EXPECT_EQ(status_eq(r), nullptr);
  ASSERT_NE(value_eq(r), nullptr);
  EXPECT_EQ(value_eq(r)->my_bdd_exp(), w->Bdd_not(S(r)));
  EXPECT_EQ(value_eq(r)->getUserType(), Compilation::VREG);

  Signal* o = output("O");
  t->createBottomEquation(o, &m);
  EXPECT_EQ(status_eq(o)->my_bdd_exp(), w->Bdd_zero());
  EXPECT_EQ(value_eq(o)->my_bdd_exp(), w->Bdd_zero());
  EXPECT_EQ(status_eq(o)->getUserType(), Compilation::SOUTPUT);

  o->newOccurrence(w, &m);
  o->newOccurrence(w, &m);
  t->createBottomEquation(o, &m, 1);
  Bddexpression* st1 = w->slot(w->Index_var_by_name("_s_O_1"));
  Bddexpression* va1 = w->slot(w->Index_var_by_name("_v_O_1"));
  ASSERT_NE(st1, nullptr);
  ASSERT_NE(va1, nullptr);
  EXPECT_EQ(st1->my_bdd_exp(), w->Bdd_zero());
  EXPECT_EQ(va1->getUserType(), Compilation::VOUTPUT);
  EXPECT_EQ(status_eq(o), nullptr);  // occurrence 2 untouched
  try {
    t->createBottomEquation(o, &m, 5);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "createBottomEquation: no signalref");
    EXPECT_STREQ(e.argument_name(), "O");
  }
}

TEST_F(EquationTableTest, ReplaceEquation) {
  Signal* a = local("A");
  Signal* x = output("X");
  t->replaceEquation(a, x, &m);
  ASSERT_NE(status_eq(a), nullptr);
  EXPECT_EQ(status_eq(a)->my_bdd_exp(), S(x));
  EXPECT_EQ(value_eq(a)->my_bdd_exp(), V(x));
  // Created equations take the plain kinds, not the signal's.
  EXPECT_EQ(status_eq(a)->getUserType(), Compilation::STAT);
  EXPECT_EQ(value_eq(a)->getUserType(), Compilation::VAL);

  Signal* y = input("Y");
  t->createEquation(x, new TrueExpression, &m);
  t->replaceEquation(x, y, &m);
  EXPECT_EQ(status_eq(x)->my_bdd_exp(), S(y));
  EXPECT_EQ(value_eq(x)->my_bdd_exp(), V(y));
  EXPECT_EQ(status_eq(x)->getUserType(), Compilation::SOUTPUT);
}

TEST_F(EquationTableTest, LearnSignal) {
  Signal* a = input("A");
  Bddexpressionwood* other = new Bddexpressionwood();
  EquationTable branch("", other);
  branch.learnSignal(a, &m);
  SignalRef* r = m.getSignalManager()->getSignalRefByName("A");
  ASSERT_TRUE(r->isDefinedWood(other));
  EXPECT_EQ(other->Name_var_by_index(r->getBddStatusId(other)), "_s_A");
  EXPECT_EQ(other->Name_var_by_index(r->getBddValueId(other)), "_v_A");
  long count = other->Nb_bdd_vars();
  branch.learnSignal(a, &m);
  EXPECT_EQ(other->Nb_bdd_vars(), count);

  // A signal whose reference has no variables in the module's own system.
  Signal* z = new Signal("Z", &m, other);
  z->extendCurrentOccurrenceTable(w, 0);
  Bddexpressionwood* third = new Bddexpressionwood();
  EquationTable again("", third);
  try {
    again.learnSignal(z, &m);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "EquationTable:learSignal: signal not defined in module wood");
    EXPECT_STREQ(e.argument_name(), "Z");
  }
  m.getSignalManager()->deleteWood(other);
  m.getSignalManager()->deleteWood(third);
}

TEST_F(EquationTableTest, AddCopiesAnEquationOfAnotherSystem) {
  Signal* a = input("A");
  EquationTable* branch = t->duplicate(&m);
  Bddexpressionwood* bw = branch->getBddexpressionWood();
  Signal* x = wire("X", bw);
  branch->createEquation(x, a, &m);
  Bddexpression* eq = status_eq(x, bw);
  eq->setEarlyDate(3);
  bw->latest(x->getBddStatusId(&m, bw)) = 5;

  EXPECT_LT(w->Index_var_by_name("_s_X"), 0);
  t->add(eq, &m);
  long sid = w->Index_var_by_name("_s_X");
  ASSERT_GE(sid, 0);
  Bddexpression* copy = w->slot(sid);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->my_name(), "X");
  EXPECT_EQ(copy->my_bdd_exp(), S(a));
  EXPECT_EQ(copy->getEarlyDate(), 3);
  EXPECT_EQ(w->latest(sid), 5);
  EXPECT_EQ(copy->getUserType(), Compilation::SWIRE);
  // The occurrence became known in this system, with its value variable.
  SignalRef* r = m.getSignalManager()->getSignalRefByName("X");
  ASSERT_TRUE(r->isDefinedWood(w));
  EXPECT_EQ(r->getBddStatusId(w), sid);
  EXPECT_EQ(w->Name_var_by_index(r->getBddValueId(w)), "_v_X");
  EXPECT_EQ(x->getCurrentOccurrence(w), 0);

  // Variables that no occurrence owns (handles released before the system goes).
  {
    bdd q = bw->New_var_last("_s_Q");
    Bddexpression* stray = new Bddexpression("Q", bw, q, bw->Bdd_one(), 0, 0, Compilation::STAT);
    try {
      t->add(stray, &m);
      ADD_FAILURE() << "no exception";
    } catch (const IllegalOperationException& e) {
      EXPECT_STREQ(e.operation_name(), "EquationTable::add: no Signal ref");
      EXPECT_STREQ(e.argument_name(), "Q");
    }
    bdd shortname = bw->New_var_last("ab");
    Bddexpression* tiny = new Bddexpression("ab", bw, shortname, bw->Bdd_one(), 0, 0, Compilation::STAT);
    EXPECT_THROW(t->add(tiny, &m), std::out_of_range);
  }
  m.getSignalManager()->deleteWood(bw);
}

TEST_F(EquationTableTest, DuplicateCopiesSystemAndOccurrences) {
  Signal* a = input("A");
  Signal* o = output("O");
  Signal* l = local("L");
  t->createEquation(o, a, &m);
  l->newOccurrence(w, &m);
  EquationTable* branch = t->duplicate(&m);
  Bddexpressionwood* bw = branch->getBddexpressionWood();
  ASSERT_NE(bw, w);
  EXPECT_EQ(branch->getModuleName(), "");
  EXPECT_EQ(bw->exp_number(), w->exp_number());
  EXPECT_EQ(l->getCurrentOccurrence(bw), 1);
  EXPECT_EQ(o->getBddStatusId(&m, bw), o->getBddStatusId(&m, w));
  EXPECT_EQ(m.getSignalById(o->getBddValueId(&m, w), bw), o);
  EXPECT_EQ(bw->Name_var_by_bdd(status_eq(o, bw)->my_bdd_exp()), "_s_A");

  Signal* bare = new Signal("NoTable", &m, w);
  bare->occurrence_table = nullptr;
  m.addLocalSignal(bare);
  size_t woods = m.getSignalManager()->signalref_id_table->size();
  try {
    t->duplicate(&m);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "EquationTable::duplicate: no occurrence table for signal");
    EXPECT_STREQ(e.argument_name(), "NoTable");
  }
  EXPECT_EQ(m.getSignalManager()->signalref_id_table->size(), woods);
  m.getLocalSignalList()->remove(bare);
  m.getSignalManager()->deleteWood(bw);
}

TEST_F(EquationTableTest, UnifyMergesABranchBack) {
  Signal* a = input("A");
  Signal* b = input("B");
  Signal* c = input("C");
  Signal* o = output("O");
  t->createEquation(o, a, &m);
  EquationTable* branch = t->duplicate(&m);
  Bddexpressionwood* bw = branch->getBddexpressionWood();

  t->createUnifyEquation(o, c, &m, false);    // this side: A or C
  branch->createUnifyEquation(o, b, &m, false);  // branch: A or B
  Signal* x = wire("X", bw);                  // made in the branch only
  branch->createEquation(x, b, &m);
  Signal* k = input("K", bw);                 // a free variable of the branch only
  branch->pre(&m);                            // O_1 in the branch

  t->unify(branch, &m);
  EXPECT_EQ(branch->getBddexpressionWood(), nullptr);
  // Same variable name: OR of both definitions (O_1 translated by name), except the
  // value of the occurrence 0 that pre chains: AND, the chain's own operator.
  EXPECT_EQ(o->getCurrentOccurrence(w), 1);  // raised to the branch's occurrence
  Bddexpression* base_status = w->slot(w->Index_var_by_name("_s_O"));
  Bddexpression* base_value = w->slot(w->Index_var_by_name("_v_O"));
  bdd s_o1 = var(w, "_s_O_1"), v_o1 = var(w, "_v_O_1");
  EXPECT_EQ(base_status->my_bdd_exp(),
            w->Bdd_or(w->Bdd_or(S(a), S(c)), w->Bdd_or(w->Bdd_or(S(a), S(b)), s_o1)));
  EXPECT_EQ(base_value->my_bdd_exp(),
            w->Bdd_and(w->Bdd_or(V(a), V(c)), w->Bdd_and(w->Bdd_or(V(a), V(b)), v_o1)));
  // Equations of the branch only are copied, with their occurrences.
  Bddexpression* o1 = w->slot(w->Index_var_by_name("_s_O_1"));
  ASSERT_NE(o1, nullptr);
  EXPECT_EQ(o1->my_bdd_exp(), w->Bdd_zero());
  ASSERT_NE(status_eq(x), nullptr);
  EXPECT_EQ(status_eq(x)->my_bdd_exp(), S(b));
  EXPECT_EQ(x->getCurrentOccurrence(w), 0);
  // The branch's free variable is known here.
  EXPECT_EQ(k->getCurrentOccurrence(w), 0);
  EXPECT_GE(k->getBddStatusId(&m, w), 0);
  EXPECT_EQ(w->Name_var_by_index(k->getBddStatusId(&m, w)), "_s_K");
  // No signal or reference keeps the merged system.
  for (Signal* s : {a, b, c, o, x, k}) EXPECT_EQ(s->occurrence_table->count(bw), 0u) << s->getInternalName();
  for (auto& entry : *m.getSignalManager()->signalref_table) EXPECT_FALSE(entry.second->isDefinedWood(bw));
}

TEST_F(EquationTableTest, UnifyWithAnEmptySystemOnlyRetiresIt) {
  Signal* a = input("A");
  Signal* o = output("O");
  t->createEquation(o, a, &m);
  Bddexpressionwood* empty = new Bddexpressionwood();
  EquationTable other("", empty);
  long vars = w->Nb_bdd_vars();
  t->unify(&other, &m);
  EXPECT_EQ(other.getBddexpressionWood(), nullptr);
  EXPECT_EQ(w->Nb_bdd_vars(), vars);
  EXPECT_EQ(status_eq(o)->my_bdd_exp(), S(a));
  EXPECT_THROW(t->unify(t, &m), IllegalOperationException);
}

TEST_F(EquationTableTest, UnifyRejectsEquationsOfNoKind) {
  Signal* o = output("O");
  t->createEquation(o, new TrueExpression, &m);
  EquationTable* branch = t->duplicate(&m);
  status_eq(o)->setUserType(-1);
  try {
    t->unify(branch, &m);
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "EquationTable:unify");
    EXPECT_STREQ(e.argument_name(), "Bdd expression neither status nor value equation");
  }
}

TEST_F(EquationTableTest, CondConditionsOutputsAndPlainLocals) {
  Signal* a = input("A");
  Signal* c = input("C");
  Signal* o = output("O");
  Signal* l = local("L");
  Signal* x = wire("X");
  Signal* n = new Signal("N", &m, w);  // listed as local without the local flag
  m.addLocalSignal(n);
  for (Signal* s : {o, l, x, n}) t->createEquation(s, a, &m);
  l->newOccurrence(w, &m);
  t->createEquation(l, new TrueExpression, &m);  // occurrence 1
  t->cond(c, &m);

  bdd vc = V(c);
  EXPECT_EQ(status_eq(o)->my_bdd_exp(), w->Bdd_and(vc, S(a)));
  EXPECT_EQ(value_eq(o)->my_bdd_exp(), w->Bdd_and(vc, V(a)));
  EXPECT_EQ(w->slot(w->Index_var_by_name("_s_L"))->my_bdd_exp(), w->Bdd_and(vc, S(a)));
  EXPECT_EQ(w->slot(w->Index_var_by_name("_v_L"))->my_bdd_exp(), w->Bdd_and(vc, V(a)));
  EXPECT_EQ(status_eq(l)->my_bdd_exp(), vc);
  EXPECT_EQ(value_eq(l)->my_bdd_exp(), w->Bdd_zero());
  EXPECT_EQ(status_eq(x)->my_bdd_exp(), S(a));
  EXPECT_EQ(status_eq(n)->my_bdd_exp(), S(a));
}

TEST_F(EquationTableTest, PreOpensAndChainsNewOccurrences) {
  Signal* a = input("A");
  Signal* o = output("O");
  Signal* l = local("L");
  Signal* quiet = local("Q");  // no equations: passed over
  Signal* x = wire("X");
  Signal* d = local("D");
  d->is_value = true;
  for (Signal* s : {o, l, x, d}) t->createEquation(s, a, &m);

  // A system in which the outputs have no occurrence is left alone.
  Bddexpressionwood* elsewhere = new Bddexpressionwood();
  EquationTable other("", elsewhere);
  other.pre(&m);
  EXPECT_EQ(elsewhere->exp_number(), 0);
  m.getSignalManager()->deleteWood(elsewhere);

  t->pre(&m);
  for (Signal* s : {o, l}) {
    const std::string& n = s->getInternalName();
    EXPECT_EQ(s->getCurrentOccurrence(w), 1) << n;
    EXPECT_EQ(status_eq(s)->my_bdd_exp(), w->Bdd_zero()) << n;
    EXPECT_EQ(value_eq(s)->my_bdd_exp(), w->Bdd_zero()) << n;
    EXPECT_EQ(w->slot(w->Index_var_by_name("_s_" + n))->my_bdd_exp(), w->Bdd_or(S(a), var(w, "_s_" + n + "_1")));
    EXPECT_EQ(w->slot(w->Index_var_by_name("_v_" + n))->my_bdd_exp(), w->Bdd_and(V(a), var(w, "_v_" + n + "_1")));
  }
  for (Signal* s : {quiet, x, d}) EXPECT_EQ(s->getCurrentOccurrence(w), 0) << s->getInternalName();
}

TEST_F(EquationTableTest, PreLeavesSignalsThatTakeNoOccurrence) {
  Signal* a = input("A");
  Signal* n = new Signal("N", &m, w);  // listed as local, neither local nor output
  m.addLocalSignal(n);
  t->createEquation(n, a, &m);
  t->pre(&m);
  EXPECT_EQ(n->getCurrentOccurrence(w), 0);
  EXPECT_EQ(status_eq(n)->my_bdd_exp(), S(a));
  EXPECT_EQ(value_eq(n)->my_bdd_exp(), V(a));
}

TEST_F(EquationTableExitTest, PreWithoutOutputEquationEndsTheProcess) {
  output("O");
  EXPECT_LIBRARY_EXIT(t->pre(&m), 1, "undefined equation for status of :O\n");
}

TEST_F(EquationTableTest, CallPertOnAnAcyclicSystem) {
  Signal* a = input("A");
  Signal* o = output("O");
  Signal* p = output("P");
  t->createEquation(o, a, &m);
  t->createEquation(p, o, &m);
  testing::internal::CaptureStderr();
  long levels = t->callPert();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(levels, 3);
  EXPECT_EQ(status_eq(o)->getEarlyDate(), 1);
  EXPECT_EQ(status_eq(p)->getEarlyDate(), 2);
  std::list<long> order = {o->getBddStatusId(&m, w)};
  EXPECT_EQ(t->callPert(order), 3);
}

TEST_F(EquationTableExitTest, CallPertOnACycleEndsTheProcess) {
  Signal* x = output("X");
  Signal* y = output("Y");
  t->createEquation(x, y, &m);
  t->createEquation(y, x, &m);
  RecordedBoxes boxes;  // the report's box must not wait for a click
  // What happened first, then the equations of the path.
  EXPECT_LIBRARY_EXIT(t->callPert(), 1,
                      "detecting variables in a dependance cycle:\n(.|\n)*<X> [^\n]*\n\n<Y> [^\n]*\n\n\n");
}

TEST_F(EquationTableTest, ComputeDependenceWithoutCycle) {
  // A chain of diamonds: every variable is reached along 2^k paths.
  std::vector<Signal*> top = {input("I")};
  for (int k = 0; k < 40; ++k) {
    Signal* l = output("L" + std::to_string(k));
    Signal* r = output("R" + std::to_string(k));
    t->createEquation(l, top.back(), &m);
    t->createEquation(r, new NotExpression(top.back()), &m);
    Signal* j = output("J" + std::to_string(k));
    t->createEquation(j, new AndExpression(l, r), &m);
    top.push_back(j);
  }
  std::list<long> path = {top.back()->getBddStatusId(&m, w)};
  std::list<long> before = path;
  EXPECT_EQ(t->computeDependence(path), "");
  EXPECT_EQ(path, before);
  std::list<long> none;
  EXPECT_EQ(t->computeDependence(none), "");
}
