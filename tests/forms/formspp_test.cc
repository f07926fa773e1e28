// Display-free tests: geometry, the message sink, number prompts, label helpers, the headless path.
#include <gtest/gtest.h>  // before FLTK: X11 macros clash with its names

#include "formspp.h"
#include "g_exit.h"

#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

TEST(PointDansSegment, VerticalAndHorizontalBoundsInclusiveToleranceStrict) {
  // vertical, endpoints given in either order
  EXPECT_EQ(point_dans_segment(0.0, 5.0, 0.0, 5.0, 0.0, 0.0, 0.1), 1);
  EXPECT_EQ(point_dans_segment(0.05, 0.0, 0.0, 5.0, 0.0, 0.0, 0.1), 1);
  EXPECT_EQ(point_dans_segment(0.0, 5.001, 0.0, 0.0, 0.0, 5.0, 0.1), 0);
  EXPECT_EQ(point_dans_segment(0.5, 2.0, 0.0, 0.0, 0.0, 5.0, 0.5), 0);
  // an x extent of at most 1e-10 still counts as vertical
  EXPECT_EQ(point_dans_segment(0.2, 3.0, 0.0, 0.0, 1e-11, 5.0, 0.25), 1);
  // horizontal
  EXPECT_EQ(point_dans_segment(4.0, 1.0, 4.0, 1.0, -2.0, 1.0, 0.1), 1);
  EXPECT_EQ(point_dans_segment(-2.5, 1.0, 4.0, 1.0, -2.0, 1.0, 0.1), 0);
  EXPECT_EQ(point_dans_segment(1.0, 1.5, -2.0, 1.0, 4.0, 1.0, 0.5), 0);
  EXPECT_EQ(point_dans_segment(1.0, 1.25, -2.0, 1.0, 4.0, 1.0, 0.5), 1);
}

TEST(PointDansSegment, Oblique) {
  EXPECT_EQ(point_dans_segment(2.0, 2.0, 0.0, 0.0, 4.0, 4.0, 1e-6), 1);
  EXPECT_EQ(point_dans_segment(4.0, 4.0, 4.0, 4.0, 0.0, 0.0, 1e-6), 1);
  // distance 0.5 / sqrt(2) from the line
  EXPECT_EQ(point_dans_segment(2.0, 2.5, 0.0, 0.0, 4.0, 4.0, 0.36), 1);
  EXPECT_EQ(point_dans_segment(2.0, 2.5, 0.0, 0.0, 4.0, 4.0, 0.35), 0);
  // on the line but outside the segment's box
  EXPECT_EQ(point_dans_segment(5.0, 5.0, 0.0, 0.0, 4.0, 4.0, 1.0), 0);
  // (0, 3) is exactly 2.4 from the line through (0, 0) and (8, 6)
  EXPECT_EQ(point_dans_segment(0.0, 3.0, 0.0, 0.0, 8.0, 6.0, 2.4), 0);
  EXPECT_EQ(point_dans_segment(0.0, 3.0, 0.0, 0.0, 8.0, 6.0, 2.4000001), 1);
}

// Answers every input box with a scripted reply and records what it was given.
class FormsNumberInput : public ::testing::Test {
 protected:
  void SetUp() override {
    forms_sink s;
    s.input = [this](const std::string& p, const std::string& d, std::string& answer) {
      prompt = p;
      deflt = d;
      answer = reply;
      return confirms;
    };
    forms_set_sink(s);
  }
  void TearDown() override { forms_reset_sink(); }
  std::string prompt, deflt, reply;
  bool confirms = true;
};

TEST_F(FormsNumberInput, Int) {
  reply = "42abc";
  EXPECT_EQ(fl_show_int("count %d", -7), 42);
  EXPECT_EQ(prompt, "count %d");
  EXPECT_EQ(deflt, "-7");
  for (const char* bad : {"", "abc", "- 3", "99999999999", "-2147483649"}) {
    reply = bad;
    EXPECT_EQ(fl_show_int("n", 5), 5) << bad;
  }
  reply = "  -2147483648";
  EXPECT_EQ(fl_show_int("n", 5), INT_MIN);
  confirms = false;
  reply = "9";
  EXPECT_EQ(fl_show_int(nullptr, 5), 5);
  EXPECT_EQ(prompt, "");
}

TEST_F(FormsNumberInput, Double) {
  reply = "3.25x";
  EXPECT_EQ(fl_show_double("x", 2.5), 3.25);
  EXPECT_EQ(deflt, "2.500000");
  reply = "x";
  EXPECT_EQ(fl_show_double(std::string("x %s"), -1.5), -1.5);
  EXPECT_EQ(prompt, "x %s");
  // the default is never cut, whatever its size
  confirms = false;
  EXPECT_EQ(fl_show_double("x", -1.7976931348623157e308), -1.7976931348623157e308);
  EXPECT_EQ(deflt.size(), 1u + 309u + 7u);
  EXPECT_EQ(deflt.substr(0, 4), "-179");
  EXPECT_EQ(deflt.substr(deflt.size() - 7), ".000000");
}

TEST(FormsSinkSelection, EmptyEntriesWriteOnStandardError) {
  forms_sink partial;
  std::vector<std::string> seen;
  partial.show = [&](forms_box_kind k, const std::string& t) {
    seen.push_back((k == forms_box_kind::alert ? "alert " : "message ") + t);
  };
  forms_set_sink(partial);
  testing::internal::CaptureStderr();
  fl_show_Smessages("m 100%");
  fl_show_Salert("a %s");
  EXPECT_EQ(fl_show_Squestion("q %s"), 0);
  EXPECT_EQ(fl_show_Sinput("p", "d"), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "q %s\np\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"message m 100%", "alert a %s"}));
  forms_reset_sink();
}

// A report reaches standard error once whatever the sink: written after a box that does not
// write there, not again after the stderr sink's text or a sink that writes it itself. A fatal
// report then ends through the exit handler, its text marked as written.
TEST(FormsReports, EachReportIsWrittenOnceOnStandardError) {
  std::vector<std::string> shown;
  forms_sink boxes;
  boxes.show = [&](forms_box_kind, const std::string& t) { shown.push_back(t); };
  forms_set_sink(boxes);
  testing::internal::CaptureStderr();
  fl_report_S(forms_box_kind::message, "cycle");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "cycle\n");

  forms_set_sink(forms_stderr_sink());
  testing::internal::CaptureStderr();
  fl_report_S(forms_box_kind::alert, "headless");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "headless\n");

  boxes.writes_stderr = true;
  forms_set_sink(boxes);
  testing::internal::CaptureStderr();
  {
    g_exit_throwing_scope throwing;
    try {
      fl_exit_S(forms_box_kind::alert, "Non determinist automaton", 1);
      ADD_FAILURE() << "fl_exit_S returned";
    } catch (const g_exit_error& e) {
      EXPECT_EQ(e.status, 1);
      EXPECT_TRUE(e.written);
      EXPECT_STREQ(e.what(), "Non determinist automaton\n");
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(shown, (std::vector<std::string>{"cycle", "Non determinist automaton"}));
  forms_reset_sink();
}

// Runs in a child started by DefaultSinkWithoutDisplay, with DISPLAY removed (ctest does
// not list it).
TEST(FormsHeadlessChild, DefaultSink) {
  if (!std::getenv("FORMSPP_HEADLESS_CHILD")) GTEST_SKIP() << "runs only as a child process";
  EXPECT_FALSE(forms_display_available());
  fl_show_Smessages("msg %s");
  fl_show_Salert("alert");
  EXPECT_EQ(fl_show_Squestion("question"), 0);
  EXPECT_EQ(fl_show_Sinput("prompt", "x"), "");
  EXPECT_EQ(fl_show_int("int", 4), 4);
  EXPECT_EQ(fl_show_double("dbl", 4.5), 4.5);
  fl_show_Sbigmessages("a\nb", 20);
}

TEST(FormsHeadless, DefaultSinkWithoutDisplay) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);

  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "DISPLAY=", 8) != 0) env_text.emplace_back(*e);
  env_text.emplace_back("FORMSPP_HEADLESS_CHILD=1");
  std::vector<char*> envp;
  for (std::string& s : env_text) envp.push_back(&s[0]);
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe", filter = "--gtest_filter=FormsHeadlessChild.DefaultSink";
  char* argv[] = {&self[0], &filter[0], nullptr};

  pid_t pid = 0;
  const int rc = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  ASSERT_EQ(rc, 0);
  std::string err;
  char buf[256];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) err.append(buf, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(err.find("msg %s\nalert\nquestion\nprompt\nint\ndbl\na\nb\n"), std::string::npos) << err;
}

TEST(FormsLabels, LabelsAndValuesAreCopies) {
  Fl_Window win(200, 100);
  Fl_Input input(10, 40, 50, 20);
  Fl_FormsText* text = fl_add_Stext(FL_FLAT_BOX, 80, 10, 40, 20, std::string("Sig") + "nal");
  win.end();
  EXPECT_EQ(text->parent(), &win);
  EXPECT_STREQ(text->label(), "Signal");
  EXPECT_EQ(text->align(), static_cast<Fl_Align>(FL_ALIGN_LEFT));
  fl_set_Sinput(&input, std::string("v %") + "s");
  EXPECT_STREQ(input.value(), "v %s");

  const struct {
    int max;
    const char* expected;
  } cases[] = {{0, ""}, {-1, "abcdef"}, {6, "abcdef"}, {100, "abcdef"}, {5, "abcde"}};
  for (const auto& c : cases) {
    fl_set_object_Slabel(&input, std::string("abc") + "def", c.max);
    EXPECT_STREQ(input.label(), c.expected) << c.max;
  }
}

}  // namespace
