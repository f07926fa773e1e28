// Statement trees built by the source reader: names and counters, flat parallels and
// sequences, wait n, valued emissions, automata and Mealy machines; then whole sources
// compiled and run reaction by reaction, with colours worked by hand.
#include <gtest/gtest.h>

#include <string>

#include "compilation.h"
#include "expression.h"
#include "g_messages.h"
#include "library_exit.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "source_harness.h"
#include "statement_automaton.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

namespace {

// A condition or right part as a prefix text: signals by internal name.
std::string printed(Expression* e) {
  if (auto* s = dynamic_cast<Signal*>(e)) return s->getInternalName();
  if (auto* b = dynamic_cast<OrExpression*>(e)) return "(or " + printed(b->getLeft()) + " " + printed(b->getRight()) + ")";
  if (auto* b = dynamic_cast<AndExpression*>(e))
    return "(and " + printed(b->getLeft()) + " " + printed(b->getRight()) + ")";
  if (auto* u = dynamic_cast<NotExpression*>(e)) return "(not " + printed(u->getExpr()) + ")";
  if (auto* u = dynamic_cast<NpExpression*>(e)) return "(np " + printed(u->getExpr()) + ")";
  if (e->isTrueExpr()) return "1";
  if (e->isFalseExpr()) return "0";
  if (e->isBottomExpr()) return "~";
  return "?";
}

std::string num(const std::string& prefix, int n) { return prefix + "_" + std::to_string(n); }

template <class T>
T* as(Statement* s) {
  T* t = dynamic_cast<T*>(s);
  EXPECT_NE(t, nullptr) << (s != nullptr ? s->getName() : "null");
  return t;
}

bool contains(const std::list<Signal*>* list, Signal* s) {
  for (Signal* x : *list)
    if (x == s) return true;
  return false;
}

std::string dataDir() {
  std::string f = __FILE__;
  return f.substr(0, f.find_last_of('/')) + "/data/jx/";
}

const char* kData = "data: Type: int; Constant: int x; int 3; end data\n";

}  // namespace

TEST(JxStatements, ParallelsAndSequencesAreFlatAndNamedByTheirCounters) {
  int pn = Module::ParallelNumber;
  int sn = Module::SequenceNumber;
  int w = Module::WaitNumber;
  int n = Module::NothingNumber;
  SourceHarness src(
      "module F: Input: I;\n{nothing || nothing} || nothing end\n"
      "module G: Input: I;\nnothing || {nothing || nothing} end\n"
      "module H: Input: I;\nwait 3 I >> nothing >> wait 1 I end\n");

  auto* f = as<Pn>(src.module("F")->getStatement());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->getName(), num("FPn", pn));
  EXPECT_EQ(f->getModule(), nullptr);
  ASSERT_EQ(f->children.size(), 3u);
  EXPECT_EQ(f->children[2]->getName(), num("FN", n + 2));
  EXPECT_EQ(f->children[0]->getModule(), src.module("F"));

  auto* g = as<Pn>(src.module("G")->getStatement());
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->children.size(), 2u);
  EXPECT_EQ(g->getName(), num("GPn", pn + 2));  // the inner parallel is read first
  auto* inner = as<Pn>(g->children[1]);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->getName(), num("GPn", pn + 1));
  EXPECT_EQ(inner->children.size(), 2u);

  // wait 3 I: an Sn named before its three waits, which share one condition; the
  // sequence after it joins the same Sn.
  auto* h = as<Sn>(src.module("H")->getStatement());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->getName(), num("HSn", sn));
  ASSERT_EQ(h->children.size(), 5u);
  Expression* condition = nullptr;
  for (int i = 0; i < 3; ++i) {
    auto* wait = as<Wait>(h->children[static_cast<size_t>(i)]);
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->getName(), num("HW", w + i));
    EXPECT_EQ(wait->getModule(), nullptr);
    if (i == 0) condition = wait->condition;
    EXPECT_EQ(wait->condition, condition);
  }
  EXPECT_EQ(condition, src.module("H")->getInputSignalList()->front());
  auto* single = as<Wait>(h->children[4]);
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(single->getName(), num("HW", w + 3));
  EXPECT_EQ(single->getModule(), src.module("H"));
  EXPECT_EQ(Module::SequenceNumber, sn + 1);
}

TEST(JxStatements, ConditionsValuesAndTheirSignals) {
  int pr = Module::PresentNumber;
  SourceHarness src(std::string(kData) +
                    "module M: Input: I, J; Output: O: int, P;\n"
                    "present I nothing >> present (I and not J) or abs TT nothing >> if x == 3 emit O(x) else nothing\n"
                    ">> sustain O(x) until J >> local L: int { sustain L(x) until FF >> weak abort { halt } when I }\n"
                    ">> strong abort { noemit P } when J >> loop { pause }\nend\n");
  Module* m = src.module("M");
  auto* seq = as<Sn>(m->getStatement());
  ASSERT_NE(seq, nullptr);
  ASSERT_EQ(seq->children.size(), 7u);
  EXPECT_EQ(seq->children[0]->getName(), num("MPR", pr));
  auto* complex = as<Present>(seq->children[1]);
  EXPECT_EQ(printed(complex->condition), "(or (and I (np J)) (not 1))");
  // 'if' shares the present counter; its condition is a valued input among the data signals.
  auto* branch = as<Present>(seq->children[2]);
  EXPECT_EQ(branch->getName(), num("MIF", pr + 2));
  auto* bound = dynamic_cast<Signal*>(branch->condition);
  ASSERT_NE(bound, nullptr);
  EXPECT_TRUE(bound->is_input);
  EXPECT_TRUE(contains(m->getDataSignalList(), bound));
  // An emitted value is a local; a sustained output's value is an output.
  auto* emit = as<Emit>(branch->then_branch);
  ASSERT_NE(emit->value_signal, nullptr);
  EXPECT_TRUE(emit->value_signal->is_local);
  EXPECT_TRUE(contains(m->getLocalSignalList(), emit->value_signal));
  auto* sustain = as<SustainUntil>(seq->children[3]);
  ASSERT_NE(sustain->value_signal, nullptr);
  EXPECT_TRUE(sustain->value_signal->is_output);
  EXPECT_TRUE(contains(m->getOutputSignalList(), sustain->value_signal));
  EXPECT_EQ(sustain->condition, m->getInputSignalList()->back());
  // A sustained local's value is a local.
  auto* local = as<Local>(seq->children[4]);
  auto* inner = as<Sn>(local->getBody());
  auto* local_sustain = as<SustainUntil>(inner->children[0]);
  EXPECT_EQ(local_sustain->signal, local->getSignalList()->front());
  EXPECT_TRUE(local_sustain->value_signal->is_local);
  EXPECT_FALSE(local_sustain->value_signal->is_output);
  EXPECT_EQ(as<Abort>(inner->children[1])->getName().substr(0, 3), "MA_");
  EXPECT_EQ(as<StrongAbort>(seq->children[5])->getName().substr(0, 4), "MSA_");
  EXPECT_EQ(as<Loop>(seq->children[6])->getName().substr(0, 3), "ML_");
}

TEST(JxStatements, AutomatonStatesAndEveryTransitionKind) {
  int trans = Module::TransitionNumber;
  SourceHarness src(std::string(kData) +
                    "module A: Input: I; Output: O: int, P;\n"
                    "automaton geometry: <1, 2>\n"
                    "state: S1 / P, O(x) geometry: <1.5, 2> 3.0;\n"
                    "state: S2 final run Sub [I \\ J];\n"
                    "transition:\n"
                    "initial -> S1;\n"
                    "S1 [I] / O(3) strong-> S2 geometry: <4, 5>;\n"
                    "S1 [value: x == 3] weak-> S3;\n"
                    "S3 [] normalterm-> ;\n"
                    "final S2;\n"
                    "end\n");
  Module* m = src.module("A");
  auto* a = as<Automaton>(m->getStatement());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->getModule(), m);
  ASSERT_EQ(a->state_table->size(), 3u);
  State* s1 = a->state_table->at("S1");
  State* s2 = a->state_table->at("S2");
  State* s3 = a->state_table->at("S3");
  // Moore outputs: P, then O and its value signal.
  ASSERT_EQ(s1->moore.size(), 3u);
  EXPECT_EQ(s1->moore[0]->getInternalName(), "P");
  EXPECT_EQ(s1->moore[1]->getInternalName(), "O");
  EXPECT_TRUE(s1->moore[2]->is_local);
  ASSERT_NE(s1->position, nullptr);
  EXPECT_EQ(s1->position[0], 1.5);
  EXPECT_EQ(s1->position[2], 3.0);
  EXPECT_TRUE(s2->final);
  ASSERT_NE(s2->run, nullptr);
  EXPECT_EQ(s2->run->called_name, "Sub");
  EXPECT_EQ(s2->run->renaming_table->at("J")->getInternalName(), "I");
  EXPECT_FALSE(s3->final);  // made by a transition

  std::vector<Transition*> t(a->transition_list->begin(), a->transition_list->end());
  ASSERT_EQ(t.size(), 5u);
  // An omitted state is null.
  EXPECT_TRUE(t[0]->initial);
  EXPECT_EQ(t[0]->source, nullptr);
  EXPECT_EQ(t[0]->target, s1);
  EXPECT_TRUE(t[0]->trigger->isTrueExpr());
  EXPECT_EQ(t[1]->kind, 1);
  EXPECT_EQ(t[1]->source, s1);
  EXPECT_EQ(t[1]->target, s2);
  EXPECT_EQ(t[1]->trigger, m->getInputSignalList()->front());
  ASSERT_EQ(t[1]->actions->size(), 2u);
  ASSERT_NE(t[1]->position, nullptr);
  EXPECT_EQ(t[1]->position->second, 5.0);
  EXPECT_EQ(t[2]->kind, 2);
  auto* value = dynamic_cast<Signal*>(t[2]->trigger);
  ASSERT_NE(value, nullptr);
  EXPECT_TRUE(value->is_input);
  EXPECT_TRUE(contains(m->getDataSignalList(), value));
  EXPECT_EQ(Module::TransitionNumber, trans + 1);
  EXPECT_EQ(t[3]->kind, 3);
  EXPECT_EQ(t[3]->source, s3);
  EXPECT_EQ(t[3]->target, nullptr);
  EXPECT_TRUE(t[4]->final);
  EXPECT_EQ(t[4]->source, s2);
  EXPECT_EQ(t[4]->target, nullptr);
}

TEST(JxStatements, ParseErrorsOfStatements) {
  auto refused = [&](const std::string& text) {
    try {
      SourceHarness src(text);
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  // A state made by a transition and declared again, and a state declared twice.
  EXPECT_EQ(refused("module A: Input: I;\nautomaton state: X; state: X; transition: X -> Y; end"),
            "ERROR: two states or more have the same name: X\n\nAbortion ...");
  EXPECT_EQ(refused("module A: Input: I;\nlocal L { automaton state: X; transition: X -> X; } >> nothing end"),
            "accepted");
  EXPECT_THROW(SourceHarness("module M: Input: I;\nwait 0 I end"), BadValueNumberWaitException);
  EXPECT_THROW(SourceHarness("module M: Output: O;\nautomaton state: X / Z; transition: X; end"),
               ModuleUnknownSignalException);
  EXPECT_THROW(SourceHarness("module M: Output: O;\nMealy Machine O = 2; end"), StatementSignalException);
  EXPECT_THROW(SourceHarness("module M: Input: I;\nrun Sub [I \\ A, I \\ A] end"), HashTableAddException);
}

TEST(JxStatements, MealyEquationsExpandAndValuedLeftSidesGetTheirSignals) {
  SourceHarness src(std::string(kData) +
                    "module M: Input: I, J; Output: O: int, P;\n"
                    "Mealy Machine Register: r : 1 : rn;\n"
                    "rn = I xor J; P = I nor r; O(x) = I nand 0; P = not (abs J) and 1;\nend\n");
  Module* m = src.module("M");
  auto* mm = as<MealyMachine>(m->getStatement());
  ASSERT_NE(mm, nullptr);
  auto eq = [&](const std::string& name) { return printed(mm->machine_table->at(name)->getExpression()); };
  EXPECT_EQ(eq("rn"), "(or (and I (not J)) (and (not I) J))");
  EXPECT_EQ(eq("P"), "(and (np (not J)) 1)");  // the later equation of P replaces the earlier one
  EXPECT_EQ(eq("O"), "(or (not I) (not 0))");
  // O(x): a second equation, of O's value signal, an output, with the same right part.
  ASSERT_EQ(mm->machine_table->size(), 4u);
  Signal* value = m->getOutputSignalList()->back();
  EXPECT_TRUE(value->is_output);
  EXPECT_NE(value->getInternalName(), "P");
  EXPECT_EQ(mm->machine_table->at(value->getInternalName())->getExpression(),
            mm->machine_table->at("O")->getExpression());
  EXPECT_THROW(SourceHarness("module N: Input: I;\nMealy Machine I = I and X; end"), StatementSignalException);
}

TEST(JxStatementsExitTest, DuplicateStateEndsTheProcess) {
  std::string file = dataDir() + "duplicate_state.jx";
  forms_set_sink(forms_stderr_sink());
  EXPECT_LIBRARY_EXIT(Compilation::jx_parse(file.c_str()), 1,
                      "^ERROR: two states or more have the same name: X\n\nAbortion \\.\\.\\.\n");
  forms_reset_sink();
}
