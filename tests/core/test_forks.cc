// The branch copies of an equation system: a fork-heavy program reacts as worked by hand and
// leaves no trace of its copies once compiled; the check made before each copy still finds a
// signal without an occurrence table wherever it sits.
#include <gtest/gtest.h>

#include <list>
#include <string>

#include "Bddexpression.h"
#include "equationtable.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "source_harness.h"

namespace {

// Parallels in a present's else branch, in the branches of a Pn and in a loop, a local shared
// by branches: copies of copies, made and merged back at several depths.
const char* kForks =
    "module F: Input: I, J; Output: O, P, Q;\n"
    "loop { local S { {present I emit S else {pause >> emit S}} || {wait S >> emit O}"
    " || {present J {emit P || emit Q} else {pause >> {emit Q || pause >> emit P}}} } >> pause }\n"
    "end\n";

std::string missingTable(Module& m, EquationTable* t) {
  try {
    EquationTable* copy = t->duplicate(&m);
    m.getSignalManager()->deleteWood(copy->getBddexpressionWood());
    delete copy;
  } catch (const IllegalOperationException& e) {
    return e.argument_name();
  }
  return "";
}

}  // namespace

TEST(Forks, CompiledProgramKeepsOnlyItsOwnSystem) {
  SourceHarness source(kForks);
  ReactionHarness& h = source.build("F");
  Module* m = source.module("F");
  Bddexpressionwood* w = m->getBddWood();
  for (std::list<Signal*>* l : {m->getInputSignalList(), m->getOutputSignalList(), m->getLocalSignalList()})
    for (Signal* s : *l) {
      ASSERT_NE(s->occurrence_table, nullptr) << s->getInternalName();
      for (auto& entry : *s->occurrence_table) EXPECT_EQ(entry.first, w) << s->getInternalName();
    }
  SignalManager* sm = m->getSignalManager();
  for (auto& named : *sm->signalref_table)
    for (auto& ids : *named.second->getBddIdsWood()) EXPECT_EQ(ids.first, w) << named.first;
  ASSERT_EQ(sm->signalref_id_table->size(), 1u);
  EXPECT_EQ(sm->signalref_id_table->begin()->first, w);
  // R1 both else branches pause; R2 S ends the wait (O), Q; R3 P ends the parallel; R4 the
  // loop starts again with both then branches, S unseen by the new wait; R5 it waits.
  EXPECT_EQ(h.run({"I=F J=F", "", "", "I=T J=T", ""}),
            Trace({"O=B P=B Q=B", "O=T P=B Q=T", "O=B P=T Q=B", "O=B P=T Q=T", "O=B P=B Q=B"}));
}

TEST(Forks, CheckBeforeACopyFindsASignalWithoutTable) {
  Module m("T");
  EquationTable* t = m.getEquationTable();
  Signal* a = add_input(&m, "A");
  Signal* o = add_output(&m, "O");
  add_local(&m, "L");
  t->createEquation(o, a, &m);
  EXPECT_EQ(missingTable(m, t), "");

  // Put at the front of a list already checked.
  Signal* front = new Signal("Front", &m, m.getBddWood());
  front->occurrence_table = nullptr;
  m.getLocalSignalList()->push_front(front);
  EXPECT_EQ(missingTable(m, t), "Front");
  m.getLocalSignalList()->remove(front);
  EXPECT_EQ(missingTable(m, t), "");

  // A table dropped from a signal already checked.
  Signal* dropped = add_local(&m, "Dropped");
  EXPECT_EQ(missingTable(m, t), "");
  dropped->dropOccurrenceTable();
  EXPECT_EQ(missingTable(m, t), "Dropped");
}
