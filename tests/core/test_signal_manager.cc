#include "signal_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "module.h"
#include "illegal_text.h"
#include "sexception.h"

namespace {

class ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m = new Module("M");
    w = m->getBddWood();
    sm = m->getSignalManager();
  }
  Module* m;
  Bddexpressionwood* w;
  SignalManager* sm;
};

TEST_F(ManagerTest, ReferencesCreateOrReuseTheirVariables) {
  long n = w->Nb_bdd_vars();
  auto* r = new SignalRef("A", m, w);
  EXPECT_EQ(r->getBddStatusId(w), n);
  EXPECT_EQ(r->getBddValueId(w), n + 1);
  EXPECT_EQ(w->Name_var_by_index(n), "_s_A");
  EXPECT_EQ(r->getType(), "pure");
  EXPECT_EQ(sm->getSignalRefById(n + 1, w), r);
  EXPECT_EQ(sm->getSignalRefByName("A"), r);

  Module* m2 = new Module("N");
  auto* shared = new SignalRef("a", "A", m2, w, true);
  EXPECT_EQ(shared->getBddStatusId(w), n);
  EXPECT_TRUE(shared->isValued());
  EXPECT_EQ(w->Nb_bdd_vars(), n + 2);

  try {
    new SignalRef("A", m, w);
    FAIL();
  } catch (const HashTableAddException& e) {
    EXPECT_STREQ(e.name(), "A");
    EXPECT_STREQ(e.function_name(), "SignalManager::addSignalRef");
  }
  EXPECT_EQ(sm->getSignalRefByName("A"), r);
  EXPECT_EQ(sm->getSignalRefById(n, w), r);
}

TEST_F(ManagerTest, IdTableLookupsAndGrowth) {
  auto* r = new SignalRef("A", m, w);
  EXPECT_EQ(sm->getSignalRefById(-1, w), nullptr);
  EXPECT_EQ(sm->getSignalRefById(-3, w), nullptr);
  EXPECT_EQ(sm->getSignalRefById(w->Nb_bdd_vars(), w), nullptr);
  auto* other = new Bddexpressionwood();
  EXPECT_EQ(sm->getSignalRefById(0, other), nullptr);

  // Ids beyond the system's variable count grow the table instead of writing past it.
  sm->extendSignalRef(40, 41, r, other);
  EXPECT_EQ(sm->getSignalRefById(41, other), r);
  EXPECT_GE(sm->signalref_id_table->at(other)->getSize(), 42);
  auto* b = new SignalRef("B", m, w);
  EXPECT_EQ(illegal([&] { sm->addSignalRefIdTable(40, 7, b, other); }), "addSignalRef (excep1) | B");
  EXPECT_EQ(illegal([&] { sm->addSignalRefIdTable(7, 41, b, other); }), "addSignalRef (excep2) | B");
  EXPECT_EQ(sm->getSignalRefById(7, other), b);
  EXPECT_EQ(illegal([&] { sm->addSignalRefIdTable(-1, 8, b, other); }), "addSignalRef: negative variable id | B");
  sm->extendIdTable(other);
  EXPECT_EQ(sm->getSignalRefById(40, other), r);
}

TEST_F(ManagerTest, OccurrenceLookups) {
  Signal* a = new Signal("A", m, w);
  a->is_local = true;
  auto* other = new Bddexpressionwood();
  EXPECT_EQ(sm->getCurrentOccurrence(a, other), nullptr);
  a->newOccurrence(w, m);
  a->newOccurrence(w, m);
  EXPECT_EQ(sm->getCurrentOccurrence(a, w)->getCurrentName(), "A_2");
  EXPECT_EQ(sm->getSignalRefByOccurrence(a, 0)->getCurrentName(), "A");
  EXPECT_EQ(sm->getSignalRefByOccurrence(a, 3), nullptr);
  new SignalRef("A_0", m, w);
  EXPECT_EQ(sm->getSignalRefByOccurrence(a, 0)->getCurrentName(), "A");

  sm->extendSignalRef(0, 1, sm->getSignalRefByName("A_1"), other);
  EXPECT_EQ(sm->getCurrentOccurrence(a, other)->getCurrentName(), "A_1");
  std::unique_ptr<std::list<SignalRef*>> all(sm->getAllSignalRef(a, w));
  ASSERT_EQ(all->size(), 3u);
  EXPECT_EQ(all->back()->getCurrentName(), "A_2");
}

TEST_F(ManagerTest, DuplicateAndDeleteWood) {
  Signal* a = new Signal("A", m, w);
  Signal* b = new Signal("B", m, w);
  a->is_local = true;
  a->newOccurrence(w, m);
  auto* to = new Bddexpressionwood(w);
  sm->duplicate(to, w);
  for (long id = 0; id < w->Nb_bdd_vars(); ++id) EXPECT_EQ(sm->getSignalRefById(id, to), sm->getSignalRefById(id, w));
  EXPECT_EQ(illegal([&] { sm->duplicate(to, w); }), "SignalRef::addBddIds: wood already added | A");

  a->extendCurrentOccurrenceTable(to, 1);
  b->extendCurrentOccurrenceTable(to, 0);
  Signal copy(*b);
  Module* m2 = new Module("N");
  auto* foreign = new SignalRef("F", m2, to);
  sm->deleteWood(to);
  EXPECT_FALSE(foreign->isDefinedWood(to));
  EXPECT_EQ(m2->getSignalManager()->getSignalRefById(0, to), nullptr);
  EXPECT_NE(sm->getSignalRefByName("A_1"), nullptr);
  EXPECT_FALSE(sm->getSignalRefByName("A_1")->isDefinedWood(to));
  EXPECT_FALSE(sm->getSignalRefByName("B")->isDefinedWood(to));
  EXPECT_EQ(sm->signalref_id_table->count(to), 0u);
  // No signal keeps an entry for the destroyed system, shared tables included.
  EXPECT_EQ(a->occurrence_table->count(to), 0u);
  EXPECT_EQ(copy.occurrence_table->count(to), 0u);
  EXPECT_EQ(a->getCurrentOccurrence(w), 1);
  sm->deleteWood(nullptr);
}

// Nested copies of the system, with references and tables leaving in between: each system
// keeps exactly its own entries, with their values, whatever the order of the removals.
TEST_F(ManagerTest, NestedCopiesAndRemovalsKeepEachSystemsEntries) {
  std::vector<Signal*> signals;
  for (const char* name : {"A", "B", "C", "D", "E"}) signals.push_back(new Signal(name, m, w));
  signals[0]->is_local = true;
  signals[0]->newOccurrence(w, m);
  auto copy = [&](Bddexpressionwood* from) {
    auto* to = new Bddexpressionwood(from);
    sm->duplicate(to, from);
    Signal::copyWood(to, from);
    return to;
  };
  Bddexpressionwood* c1 = copy(w);
  Module* m2 = new Module("N");
  for (const char* name : {"X", "Y"}) {
    auto* r = new SignalRef(name, m2, w);
    m2->getSignalManager()->extendSignalRef(r->getBddStatusId(w), r->getBddValueId(w), r, c1);
  }
  signals[2]->dropOccurrenceTable();
  Bddexpressionwood* c2 = copy(c1);
  signals[1]->setCurrentOccurrence(c2, 4);
  delete m2;
  sm->deleteWood(c1);
  for (Signal* s : signals) {
    if (s->occurrence_table == nullptr) continue;
    EXPECT_EQ(s->occurrence_table->count(c1), 0u) << s->getInternalName();
    EXPECT_EQ(s->occurrence_table->at(c2), s == signals[1] ? 4 : s->getCurrentOccurrence(w)) << s->getInternalName();
  }
  for (auto& named : *sm->signalref_table) {
    SignalRef* r = named.second;
    EXPECT_FALSE(r->isDefinedWood(c1)) << named.first;
    EXPECT_EQ(r->getBddStatusId(c2), r->getBddStatusId(w)) << named.first;
    EXPECT_EQ(r->getBddValueId(c2), r->getBddValueId(w)) << named.first;
  }
  sm->deleteWood(c2);
  EXPECT_EQ(signals[0]->getCurrentOccurrence(w), 1);
  for (Signal* s : signals) {
    if (s->occurrence_table == nullptr) continue;
    EXPECT_EQ(s->occurrence_table->size(), 1u) << s->getInternalName();
  }
  for (auto& named : *sm->signalref_table) EXPECT_EQ(named.second->getBddIdsWood()->size(), 1u) << named.first;
}

// A copy reads its original's entries as they stood at the copy: what the original writes
// afterwards (a new occurrence, changed ids, entries made after the copy) stays the
// original's, what the copy writes stays the copy's, and a copy of the copy keeps reading
// the same values once the copy in between is gone.
TEST_F(ManagerTest, CopiesReadTheirOriginalAsItWasWhenCopied) {
  Signal* a = new Signal("A", m, w);
  Signal* b = new Signal("B", m, w);
  a->is_local = true;
  b->is_local = true;
  SignalRef* ra = sm->getSignalRefByOccurrence(a, 0);
  long sid = ra->getBddStatusId(w);
  auto copy = [&](Bddexpressionwood* from) {
    auto* to = new Bddexpressionwood(from, true);
    sm->duplicate(to, from);
    Signal::copyWood(to, from);
    return to;
  };
  Bddexpressionwood* c1 = copy(w);
  Bddexpressionwood* c2 = copy(c1);
  a->newOccurrence(w, m);
  ra->setBddStatusId(sid + 100, w);
  Signal* late = new Signal("L", m, w);
  b->newOccurrence(c1, m);
  Bddexpressionwood* c3 = copy(c1);
  b->newOccurrence(w, m);
  b->newOccurrence(w, m);

  EXPECT_EQ(a->getCurrentOccurrence(w), 1);
  EXPECT_EQ(b->getCurrentOccurrence(w), 2);
  for (Bddexpressionwood* c : {c1, c2, c3}) {
    EXPECT_EQ(a->getCurrentOccurrence(c), 0);
    EXPECT_EQ(ra->getBddStatusId(c), sid);
    EXPECT_EQ(late->occurrence_table->count(c), 0u);
    EXPECT_FALSE(sm->getSignalRefByName("L")->isDefinedWood(c));
    EXPECT_FALSE(sm->getSignalRefByName("A_1")->isDefinedWood(c));
  }
  EXPECT_EQ(b->getCurrentOccurrence(c1), 1);
  EXPECT_EQ(b->getCurrentOccurrence(c2), 0);
  EXPECT_EQ(b->getCurrentOccurrence(c3), 1);
  EXPECT_TRUE(sm->getSignalRefByName("B_1")->isDefinedWood(c3));
  EXPECT_FALSE(sm->getSignalRefByName("B_1")->isDefinedWood(c2));
  EXPECT_EQ(Signal::occurrencesWritten(c2).size(), 0u);

  sm->deleteWood(c1);
  EXPECT_EQ(b->getCurrentOccurrence(c2), 0);
  EXPECT_EQ(b->getCurrentOccurrence(c3), 1);
  EXPECT_EQ(ra->getBddStatusId(c3), sid);
  EXPECT_FALSE(sm->getSignalRefByName("A_1")->isDefinedWood(c3));
  b->newOccurrence(c3, m);
  EXPECT_EQ(b->getCurrentOccurrence(c3), 2);
  sm->deleteWood(c3);
  sm->deleteWood(c2);
  for (Signal* s : {a, b, late}) EXPECT_EQ(s->occurrence_table->size(), 1u) << s->getInternalName();
  for (auto& named : *sm->signalref_table) EXPECT_LE(named.second->getBddIdsWood()->size(), 1u) << named.first;
}

TEST_F(ManagerTest, ReferenceIdsAndTexts) {
  auto* r = new SignalRef("o", "I", "I_3", 3, m, w);
  EXPECT_EQ(r->getCurrentOccurrence(), 3);
  EXPECT_EQ(w->Name_var_by_index(r->getBddValueId(w)), "_v_I_3");
  auto* other = new Bddexpressionwood();
  EXPECT_EQ(illegal([&] { r->getBddStatusId(other); }), "SignalRef::getBddStatusId:unknown wood | I_3");
  EXPECT_EQ(illegal([&] { r->getBddValueId(other); }), "SignalRef::getBddValueId:unknown wood | I_3");
  EXPECT_EQ(illegal([&] { r->setBddStatusId(1, other); }), "SignalRef::setBddStausId: wood not found | (none)");
  EXPECT_EQ(illegal([&] { r->setBddValueId(1, other); }), "SignalRef::setBddValueId: wood not found | (none)");
  r->addBddIds(5, 6, other);
  r->setBddValueId(9, other);
  EXPECT_EQ(r->getBddValueId(other), 9);

  std::ostringstream os;
  os << *r;
  std::ostringstream expected;
  expected << "\nSignal Ref:original: o  internal:  I  current:  I_3\n";
  // Entries in table (address) order.
  for (auto& e : *r->getBddIdsWood())
    expected << "Bdd ids for wood:" << static_cast<const void*>(e.first) << " : (" << e.second.first << ", "
             << e.second.second << ")\n";
  EXPECT_EQ(os.str(), expected.str());

  SignalManager empty;
  os.str("");
  empty.printSignalTableByName(os);
  empty.printSignalTableById(os);
  EXPECT_EQ(os.str(), "");
  os.str("");
  sm->printSignalTableById(os);
  std::ostringstream by_id;
  by_id << "wood address:" << static_cast<const void*>(w) << ":\n"
        << r->getBddStatusId(w) << ": current: I_3  internal:I original: o\n"
        << r->getBddStatusId(w) + 1 << ": current: I_3  internal:I original: o\n";
  EXPECT_EQ(os.str(), by_id.str());
  os.str("");
  sm->printSignalTableByName(os);
  std::ostringstream by_name;
  by_name << "I_3:" << *r;
  EXPECT_EQ(os.str(), by_name.str());
}

}  // namespace
