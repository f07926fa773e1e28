#include "library_exit.h"
#include "module_signal.h"

#include <gtest/gtest.h>

#include <list>
#include <sstream>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "module.h"
#include "illegal_text.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {

class SignalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m = new Module("M");
    w = m->getBddWood();
    sm = m->getSignalManager();
  }
  std::string var(long id) { return w->Name_var_by_index(id); }

  Module* m;
  Bddexpressionwood* w;
  SignalManager* sm;
};

TEST_F(SignalTest, OccurrencesAndVariablesInCreationOrder) {
  long before = w->Nb_bdd_vars();
  Signal* a = new Signal("A", m, w);
  a->is_local = true;
  EXPECT_EQ(a->getName(m, w), "A");
  EXPECT_EQ(a->getBddStatusId(m, w), before);
  EXPECT_EQ(a->getBddValueId(m, w), before + 1);
  EXPECT_EQ(a->getStatusName(m), "_s_A");
  EXPECT_EQ(a->getValueName(m), "_v_A");

  EXPECT_EQ(a->newOccurrence(w, m), a);
  EXPECT_EQ(a->getCurrentOccurrence(w), 1);
  EXPECT_EQ(a->getName(m), "A_1");
  EXPECT_EQ(var(before + 2), "_s_A_1");
  EXPECT_EQ(var(before + 3), "_v_A_1");
  EXPECT_TRUE(sm->getSignalRefByName("A_1")->isPre());
  EXPECT_FALSE(sm->getSignalRefByName("A")->isPre());

  a->newOccurrence(w, m);
  EXPECT_EQ(a->getAllBddId(m, w),
            (std::list<long>{before, before + 1, before + 2, before + 3, before + 4, before + 5}));

  // Rails follow the highest defined occurrence, ids the recorded one.
  a->setCurrentOccurrence(w, 0);
  EXPECT_EQ(a->getBddStatusId(m, w), before);
  EXPECT_TRUE(a->getBddStatus(m, w) == w->Bdd_var_by_index(before + 4));
  EXPECT_TRUE(a->getInitialBddValue(m, w) == w->Bdd_var_by_index(before + 1));
  EXPECT_EQ(a->getCurrentSignalRef(w, m)->getCurrentName(), "A");
  // Reopening an occurrence that already has variables here is refused; the number stays raised.
  EXPECT_EQ(illegal([&] { a->newOccurrence(w, m); }),
            "Signal::newOccurrence: signal ref already exits for the current wood | A");
  EXPECT_EQ(a->getCurrentOccurrence(w), 1);

  Signal* in = new Signal("I", m, w);
  in->is_input = true;
  in->newOccurrence(w, m);
  EXPECT_EQ(in->getCurrentOccurrence(w), 0);
  EXPECT_EQ(illegal([&] { in->getAllBddId(m, w); }), "Signal::getAllBddId | I");
}

TEST_F(SignalTest, ConstructorsOnAnExistingName) {
  Signal* first = new Signal("A", m, w);
  long vars = w->Nb_bdd_vars();
  Signal* one = new Signal("A", m, w);
  EXPECT_EQ(one->getCurrentOccurrence(w), 0);
  Signal* two = new Signal("a", "A", m, w);
  Signal* reg = new Signal("A", m, w, true);
  EXPECT_EQ(w->Nb_bdd_vars(), vars);
  const std::string no_entry = "Signal:getCurrentOccurrence: no current occurrence for the considered wood | A";
  EXPECT_EQ(illegal([&] { two->getCurrentOccurrence(w); }), no_entry);
  EXPECT_EQ(illegal([&] { reg->getName(m); }), no_entry);
  EXPECT_TRUE(reg->is_wire && reg->is_register);
  EXPECT_EQ(illegal([&] { reg->setCurrentOccurrence(w, 2); }), "Signal::setCurrentOccurrence: no wood for signal | A");
  EXPECT_EQ(illegal([&] { reg->getBddValueId(m, w); }),
            "Signal::getBddValueId: no current occurrence for this wood | A");
  reg->extendCurrentOccurrenceTable(w, 0);
  EXPECT_EQ(reg->getBddValueId(m, w), first->getBddValueId(m, w));
}

TEST_F(SignalTest, OccurrenceNamesOfDifferentSignalsNeverShareVariables) {
  // S's occurrence 1 first, then a signal named S_1.
  Signal* s = new Signal("S", m, w);
  s->is_local = true;
  s->newOccurrence(w, m);
  Signal* s1 = new Signal("S_1", m, w);
  s1->is_local = true;
  EXPECT_NE(s1->getBddStatusId(m, w), s->getBddStatusId(m, w));
  EXPECT_EQ(s1->getName(m), "S_1__0");
  EXPECT_EQ(s1->getStatusName(m), "_s_S_1__0");
  EXPECT_EQ(s->getName(m), "S_1");
  EXPECT_EQ(sm->getSignalRefByOccurrence(s1, 0)->getInternalName(), "S_1");
  EXPECT_EQ(sm->getSignalRefById(s1->getBddValueId(m, w), w)->getInternalName(), "S_1");

  // The other order: a signal T_1, then T's occurrence 1; then T_1's own occurrence 1.
  Signal* t1 = new Signal("T_1", m, w);
  t1->is_local = true;
  Signal* t = new Signal("T", m, w);
  t->is_local = true;
  t->newOccurrence(w, m);
  EXPECT_EQ(t->getName(m), "T__1");
  EXPECT_EQ(t1->getName(m), "T_1");
  EXPECT_NE(t->getBddStatusId(m, w), t1->getBddStatusId(m, w));
  t1->newOccurrence(w, m);
  EXPECT_EQ(t1->getName(m), "T_1_1");
  EXPECT_EQ(t->getAllBddId(m, w).size(), 4u);
  EXPECT_EQ(sm->getCurrentOccurrence(t, w)->getCurrentName(), "T__1");
  // Names that cannot clash keep the usual form.
  EXPECT_EQ(s->getAllBddId(m, w).back(), w->Index_var_by_name("_v_S_1"));
}

TEST_F(SignalTest, CopiesShareOrOwnTheirOccurrences) {
  Signal* a = new Signal("A", m, w);
  a->is_local = true;
  a->is_data = true;
  a->setValueType("int", m);
  auto* d = static_cast<Signal*>(a->duplicate());
  EXPECT_TRUE(d->is_data && d->is_local);
  d->newOccurrence(w, m);
  EXPECT_EQ(a->getCurrentOccurrence(w), 1);
  EXPECT_EQ(a->getValueType(m), "int");  // the new occurrence keeps the value type
  EXPECT_TRUE(a->isValued(m));
  a->newOccurrence(w, m);

  // Into another module, twice: the second copy reuses the references.
  Module* m2 = new Module("N");
  Signal* c = new Signal(*a, m2, m);
  EXPECT_NE(c->occurrence_table, a->occurrence_table);
  EXPECT_EQ(c->getCurrentOccurrence(m2->getBddWood()), 2);
  EXPECT_EQ(c->getValueType(m2), "int");
  EXPECT_TRUE(m2->getSignalManager()->getSignalRefByName("A_2")->isPre());
  Signal* again = nullptr;
  EXPECT_NO_THROW(again = new Signal(*a, m2, m));
  EXPECT_EQ(again->getAllBddId(m2, m2->getBddWood()), c->getAllBddId(m2, m2->getBddWood()));
  EXPECT_TRUE(c->is_data);
}

TEST_F(SignalTest, MissingReferencesAndWoods) {
  Signal* a = new Signal("A", m, w);
  a->is_output = true;
  // A second equation system where A has an occurrence entry but no variables: ids are -1.
  auto* other = new Bddexpressionwood();
  a->extendCurrentOccurrenceTable(other, 0);
  EXPECT_EQ(a->getBddStatusId(m, other), -1);
  EXPECT_EQ(a->getInitialBddValueId(m, other), -1);
  EXPECT_EQ(illegal([&] { a->getBddStatus(m, other); }), "Signal::getBddStatus:no signal ref for signal | A");
  // An occurrence entry without reference.
  a->setCurrentOccurrence(w, 4);
  EXPECT_EQ(illegal([&] { a->getBddStatusId(m, w); }), "Signal::getBddStatusId: no ref for signal | A_4");
  EXPECT_EQ(illegal([&] { a->newOccurrence(w, m); }),
            "Signal::newOccurrence: no signal ref for the current occurrence | A");
  EXPECT_EQ(illegal([&] { a->getValueType(m); }), "Signal::getValueType: no signal ref for signal | A_4");
  EXPECT_EQ(illegal([&] { a->getAllBddId(m, w); }), " Signal::getAllBddId: Unknown Signal Ref | A");
  // In a module whose manager never saw A.
  Module* m2 = new Module("N");
  EXPECT_EQ(illegal([&] { a->getInitialBddStatusId(m2, w); }), "Signal::getBddStatusId:no signal ref for signal | A_4");
  EXPECT_EQ(illegal([&] { a->getInitialBddValue(m2, w); }), "Signal::getBddValue:no signal ref for signal | A_4");
}

TEST_F(SignalTest, KindsAndText) {
  Signal* s = new Signal("K", m, w);
  EXPECT_EQ(s->computeStatusType(), Compilation::STAT);
  s->is_wire = true;
  s->is_clock = true;
  EXPECT_EQ(s->computeValueType(), Compilation::VCLOCK);
  s->is_register = true;
  EXPECT_EQ(s->computeStatusType(), Compilation::SREG);
  s->is_input = true;
  EXPECT_EQ(s->computeStatusType(), Compilation::SINPUT);
  s->is_input = false;
  s->is_output = true;
  EXPECT_EQ(s->computeValueType(), Compilation::VOUTPUT);

  std::ostringstream os;
  os << static_cast<const Signal*>(s);
  EXPECT_EQ(os.str(), "{K}");
  os.str("");
  s->printSignalOccurrence(os);
  std::ostringstream expected;
  expected << "K:  wood:" << static_cast<const void*>(w) << "  nb occurrence:0; \n";
  EXPECT_EQ(os.str(), expected.str());
}

TEST_F(SignalTest, CurrentSignalRefIsFirstByName) {
  Signal* a = new Signal("A", m, w);
  a->is_local = true;
  for (int i = 0; i < 10; ++i) a->newOccurrence(w, m);
  auto* other = new Bddexpressionwood();
  sm->extendSignalRef(3, 4, sm->getSignalRefByName("A_10"), other);
  sm->extendSignalRef(5, 6, sm->getSignalRefByName("A_2"), other);
  a->extendCurrentOccurrenceTable(other, 10);
  EXPECT_EQ(a->getCurrentSignalRef(other, m)->getCurrentName(), "A_10");
  EXPECT_EQ(a->getCurrentSignalRef(w, m)->getCurrentName(), "A");
}

TEST_F(SignalTest, CurrentSignalRefWithoutReferenceIsFatal) {
  Signal* a = new Signal("A", m, w);
  auto* other = new Bddexpressionwood();
  a->extendCurrentOccurrenceTable(other, 0);
  EXPECT_LIBRARY_EXIT(a->getCurrentSignalRef(other, m), 1,
                      "Internal error in Signal::getCurrentSignalRef about A\nWood concernee:\n(.|\n)*"
                      "---------------------------------\nwood address:");
}

}  // namespace
