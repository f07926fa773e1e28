// The checks that end an automaton's compilation (message box, standard error, exit 1),
// and the end-point codes of its transitions.
#include <gtest/gtest.h>

#include <string>

#include "automaton_builder.h"
#include "expression.h"
#include "library_exit.h"
#include "module.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "statement_automaton.h"
#include "statement_expr.h"
#include "statement_machine.h"
#include "test_scope.h"

namespace {

const char* const kAborted = "\n\n   --> compilation process aborted ...";

// s as a POSIX extended regular expression matching itself.
std::string literal(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

class AutomatonChecks : public ::testing::Test {
 protected:
  State* state(const std::string& n) { return addState(a, n); }
  Transition* arc(State* from, State* to, Expression* trigger, int kind = Transition::strong_kind) {
    return addArc(a, from, to, trigger, kind);
  }
  void determinism() { a->check_determinism(h.module(), h.wood()); }

  ReactionHarness h;
  Signal* i = h.input("I");
  Signal* j = h.input("J");
  Automaton* a = new Automaton("Au", h.module());
  RecordedBoxes boxes;
};

using AutomatonChecksExitTest = AutomatonChecks;

TEST_F(AutomatonChecksExitTest, SyntaxErrorsEndTheProcessWithTheirText) {
  State* f = state("F");
  f->final = true;
  f->moore.push_back(h.output("O"));
  f->run = new ::Run("R", h.module(), "M");  // the Moore message comes first
  EXPECT_LIBRARY_EXIT(a->check_syntax(), 1,
                      literal("ERROR: The FINAL state: \"F\" must not have one (or several) Moore action!" +
                      std::string(kAborted)));
  f->moore.clear();
  EXPECT_LIBRARY_EXIT(a->check_syntax(), 1,
                      literal("ERROR: The FINAL state: \"F\" must not run a module!" + std::string(kAborted)));
  f->run = nullptr;

  State* s = state("S");
  Transition* t = arc(f, s, i);
  EXPECT_LIBRARY_EXIT(a->check_syntax(), 1,
                      literal("ERROR: A transition beginning with the FINAL state: \"F\" had been detected!" +
                      std::string(kAborted)));
  t->source = nullptr;
  EXPECT_LIBRARY_EXIT(a->check_syntax(), 1,
                      literal("ERROR: A transition has no source state!" + std::string(kAborted)));
  t->source = s;
  t->target = f;
  t->kind = Transition::termination_kind;
  EXPECT_LIBRARY_EXIT(a->check_syntax(), 1,
                      literal("ERROR: TRIGGER in the Normal Terminaison transition from \"S\" is not supported!" +
                      std::string(kAborted)));
}

TEST_F(AutomatonChecks, AcceptsTerminationWithoutTriggerAndStartIntoFinal) {
  State* s = state("S");
  State* f = state("F");
  f->final = true;
  Transition* in = arc(nullptr, f, nullptr);
  in->initial = true;
  arc(s, f, nullptr, Transition::termination_kind);
  arc(s, f, new TrueExpression, Transition::termination_kind);
  a->check_syntax();
  EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(AutomatonChecksExitTest, OverlappingGuardsOfOneKindAreRejected) {
  State* s = state("S");
  State* u = state("U");
  arc(s, u, i);
  arc(s, s, stmt_expr::Or(i, j));
  EXPECT_LIBRARY_EXIT(determinism(), 1,
                      literal("ERROR: Non determinist automaton: Several possible transitions from state \"S\" " +
                      std::string(kAborted)));
}

TEST_F(AutomatonChecksExitTest, OverlappingStartTransitionsAreRejected) {
  State* s = state("S");
  State* u = state("U");
  for (State* to : {s, u}) arc(nullptr, to, i)->initial = true;
  EXPECT_LIBRARY_EXIT(determinism(), 1,
                      literal("Several possible transitions from state \"pre-existing\" "));
}

TEST_F(AutomatonChecks, DisjointGuardsOtherKindsAndFalseGuardsPass) {
  // a with not a; a strong and a weak transition on one guard; a constant-false guard
  // against the true one; start transitions on I and not I; an error or bottom trigger is
  // no four-valued true.
  State* s = state("S");
  State* u = state("U");
  arc(s, u, i);
  arc(s, s, stmt_expr::Not(i));
  arc(s, u, i, Transition::weak_kind);
  arc(s, s, stmt_expr::Not(i), Transition::weak_kind);
  arc(u, s, new FalseExpression);
  arc(u, s, new TrueExpression);
  arc(u, u, new ErrorExpression, Transition::weak_kind);
  arc(u, u, new BottomExpression, Transition::weak_kind);
  arc(u, s, new TrueExpression, Transition::weak_kind);
  arc(nullptr, s, i)->initial = true;
  arc(nullptr, u, stmt_expr::Not(i))->initial = true;
  determinism();
  EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(AutomatonChecks, EndPointCodesAndTheTerminatedCode) {
  // k = 3 for three states: a missing target is the terminated code 7, with a warning
  // unless the transition carries the final flag; a missing source is code 0.
  State* s = state("S");
  s->code = 2;
  arc(nullptr, s, i)->initial = true;
  arc(s, nullptr, i)->final = true;
  arc(s, nullptr, j);
  arc(nullptr, s, j);
  int codes[4][2];
  int n = 0;
  for (auto it = a->transition_list->begin(); it != a->transition_list->end(); ++it, ++n)
    ident_states_transitions(it, 3, &codes[n][0], &codes[n][1]);
  EXPECT_EQ(codes[0][0], 0);
  EXPECT_EQ(codes[0][1], 2);
  EXPECT_EQ(codes[1][0], 2);
  EXPECT_EQ(codes[1][1], 7);
  EXPECT_EQ(codes[2][1], 7);
  EXPECT_EQ(codes[3][0], 0);
  EXPECT_EQ(boxes.texts,
            (std::vector<std::string>{"PROBLEM DETECTED ABOUT FINAL STATE!!!", "PROBLEM DETECTED ABOUT FIRST STATE!!!"}));
}

}  // namespace
