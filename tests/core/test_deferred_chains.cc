// Deferred or/and chains: a statement tree compiled with appends recorded as pending terms
// gives, equation by equation, the system of the eager build (every append folded at once),
// with the same dependences, readers, dates and reactions.
#include <gtest/gtest.h>

#include <list>
#include <map>
#include <set>
#include <string>

#include "Bddexpression.h"
#include "module.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "statement_control.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

namespace {

// Every equation of w by variable name: its function, its dependences and its readers
// (by name), and its latest date.
std::map<std::string, std::string> systemTexts(Bddexpressionwood* w) {
  std::map<std::string, std::string> texts;
  auto names = [w](const std::set<long>& ids) {
    std::string s;
    for (long id : ids) s += " " + w->Name_var_by_index(id);
    return s;
  };
  for (long id : w->ens_exp) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr || e->bdd_exp.node() == nullptr) continue;
    std::string f = w->man->Print_sop_to_String(" | ", "&", "!", "", e->bdd_exp, 0);
    texts[w->Name_var_by_index(id)] = f + " ; deps" + names(e->vars_dependance) + " ; readers" +
                                      names(w->readers(id)) + " ; late " + std::to_string(w->latest(id));
  }
  return texts;
}

struct Built {
  std::map<std::string, std::string> compiled, finalised;
  Trace trace;
};

// O and P emitted many times over pauses and waits, sustained until I, and emitted by both
// branches of a present and of a parallel, so that branch copies carry pending terms; then
// preemptions and a local scope in a loop.
Built build(bool deferred) {
  Bddexpression::defer_appends = deferred;
  ReactionHarness h;
  Module* m = h.module();
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  auto emit = [&](Signal* s) { return new Emit(h.name("E"), m, s); };
  auto pause = [&]() { return new Pause(h.name("PS"), m); };
  Sn* body = new Sn(h.name("Sn"), m);
  for (int round = 0; round < 3; ++round) {
    body->append(emit(o));
    body->append(new SustainUntil(h.name("SU"), m, p, i));
    body->append(emit(p));
    body->append(new Present(h.name("Pr"), m, i, new Sequence(h.name("Q"), m, emit(o), emit(p)), emit(o)));
    body->append(pause());
    body->append(emit(o));
    body->append(new Parallel(h.name("Par"), m, emit(o), new Sequence(h.name("Q"), m, pause(), emit(o))));
    body->append(new Wait(h.name("W"), m, i));
    body->append(emit(p));
  }
  // A strong abort snapshots the equations its body changes; a doubled loop body chains
  // the second opening of a scope to the first one's occurrence.
  body->append(new StrongAbort(h.name("A"), m, i, new Sn(h.name("Sn"), m, {pause(), emit(o), pause(), emit(p)})));
  Signal* local = h.local("S");
  std::list<Signal*> scoped{local};
  Statement* aborted = new Abort(h.name("A"), m, i, new Sequence(h.name("Q"), m, pause(), emit(local)));
  Statement* tested = new Present(h.name("Pr"), m, local, emit(o), emit(p));
  body->append(new Loop(h.name("L"), m, new Local(h.name("Lo"), m, &scoped, new Sequence(h.name("Q"), m, aborted, tested))));
  Built b;
  h.compile(body);
  b.compiled = systemTexts(h.wood());
  h.finalize();
  b.finalised = systemTexts(h.wood());
  b.trace = h.run({"", "I=T", "", "", "I=T", "I=T", "", "I=T", "", "", "I=T", "", "I=T", "", "", "I=T", "", ""});
  Bddexpression::defer_appends = true;
  return b;
}

}  // namespace

TEST(DeferredChains, SystemEqualsTheEagerBuild) {
  // The doubled loop body takes its name from a process-wide counter: both builds start it
  // at the same value.
  auto first = Module::SequenceNumber;
  Built eager = build(false);
  Module::SequenceNumber = first;
  Built deferred = build(true);
  ASSERT_GT(eager.compiled.size(), 100u);
  EXPECT_EQ(deferred.compiled, eager.compiled);
  EXPECT_EQ(deferred.finalised, eager.finalised);
  EXPECT_EQ(deferred.trace, eager.trace);
  // O's first occurrence chains the later ones: the build did append pending terms.
  EXPECT_NE(eager.trace, Trace(eager.trace.size(), "O=B P=B"));
}
