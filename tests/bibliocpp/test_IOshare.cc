#include "IOshare.h"
#include "library_exit.h"
#include "tool_run.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>

namespace {

// Identifiers of the shared-memory segments in the system's IPC listing.
bool listed(int ident) {
  ToolResult r = run_tool("ipcs -m 2>/dev/null");
  std::istringstream in(r.output);
  std::string key, id;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    if (f >> key >> id && id == std::to_string(ident)) return true;
  }
  return false;
}

// Segments this process created that are still there.
int left_behind() {
  ToolResult r = run_tool("ipcs -m -p 2>/dev/null");
  std::istringstream in(r.output);
  std::string line, id, owner, cpid;
  int n = 0;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    if (f >> id >> owner >> cpid && cpid == std::to_string(getpid())) ++n;
  }
  return n;
}

// In a fresh IPC namespace (needs CAP_SYS_ADMIN), segments above 4096 bytes cannot be created.
bool shrink_segment_limit() {
  if (unshare(CLONE_NEWIPC) != 0) return false;
  FILE* f = fopen("/proc/sys/kernel/shmmax", "w");
  if (f == nullptr) return false;
  bool ok = fputs("4096", f) >= 0;
  return fclose(f) == 0 && ok;
}

bool wait_outputs_clock(const IOsharemem_server& s, long value) {
  for (int k = 0; k < 5000; ++k) {
    if (s.get_outputs_clock() == value) return true;
    usleep(1000);
  }
  return false;
}

}  // namespace

TEST(IOshare, OneProcessSeesStepsInOrder) {
  int ident;
  {
    IOsharemem_server s({"a", "b", "a"}, {"x", "y", "x"});
    ident = s.memory_ident();
    EXPECT_NE(ident, 0);
    EXPECT_TRUE(listed(ident));
    testing::internal::CaptureStderr();
    IOsharemem_client c(ident);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ident_mem=" + std::to_string(ident) + "\n");
    EXPECT_EQ(c.receive(), 0);  // no input step yet
    s.setreset_input(0, 5);
    s.setreset_input(1, 7);
    s.setreset_input(2, 9);
    s.setreset_input(3, 99);  // out of range: nothing
    s.setreset_input(-1, 99);
    EXPECT_EQ(c.input_is_set("b"), 0);  // not taken before receive
    s.inputs_go();
    EXPECT_EQ(c.receive(), 1);
    EXPECT_EQ(c.receive(), 0);  // once per step
    EXPECT_EQ(c.input_is_set("a"), 9);  // the last slot of the name
    EXPECT_EQ(c.input_is_set("b"), 7);
    EXPECT_EQ(c.input_is_set("nope"), 0);

    EXPECT_EQ(s.get_outputs_clock(), 0);
    c.setreset_output("x", 4);
    c.setreset_output("y", -2);
    c.setreset_output("z", 8);
    c.outputs_refresh();
    EXPECT_EQ(s.get_outputs_clock(), 1);
    EXPECT_EQ(s.output_value(0), 4);
    EXPECT_EQ(s.output_value(1), -2);
    EXPECT_EQ(s.output_value(2), 4);  // every slot of the name
    EXPECT_EQ(s.output_value(-1), 0);
    EXPECT_EQ(s.output_value(3), 0);

    s.sharing_terminate();
    EXPECT_EQ(c.receive(), -1);
  }
  EXPECT_FALSE(listed(ident));
}

TEST(IOshare, TwoProcessesExchangeOverSeveralSteps) {
  const int steps = 6;
  auto server = std::make_unique<IOsharemem_server>(std::list<std::string>{"a", "b", "c"},
                                                    std::list<std::string>{"sum", "square"});
  IOsharemem_server& s = *server;
  int ident = s.memory_ident();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Client: answers each input step; exits with the number of steps taken, 100 + k on a wrong
    // value at step k. _exit keeps the server copy and gtest out of the child's end.
    IOsharemem_client c(ident);
    int taken = 0;
    for (int polls = 0; polls < 2000; ++polls) {
      int r = c.receive();
      if (r == -1) _exit(taken);
      if (r == 0) continue;
      ++taken;
      if (c.input_is_set("c") != taken || c.input_is_set("unknown") != 0) _exit(100 + taken);
      c.setreset_output("sum", c.input_is_set("a") + c.input_is_set("b"));
      c.setreset_output("square", c.input_is_set("c") * c.input_is_set("c"));
      c.outputs_refresh();
    }
    _exit(99);
  }
  for (int k = 1; k <= steps; ++k) {
    s.setreset_input(0, 10 * k);
    s.setreset_input(1, -k);
    s.setreset_input(2, k);
    s.inputs_go();
    ASSERT_TRUE(wait_outputs_clock(s, k)) << "step " << k;
    EXPECT_EQ(s.output_value(0), 9 * k);
    EXPECT_EQ(s.output_value(1), k * k);
  }
  s.sharing_terminate();
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), steps);
  server.reset();
  EXPECT_FALSE(listed(ident));
}

TEST(IOshare, ServerNeverHandsOutIdentifierZero) {
  // In a fresh IPC namespace the first segment gets identifier 0; needs CAP_SYS_ADMIN.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (unshare(CLONE_NEWIPC) != 0) _exit(77);
    int probe = shmget(IPC_PRIVATE, 16, IPC_CREAT | 0600);
    shmctl(probe, IPC_RMID, nullptr);
    if (probe != 0) _exit(78);  // identifiers are not reused from 0 here
    // The probe used index 0; a new namespace again so that the server's first segment is 0.
    if (unshare(CLONE_NEWIPC) != 0) _exit(77);
    int ident;
    {
      IOsharemem_server s({"a"}, {"x"});
      ident = s.memory_ident();
      if (ident == 0) _exit(1);
      shmid_ds info;
      if (shmctl(0, IPC_STAT, &info) == 0) _exit(2);  // the zero segment was removed
      IOsharemem_client c(ident);
      s.inputs_go();
      if (c.receive() != 1) _exit(3);
    }
    shmid_ds info;
    _exit(shmctl(ident, IPC_STAT, &info) == 0 ? 4 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77 || WEXITSTATUS(status) == 78) GTEST_SKIP() << "no fresh IPC namespace";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(IOshareExitTest, RefusalsEndTheProcess) {
  EXPECT_LIBRARY_EXIT(IOsharemem_client c(0), 1,
                      "^IOshare: erreur sur partage memoire\nident_mem ==0 !\n\n$");

  // A removed segment; on a fresh machine the first one made gets identifier 0, which is
  // refused for another reason, so take the next one.
  int gone = shmget(IPC_PRIVATE, IOshare_segment::kBytes, IPC_CREAT | 0600);
  if (gone == 0) {
    gone = shmget(IPC_PRIVATE, IOshare_segment::kBytes, IPC_CREAT | 0600);
    shmctl(0, IPC_RMID, nullptr);
  }
  shmctl(gone, IPC_RMID, nullptr);
  ASSERT_GT(gone, 0);
  EXPECT_LIBRARY_EXIT(IOsharemem_client c(gone), 1,
                      "^ident_mem=" + std::to_string(gone) + "\nIOshare: erreur sur partage memoire\n"
                      "shmat\\(\\) client refuse pour ident mem=" + std::to_string(gone) + "\n\n$");

  int small = shmget(IPC_PRIVATE, 64, IPC_CREAT | 0600);
  ASSERT_GE(small, 0);
  EXPECT_LIBRARY_EXIT(IOsharemem_client c(small), 1, "shmat\\(\\) client refuse");
  shmctl(small, IPC_RMID, nullptr);

  std::list<std::string> many;
  for (int i = 0; i < 42; ++i) many.push_back("n" + std::to_string(i));
  std::list<std::string> full(many);
  full.pop_back();
  EXPECT_LIBRARY_EXIT(IOsharemem_server s(many, {"x"}), 1,
                      "^IOshare: erreur sur partage memoire\nplus de 41 entrees !\n\n$");
  EXPECT_LIBRARY_EXIT(IOsharemem_server s({"a"}, many), 1, "plus de 41 sorties !");
  EXPECT_LIBRARY_EXIT(IOsharemem_server s({std::string(50, 'n')}, {"x"}), 1,
                      "nom de plus de 49 caracteres: n{50}\n\n$");

  // The limits themselves fit: 41 names each side, 49 characters, the last name not spilling.
  full.back() = std::string(49, 'z');
  IOsharemem_server s(full, full);
  IOsharemem_client c(s.memory_ident());
  s.setreset_input(40, 12);
  s.inputs_go();
  ASSERT_EQ(c.receive(), 1);
  EXPECT_EQ(c.input_is_set(std::string(49, 'z')), 12);
  c.setreset_output(std::string(49, 'z'), 3);
  c.setreset_output("n0", 1);
  EXPECT_EQ(s.output_value(40), 3);
  EXPECT_EQ(s.output_value(0), 1);
}

TEST(IOshareDeathTest, SegmentThatCannotBeCreated) {
  pid_t probe = fork();
  ASSERT_GE(probe, 0);
  if (probe == 0) _exit(shrink_segment_limit() ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(probe, &status, 0), probe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) GTEST_SKIP() << "segment limit cannot be lowered here";
  EXPECT_EXIT(
      {
        shrink_segment_limit();
        IOsharemem_server s({"a"}, {"x"});
      },
      testing::ExitedWithCode(1), "^ERREUR interne d'allocation memoire\n\n$");
}

// Last in this file: every server above removed its segment.
TEST(IOshare, NoSegmentLeftBehind) { EXPECT_EQ(left_behind(), 0); }
