#include <gtest/gtest.h>

#include <chrono>
#include <list>
#include <string>
#include <thread>
#include <vector>

#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "evaluation.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "test_scope.h"
#include "value_server.h"

namespace {

// Valued output O emitted when A with e20, where e0 = A and e(k+1) = e(k) + e(k) shares
// its operand; P with twice(A) + twice(A) over two separate calls (a tree).
TEST(SharedDataNodes, ASharedNodeIsAskedForOncePerEvaluation) {
  DataMethodTable* saved = Compilation::GDataMethodTable;
  std::string int_type = "int", twice = "twice";
  Compilation::GDataMethodTable = new DataMethodTable();
  Compilation::GDataMethodTable->addMethod(new MethodDecl(&int_type, &twice, nullptr));
  Module* m = new Module("S");  // never freed: signals point into it
  add_wires(m);
  Signal* a = add_input(m, "A");
  a->setValueType("int", m);
  Signal* o = add_output(m, "O");
  o->setValueType("int", m);
  Signal* p = add_output(m, "P");
  p->setValueType("int", m);
  DataExpr* e = new DataSignalValue(a);
  for (int k = 0; k < 20; ++k) e = new DataBinaryOp(DataExpr::Plus, e, e);
  auto call = [&] { return new DataMethodCall(0, new std::list<DataExpr*>{new DataSignalValue(a)}); };
  EquationTable* t = m->getEquationTable();
  Signal* eo = m->addSignalBinding(e, "o", o);
  Signal* ep = m->addSignalBinding(new DataBinaryOp(DataExpr::Plus, call(), call()), "p", p);
  for (Signal* s : {eo, o, ep, p}) t->createEquation(s, a, m);
  t->callPert();

  ValueServer vs;
  ASSERT_NE(vs.client(), nullptr);
  Simulation sim;
  sim.setSocket(vs.client());
  sim.load(m);
  sim.setInputColour(a, Colour::Bleu);
  sim.setInputValue(a, "1");
  testing::internal::CaptureStderr();
  sim.react();
  sim.react();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(sim.outputValue(o), "1048576");
  EXPECT_EQ(sim.outputValue(p), "4");
  std::vector<std::string> one;
  for (long v = 1; v < 1048576; v *= 2)
    one.push_back("BOP," + std::to_string(v) + ",int, + ," + std::to_string(v) + ",int");
  one.insert(one.end(), {"MC,twice,1", "MC,twice,1", "BOP,2,int, + ,2,int"});
  std::vector<std::string> both = one;
  both.insert(both.end(), one.begin(), one.end());
  EXPECT_EQ(vs.requests(), both);
  Compilation::GDataMethodTable = saved;
}

// A server that answers the first request of the second reaction only after the time-out:
// that reaction shows "--" for both outputs, sends nothing after the time-out and says so
// once; the next reaction asks again and pairs each request with its own reply.
TEST(EngineWithServer, AReactionAfterATimeOutSendsNoMoreAndTheNextAsksAgain) {
  int saved_timeout = Compilation::SocketReplyTimeout;
  Compilation::SocketReplyTimeout = 200;
  Module* m = new Module("R");  // never freed: signals point into it
  add_wires(m);
  Signal* a = add_input(m, "A");
  a->setValueType("int", m);
  Signal* o = add_output(m, "O");
  o->setValueType("int", m);
  Signal* p = add_output(m, "P");
  p->setValueType("int", m);
  auto constant = [](const char* text) {
    DataValue* v = new DataValue(text);
    v->setType("int");
    return v;
  };
  Signal* eo = m->addSignalBinding(new DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), constant("1")), "o", o);
  Signal* ep = m->addSignalBinding(new DataBinaryOp(DataExpr::Mult, new DataSignalValue(a), constant("2")), "p", p);
  for (Signal* s : {eo, o, ep, p}) m->getEquationTable()->createEquation(s, a, m);
  m->getEquationTable()->callPert();

  int calls = 0;
  ValueServer vs([&calls](const std::string& r) {
    if (++calls == 3) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ValueServer::answer(r);
  });
  ASSERT_NE(vs.client(), nullptr);
  Simulation sim;
  sim.setSocket(vs.client());
  sim.load(m);
  sim.setInputColour(a, Colour::Bleu);
  std::vector<std::string> values;
  RecordedBoxes boxes;
  testing::internal::CaptureStderr();
  for (const char* v : {"5", "6", "7"}) {
    sim.setInputValue(a, v);
    ReactionReport report = sim.react();
    EXPECT_TRUE(report.ran);
    values.push_back(sim.outputValue(o) + " " + sim.outputValue(p) + (report.timed_out ? " timed out" : ""));
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(values, (std::vector<std::string>{"6 10", "-- -- timed out", "8 14"}));
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"The value server did not reply within 200 ms: the other values "
                                                   "of this reaction are not asked for and show \"--\"."}));
  EXPECT_EQ(vs.requests(), (std::vector<std::string>{"BOP,5,int, + ,1,int", "BOP,5,int, * ,2,int",
                                                     "BOP,6,int, + ,1,int", "BOP,7,int, + ,1,int",
                                                     "BOP,7,int, * ,2,int"}));
  EXPECT_NE(err.find("Socket_call: no reply within 200 ms to: BOP,6,int, + ,1,int\n"), std::string::npos);
  EXPECT_NE(err.find("Socket_call: not sent after a time-out: BOP,6,int, * ,2,int\n"), std::string::npos);
  Compilation::SocketReplyTimeout = saved_timeout;
}

}  // namespace
