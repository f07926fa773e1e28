// The whole valued flow: the Valued module saved as .jxc, its value server generated,
// completed with the example's user files, compiled with g++ and started; the engine
// loads the .jxc, connects to the server and reacts with the values the server computes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <list>
#include <string>
#include <thread>
#include <vector>

#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "evaluation.h"
#include "load_jxc.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "server_tables.h"
#include "sock.h"
#include "test_scope.h"
#include "valued_session.h"

namespace {

// Valued input A (num); C := A > 10 (data condition), D := C; valued outputs, emitted when
// A: O := A + ten, P := mix(A, rate), Q := count(); valued local V := twice(A).
std::string valued_jxc() {
  Module* m = new Module("Valued");  // never freed: signals point into it
  add_wires(m);
  Signal* a = add_input(m, "A");
  a->setValueType("num", m);
  Signal* o = add_output(m, "O");
  o->setValueType("num", m);
  Signal* p = add_output(m, "P");
  p->setValueType("real", m);
  Signal* q = add_output(m, "Q");
  q->setValueType("num", m);
  Signal* d = add_output(m, "D");
  Signal* c = new Signal("C", m, m->getBddWood());
  c->is_data = true;
  c->is_input = true;
  m->addDataSignal(c);
  Signal* v = add_local(m, "V");
  v->setValueType("num", m);
  m->addSignalBinding(new DataBinaryOp(DataExpr::Sup, new DataSignalValue(a), new DataConstant(0)), c);
  auto arg = [&](DataExpr* e1, DataExpr* e2) {
    auto* l = new std::list<DataExpr*>{e1};
    if (e2 != nullptr) l->push_back(e2);
    return l;
  };
  EquationTable* t = m->getEquationTable();
  auto emit = [&](DataExpr* e, const std::string& prefix, Signal* s) {
    Signal* ev = m->addSignalBinding(e, prefix, s);
    ev->is_local = true;
    m->addLocalSignal(ev);
    t->createEquation(ev, a, m);
    t->createEquation(s, a, m);
  };
  emit(new DataMethodCall(1, arg(new DataSignalValue(a), nullptr)), "v", v);
  emit(new DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), new DataConstant(0)), "o", o);
  emit(new DataMethodCall(2, arg(new DataSignalValue(a), new DataConstant(1))), "p", p);
  emit(new DataMethodCall(0, new std::list<DataExpr*>{}), "q", q);
  t->createEquation(d, c, m);
  t->callPert();
  return jxc_text(*m);
}

// Saves Valued.jxc in dir, builds its server and starts it in the background, under a
// time-out, with bin/zars (the script given) first on PATH; its log goes to server.log
// and its exit status to status. Whether all went well.
bool start_valued_server(const std::string& dir, const std::string& zars_script, const std::string& env = "") {
  {
    ServerTables tables;
    write_file(dir + "/Valued.jxc", valued_jxc());
    if (build_valued_server(dir) != 0) return false;
  }
  if (mkdir((dir + "/bin").c_str(), 0755) != 0) return false;
  write_file(dir + "/bin/zars", "#!/bin/sh\n" + zars_script);
  if (chmod((dir + "/bin/zars").c_str(), 0755) != 0) return false;
  std::string cmd = "cd '" + dir + "' && (" + env + " PATH=\"$PWD/bin:$PATH\" timeout 60 ./zars_Valued 2>server.log;" +
                    " echo $? > status) &";
  return std::system(cmd.c_str()) == 0;
}

TEST(ValuedFlow, EngineReactsWithTheValuesOfTheCompiledServer) {
  if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  ScratchDir scratch{"zarim_valued"};
  const std::string dir = scratch.path;
  // The simulator the server starts only records its arguments: the engine connects.
  ASSERT_TRUE(start_valued_server(dir, "echo \"$@\" > argv\n"));
  ValuedSession s(dir);
  ASSERT_EQ(s.error, "");
  Simulation& sim = s.sim;
  Signal *a = s.a, *o = s.o, *p = s.p, *q = s.q, *d = s.d;

  testing::internal::CaptureStderr();
  sim.setInputColour(a, Colour::Bleu);
  std::vector<std::string> trace;
  for (const char* value : {"21", "3"}) {
    sim.setInputValue(a, value);
    ReactionReport rep = sim.react();
    EXPECT_TRUE(rep.ran);
    trace.push_back(std::string(colourName(sim.colourOf(d))) + " O=" + sim.outputValue(o) +
                    " P=" + sim.outputValue(p) + " Q=" + sim.outputValue(q));
  }
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(trace, (std::vector<std::string>{"bleu O=31 P=10.5 Q=1", "jaune O=13 P=1.5 Q=2"}));
  EXPECT_NE(s.client->framed, 0) << "the server ends its replies with a NUL byte";

  EXPECT_EQ(s.close(dir), "0\n");
  EXPECT_EQ(ValuedSession::recorded_arguments(dir), s.simulator_arguments());
  const std::string requests = served_requests(dir);
  // Per reaction: the condition, V, O, the server constant (asked again: the constant map
  // lives one reaction), P, Q.
  EXPECT_EQ(requests,
            "BOP,21,num, > ,10,num\nMC,twice,21\nBOP,21,num, + ,10,num\nCONST,rate\nMC,mix,21,0.5\nMC,count,\n"
            "BOP,3,num, > ,10,num\nMC,twice,3\nBOP,3,num, + ,10,num\nCONST,rate\nMC,mix,3,0.5\nMC,count,\n");
}

// The generated server starts the real simulator offscreen on Valued.jxc with the loopback
// address and its port; the simulator connects, and when it is stopped the server exits 0.
TEST(ValuedFlow, ServerStartsTheRealSimulator) {
  if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  char self[4096] = {0};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string exe = self;
  std::string simulator = exe.substr(0, exe.find_last_of('/')) + "/../SIMULATOR_JXC/zars";
  ASSERT_TRUE(file_exists(simulator)) << simulator << " not built";
  ScratchDir scratch{"zarim_valued_zars"};
  const std::string dir = scratch.path;
  // Records its process id, then becomes the real simulator.
  ASSERT_TRUE(start_valued_server(dir, "echo $$ > zars.pid\nexec '" + simulator + "' \"$@\" 2>zars.log\n",
                                  "QT_QPA_PLATFORM=offscreen"));
  bool accepted = false;
  for (int i = 0; i < 1000 && !accepted; ++i) {
    accepted = read_file(dir + "/server.log").find("SOCKET accepted ...\n") != std::string::npos &&
               read_file(dir + "/zars.log").find("adresse socket: ") != std::string::npos;
    if (!accepted) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(accepted) << read_file(dir + "/server.log") << read_file(dir + "/zars.log");
  long pid = std::atol(read_file(dir + "/zars.pid").c_str());
  ASSERT_GT(pid, 0);
  kill(static_cast<pid_t>(pid), SIGTERM);
  for (int i = 0; i < 1000 && read_file(dir + "/status").empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(read_file(dir + "/status"), "0\n");
  std::string zars_log = read_file(dir + "/zars.log");
  EXPECT_EQ(zars_log.find("error"), std::string::npos) << zars_log;
  EXPECT_NE(zars_log.find("hostname choisi: 127.0.0.1\n"), std::string::npos);
}

}  // namespace
