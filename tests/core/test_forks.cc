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
#include "statement_control.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

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

namespace {

// Compiles its child, then throws, as a branch whose compile fails part-way does.
class ThrowsAfter : public Statement {
 public:
  ThrowsAfter(const std::string& n, Module* m, Statement* child) : Statement(n, m), child(child) {}
  void compile(Module* m, EquationTable* t) override {
    child->compile(m, t);
    throw IllegalOperationException("ThrowsAfter::compile", "thrown");
  }
  bool reincarnate() override { return false; }
  Statement* child;
};

}  // namespace

// A branch that throws part-way through its compile, in a fork nested in another (a parallel,
// a flat parallel, a present's else branch), inside a strong abort (which keeps the
// definitions the body may change while it compiles) or not: the exception reaches the caller,
// and no copy's manager outlives a handle into it (a debug build checks each one's count).
TEST(Forks, ExceptionInANestedForkReachesTheCaller) {
  for (int shape = 0; shape < 8; ++shape) {
    SCOPED_TRACE("shape " + std::to_string(shape));
    ReactionHarness h;
    Module* m = h.module();
    Signal* i = h.input("I");
    Signal* o = h.output("O");
    Signal* p = h.output("P");
    Signal* q = h.output("Q");
    auto emit = [&](Signal* s) { return new Emit(h.name("E"), m, s); };
    auto seq = [&](Statement* a, Statement* b) { return new Sequence(h.name("Q"), m, a, b); };
    Statement* failing = new ThrowsAfter(h.name("T"), m, seq(emit(q), seq(new Pause(h.name("PS"), m), emit(o))));
    if (shape >= 4) failing = new StrongAbort(h.name("A"), m, i, seq(emit(p), failing));
    Statement* inner = nullptr;
    if (shape % 4 == 0) inner = new Parallel(h.name("Par"), m, emit(p), failing);
    if (shape % 4 == 1) inner = new Pn(h.name("Pn"), m, {emit(p), emit(o), failing});
    if (shape % 4 == 2) inner = new Present(h.name("Pr"), m, i, emit(p), failing);
    if (shape % 4 == 3) inner = new Parallel(h.name("Par"), m, failing, emit(p));
    Statement* body = new Parallel(h.name("Par"), m, emit(o), seq(emit(q), inner));
    EXPECT_THROW(h.compile(body), IllegalOperationException);
  }
}
