// The simulator's engine: colours, the value-server requests of data expressions (checked
// against a loopback test value server), and reactions over hand-built modules worked by
// hand: registers, an error output, valued signals and data-defined conditions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "evaluation.h"
#include "expression.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "value_server.h"

namespace {

DataValue* lit(const std::string& text, const std::string& type = "int") {
  DataValue* v = new DataValue(text);
  v->setType(type);
  return v;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_methods = Compilation::GDataMethodTable;
    saved_constants = Compilation::GDataConstantTable;
    Compilation::GDataMethodTable = new DataMethodTable();
    Compilation::GDataMethodTable->addMethod(new MethodDecl(&int_type, &twice_name, nullptr));
    Compilation::GDataMethodTable->addMethod(new MethodDecl(&int_type, &now_name, nullptr));
    Compilation::GDataConstantTable = new DataConstantTable();
    Compilation::GDataConstantTable->addConstant(new ConstantDecl("int", "K"));
    Compilation::GDataConstantTable->addConstant(
        new ConstantDecl("int", "K2", new DataBinaryOp(DataExpr::Plus, new DataConstant(0), lit("1"))));
    m = new Module("M");
    w = m->getBddWood();
    add_wires(m);
  }
  void TearDown() override {
    Compilation::GDataMethodTable = saved_methods;
    Compilation::GDataConstantTable = saved_constants;
  }
  Signal* input(const std::string& n) { return add_input(m, n); }
  Signal* output(const std::string& n) { return add_output(m, n); }
  Signal* local(const std::string& n) { return add_local(m, n); }
  void date() { m->getEquationTable()->callPert(); }
  // O := A and Set, two reactions' worth of context captured by colour.
  std::string colours(Simulation& sim, const std::vector<Signal*>& signals) {
    std::string out;
    for (Signal* s : signals) out += std::string(out.empty() ? "" : " ") + colourName(sim.colourOf(s));
    return out;
  }

  std::string int_type = "int";
  std::string twice_name = "twice";
  std::string now_name = "now";
  DataMethodTable* saved_methods = nullptr;
  DataConstantTable* saved_constants = nullptr;
  Module* m = nullptr;  // never freed: signals keep pointers into it
  Bddexpressionwood* w = nullptr;
};

// ----- colours -----

TEST(Colours, PairsNamesAndInputPairs) {
  EXPECT_EQ(colourOfPair(1, 0), Colour::Bleu);
  EXPECT_EQ(colourOfPair(0, 1), Colour::Jaune);
  EXPECT_EQ(colourOfPair(1, 1), Colour::Vert);
  EXPECT_EQ(colourOfPair(0, 0), Colour::Noir);
  EXPECT_EQ(colourOfPair(2, 0), Colour::Rouge);
  EXPECT_EQ(colourOfPair(1, 2), Colour::Rouge);
  EXPECT_STREQ(colourName(Colour::Bleu), "bleu");
  EXPECT_STREQ(colourName(Colour::Jaune), "jaune");
  EXPECT_STREQ(colourName(Colour::Vert), "vert");
  EXPECT_STREQ(colourName(Colour::Noir), "noir");
  EXPECT_STREQ(colourName(Colour::Rouge), "rouge");
  EXPECT_EQ(pairOfColour(Colour::Vert), std::make_pair(1, 1));
  EXPECT_EQ(pairOfColour(Colour::Rouge), std::make_pair(0, 0));
}

// ----- requests of data expressions -----

TEST_F(EngineTest, RequestsAreSentInnermostFirstWithExactTexts) {
  ValueServer vs;
  ASSERT_NE(vs.client(), nullptr);
  DataSimulMap constants;
  for (ConstantDecl* c : *Compilation::GDataConstantTable->getConstantList())
    constants[c->getName()] = std::make_pair(c->getValue(), std::string());
  DataSimulValueMap values;
  socket_type* s = vs.client();
  testing::internal::CaptureStderr();
  // A literal sends nothing.
  EXPECT_EQ(lit("5")->Simul_put(m, &constants, &values, nullptr, s), "5");
  // No argument: a trailing comma.
  EXPECT_EQ(DataMethodCall(1, nullptr).Simul_put(m, &constants, &values, nullptr, s), "12");
  // The method's reply goes verbatim into the enclosing request.
  auto* args = new std::list<DataExpr*>{lit("4")};
  DataBinaryOp bop(DataExpr::Plus, new DataMethodCall(0, args), lit("1"));
  EXPECT_EQ(bop.Simul_put(m, &constants, &values, nullptr, s), "9");
  DataUnaryOp neg(DataExpr::Uminus, lit("3"));
  EXPECT_EQ(neg.Simul_put(m, &constants, &values, nullptr, s), " -3");
  // A server constant is asked once; K2's value comes from its expression.
  DataBinaryOp kk(DataExpr::Mult, new DataConstant(0), new DataConstant(0));
  EXPECT_EQ(kk.Simul_put(m, &constants, &values, nullptr, s), "49");
  EXPECT_EQ(DataConstant(1).Simul_put(m, &constants, &values, nullptr, s), "8");
  // Different type names: the server answers "--".
  DataBinaryOp mixed(DataExpr::Eq, lit("1"), lit("1", "num"));
  EXPECT_EQ(mixed.Simul_put(m, &constants, &values, nullptr, s), "--");
  // A comma inside a value would shift the fields: not sent.
  DataBinaryOp comma(DataExpr::Plus, lit("1,2"), lit("1"));
  EXPECT_EQ(comma.Simul_put(m, &constants, &values, nullptr, s), "--");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("***error: DataExpr::Simul_put: request not sent"), std::string::npos);
  std::vector<std::string> expected{"MC,now,",
                                    "MC,twice,4",
                                    "BOP,8,int, + ,1,int",
                                    "UOP, -,3,int",
                                    "CONST,K",
                                    "BOP,7,int, * ,7,int",
                                    "BOP,7,int, + ,1,int",
                                    "BOP,1,int, == ,1,num"};
  EXPECT_EQ(vs.requests(), expected);
  EXPECT_EQ(constants["K"].second, "7");
  EXPECT_EQ(constants["K2"].second, "8");
}

TEST_F(EngineTest, SignalValuesAndTheirBindings) {
  Signal* a = input("A");
  a->setValueType("int", m);
  Signal* c = output("C");
  c->setValueType("int", m);
  Signal* e = m->addSignalBinding(lit("33"), "e", c);
  int ctx_storage[64];
  for (int& x : ctx_storage) x = 2;
  int* ctx = ctx_storage;
  ASSERT_LT(w->my_bdd_manager()->Nb_bdd_vars(), 64);
  DataSimulMap constants;
  DataSimulValueMap values;
  values[a->getBddStatusId(m, w)] = "41";
  values[c->getBddStatusId(m, w)] = "--";
  DataSignalValue va(a);
  DataSignalValue vc(c);
  testing::internal::CaptureStderr();
  // A known text is returned as it is, present or not, without a message.
  EXPECT_EQ(va.Simul_put(m, &constants, &values, ctx, nullptr), "41");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // Absent with "--": only the "has no value" message.
  ctx[c->getBddStatusId(m, w)] = 0;
  ctx[c->getBddValueId(m, w)] = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(vc.Simul_put(m, &constants, &values, ctx, nullptr), "--");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "***error:DataSignalValue:Simul_put: signal: C  has no value\n");
  // Present: the first present binding clocked by it gives the value.
  ctx[c->getBddStatusId(m, w)] = 1;
  ctx[c->getBddValueId(m, w)] = 0;
  ctx[e->getBddStatusId(m, w)] = 1;
  ctx[e->getBddValueId(m, w)] = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(vc.Simul_put(m, &constants, &values, ctx, nullptr), "33");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Value:33\n");
  // A present signal that clocks no binding has no value, and the process goes on.
  values[a->getBddStatusId(m, w)] = "--";
  ctx[a->getBddStatusId(m, w)] = 1;
  ctx[a->getBddValueId(m, w)] = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(va.Simul_put(m, &constants, &values, ctx, nullptr), "--");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Value:--\n***error:DataSignalValue:Simul_put: signal: A  has no value\n");
}

TEST_F(EngineTest, MissingSignalOrConstantEndsTheProcess) {
  Signal* a = input("A");
  DataSimulMap constants;
  DataSimulValueMap values;
  DataSignalValue va(a);
  EXPECT_LIBRARY_EXIT(va.Simul_put(m, &constants, &values, nullptr, nullptr), 1,
                      "signal: A  undefined in  data signal value table");
  EXPECT_LIBRARY_EXIT(DataConstant(0).Simul_put(m, &constants, &values, nullptr, nullptr), 1,
                      "undefined constant:K");
}

TEST_F(EngineTest, ClosedConnectionGivesEmptyReplies) {
  ValueServer vs;
  ASSERT_NE(vs.client(), nullptr);
  vs.hangUp();
  DataSimulMap constants;
  DataSimulValueMap values;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  EXPECT_EQ(DataMethodCall(1, nullptr).Simul_put(m, &constants, &values, nullptr, vs.client()), "");
  EXPECT_EQ(DataMethodCall(1, nullptr).Simul_put(m, &constants, &values, nullptr, vs.client()), "");
  testing::internal::GetCapturedStdout();
  testing::internal::GetCapturedStderr();
}

// ----- reactions -----

// O := A and R; Rnext := A; R a register initially true.
TEST_F(EngineTest, RegistersAdvanceReactionAfterReaction) {
  Signal* a = input("A");
  Signal* o = output("O");
  m->addRegisterDecl("R", 1, "Rnext");
  Signal* r = m->getLocalSignal("R");
  Signal* rnext = m->getLocalSignal("Rnext");
  EquationTable* t = m->getEquationTable();
  t->createEquation(o, new AndExpression(a, r), m);
  t->createEquation(rnext, a, m);
  t->createRegisterEquation(r, m);
  date();

  Simulation sim;
  sim.load(m);
  // After the load: inputs white, outputs red, the register at its initial value.
  EXPECT_EQ(sim.inputColour(a), Colour::Noir);
  EXPECT_EQ(colours(sim, {o, r}), "rouge bleu");
  EXPECT_TRUE(sim.flags().get_Set());
  EXPECT_FALSE(sim.flags().get_Reset());

  std::string seen;
  sim.setInputColour(a, Colour::Bleu);
  ReactionReport rep = sim.react([&] { seen = colours(sim, {o, rnext}); });
  EXPECT_TRUE(rep.ran);
  EXPECT_EQ(seen, "bleu bleu");
  EXPECT_EQ(colours(sim, {o, r, rnext}), "bleu bleu noir");
  EXPECT_FALSE(sim.flags().get_Set());

  sim.setInputColour(a, Colour::Jaune);
  sim.react();
  EXPECT_EQ(colours(sim, {o, r}), "jaune jaune");

  sim.setInputColour(a, Colour::Bleu);
  sim.react();
  EXPECT_EQ(colours(sim, {o, r}), "jaune bleu");

  // Init: everything undetermined but the registers' initial values.
  testing::internal::CaptureStdout();
  EXPECT_TRUE(sim.init([&] { seen = colours(sim, {o, r}); }));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "i'm in bdds_evaluate()\n");
  EXPECT_EQ(seen, "rouge rouge");
  EXPECT_EQ(colours(sim, {o, r}), "rouge bleu");
  EXPECT_EQ(sim.inputColour(a), Colour::Noir);
  EXPECT_TRUE(sim.flags().get_Set());
}

// O := A or B: a green input makes the output error; a white one keeps it bottom.
TEST_F(EngineTest, ErrorAndBottomOutputs) {
  Signal* a = input("A");
  Signal* b = input("B");
  Signal* o = output("O");
  Signal* l = local("L");
  EquationTable* t = m->getEquationTable();
  t->createEquation(l, new AndExpression(a, m->getSet()), m);
  t->createEquation(o, new OrExpression(l, b), m);
  date();
  Simulation sim;
  sim.load(m);
  sim.setInputColour(a, Colour::Vert);
  sim.setInputColour(b, Colour::Jaune);
  sim.react();
  EXPECT_EQ(colours(sim, {l, o}), "vert vert");
  // Set applies to the first reaction only: now L is false.
  sim.react();
  EXPECT_EQ(colours(sim, {l, o}), "jaune jaune");
  sim.flags().set_Set(true);
  sim.setInputColour(a, Colour::Noir);
  sim.react();
  EXPECT_EQ(colours(sim, {l, o}), "noir noir");
}

// The order and ids a reaction reads are fixed by load: an equation added later is
// evaluated from the next load on, and an unload leaves nothing of the old plan.
TEST_F(EngineTest, EquationsAddedAfterLoadAreSeenAtTheNextLoad) {
  Signal* a = input("A");
  Signal* b = input("B");
  Signal* o = output("O");
  Signal* p = output("P");
  EquationTable* t = m->getEquationTable();
  t->createEquation(o, a, m);
  date();
  Simulation sim;
  sim.load(m);
  t->createEquation(p, new AndExpression(a, b), m);
  date();
  sim.setInputColour(a, Colour::Bleu);
  sim.setInputColour(b, Colour::Bleu);
  sim.react();
  EXPECT_EQ(colours(sim, {o, p}), "bleu rouge");
  sim.load(m);
  sim.setInputColour(a, Colour::Bleu);
  sim.setInputColour(b, Colour::Jaune);
  sim.react();
  EXPECT_EQ(colours(sim, {o, p}), "bleu jaune");
  sim.load(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sim.react().ran);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Jxc file not loaded\n");
  sim.load(m);
  sim.setInputColour(a, Colour::Jaune);
  sim.react();
  EXPECT_EQ(colours(sim, {o, p}), "jaune jaune");
}

// Valued input A; C := data condition A > 10 (abstract); D := C; valued local V emitted
// with twice(A) when A; valued outputs O (A + 1) and P (the value of V).
class ValuedModule : public EngineTest {
 protected:
  void build() {
    a = input("A");
    a->setValueType("int", m);
    bnd = input("Bnd");  // bound input: no row
    m->addSignalBinding(lit("0"), bnd, nullptr);
    o = output("O");
    o->setValueType("int", m);
    p = output("P");
    p->setValueType("int", m);
    d = output("D");
    c = local("C");
    m->addSignalBinding(new DataBinaryOp(DataExpr::Sup, new DataSignalValue(a), lit("10")), c);
    v = local("V");
    v->setValueType("int", m);
    Signal* ev = m->addSignalBinding(new DataMethodCall(0, new std::list<DataExpr*>{new DataSignalValue(a)}), "v", v);
    Signal* eo = m->addSignalBinding(new DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), lit("1")), "o", o);
    Signal* ep = m->addSignalBinding(new DataSignalValue(v), "p", p);
    EquationTable* t = m->getEquationTable();
    t->createEquation(ev, a, m);
    t->createEquation(v, a, m);
    t->createEquation(eo, a, m);
    t->createEquation(o, a, m);
    t->createEquation(ep, a, m);
    t->createEquation(p, a, m);
    t->createEquation(d, c, m);
    date();
  }
  Signal* a = nullptr;
  Signal* bnd = nullptr;
  Signal* o = nullptr;
  Signal* p = nullptr;
  Signal* d = nullptr;
  Signal* c = nullptr;
  Signal* v = nullptr;
};

TEST_F(ValuedModule, DataRequestsGiveConditionsAndValues) {
  build();
  ValueServer vs;
  ASSERT_NE(vs.client(), nullptr);
  Simulation sim;
  sim.setSocket(vs.client());
  sim.load(m);
  // Bound signals get no row, and the rows of the others stay in order.
  EXPECT_EQ(sim.shownInputs(), (std::vector<Signal*>{a}));
  EXPECT_EQ(sim.shownOutputs(), (std::vector<Signal*>{o, p, d}));

  testing::internal::CaptureStderr();
  sim.setInputColour(a, Colour::Bleu);
  sim.setInputValue(a, "41");
  ReactionReport rep = sim.react();
  EXPECT_TRUE(rep.ran);
  EXPECT_TRUE(rep.warnings.empty());
  EXPECT_EQ(colours(sim, {c, d, o, p}), "bleu bleu bleu bleu");
  EXPECT_EQ(sim.outputValue(o), "42");
  EXPECT_EQ(sim.outputValue(p), "82");

  // A = 3: the condition is false; values follow.
  sim.setInputValue(a, "3");
  sim.react();
  EXPECT_EQ(colours(sim, {c, d}), "jaune jaune");
  EXPECT_EQ(sim.outputValue(o), "4");

  // Absent A: A's text is not used, the outputs are absent and keep their values.
  sim.setInputColour(a, Colour::Jaune);
  sim.setInputValue(a, "1000");
  sim.react();
  EXPECT_EQ(colours(sim, {c, o}), "noir jaune");
  EXPECT_EQ(sim.outputValue(o), "4");
  testing::internal::GetCapturedStderr();

  std::vector<std::string> expected{"BOP,41,int, > ,10,int", "MC,twice,41", "BOP,41,int, + ,1,int",
                                    "BOP,3,int, > ,10,int",  "MC,twice,3",  "BOP,3,int, + ,1,int",
                                    "BOP,--,int, > ,10,int"};
  EXPECT_EQ(vs.requests(), expected);

  // An input text that cannot travel refuses the reaction.
  sim.setInputColour(a, Colour::Bleu);
  sim.setInputValue(a, "4,1");
  rep = sim.react();
  EXPECT_FALSE(rep.ran);
  EXPECT_NE(rep.refusal.find("input A"), std::string::npos);
  EXPECT_EQ(vs.requests().size(), expected.size());

  EXPECT_TRUE(sim.init());
  EXPECT_EQ(sim.outputValue(o), "--");
  EXPECT_EQ(sim.inputValue(a), "--");
}

TEST_F(ValuedModule, NoValueServerIsReportedAndTheReactionGoesOn) {
  build();
  Simulation sim;
  sim.load(m);
  sim.setInputColour(a, Colour::Bleu);
  sim.setInputValue(a, "41");
  testing::internal::CaptureStderr();
  ReactionReport rep = sim.react();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(rep.ran);
  ASSERT_EQ(rep.warnings.size(), 1u);
  EXPECT_EQ(rep.warnings[0], "***error: FenPrincipale:Simuler: no value server connected");
  EXPECT_EQ(colours(sim, {c, d, o}), "noir noir bleu");
  EXPECT_EQ(sim.outputValue(o), "");
}

TEST_F(ValuedModule, DataConditionWithoutBindingIsFatal) {
  build();
  m->removeBinding("C");
  Simulation sim;
  sim.load(m);
  EXPECT_LIBRARY_EXIT(sim.react(), 1, "No binding for signal:C");
}

// Valued outputs whose value cannot be shown: a bound output has no row (message, the
// reaction goes on); a clock flagged output but missing from the output list is fatal.
TEST_F(EngineTest, ValuedOutputsWithoutRow) {
  Signal* a = input("A");
  Signal* q = output("Q");
  q->setValueType("int", m);
  m->addSignalBinding(lit("5"), q, nullptr);  // Q is itself bound: no row
  Signal* eq = m->addSignalBinding(lit("6"), "q", q);
  Signal* x = new Signal("X", m, w);  // an output flag, but not in the output list
  x->is_output = true;
  x->setValueType("int", m);
  Signal* ex = m->addSignalBinding(lit("7"), "x", x);
  EquationTable* t = m->getEquationTable();
  for (Signal* s : {q, eq, x, ex}) t->createEquation(s, a, m);
  date();
  Simulation sim;
  sim.load(m);
  EXPECT_TRUE(sim.shownOutputs().empty());
  sim.setInputColour(a, Colour::Bleu);
  EXPECT_LIBRARY_EXIT(sim.react(), 1, "unknown signal:X");
  m->removeBinding(ex->getInternalName());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(sim.react().ran);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "***error: FenPrincipale:Simuler:  unknown signal:Q\n");
  EXPECT_EQ(sim.outputValue(q), "--");
}

TEST_F(ValuedModule, ExceptionOfARequestEndsTheProcess) {
  build();
  m->removeBinding("C");
  m->addSignalBinding(new DataMethodCall(9, nullptr), c, nullptr);  // no method 9
  Simulation sim;
  sim.load(m);
  EXPECT_LIBRARY_EXIT(sim.react(), 1, "FenPrincipale:Simuler: ");
}

TEST_F(EngineTest, WithoutModuleNothingHappens) {
  Simulation sim;
  testing::internal::CaptureStderr();
  ReactionReport rep = sim.react();
  EXPECT_FALSE(sim.init());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Jxc file not loaded\nJxc file not loaded\n");
  EXPECT_FALSE(rep.ran);
  Signal_eval eval;
  Context ctx;
  set_reset sr;
  EXPECT_LIBRARY_EXIT(eval.Get_contexts(nullptr, sr, {}, ctx), 1, "No module loaded");
}

}  // namespace
