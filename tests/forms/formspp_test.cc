// Display-free tests: geometry, label helpers, the display sink without a display.
#include <gtest/gtest.h>  // before FLTK: X11 macros clash with its names

#include "formspp.h"

#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs in a child started by DefaultSinkWithoutDisplay, with DISPLAY removed (ctest does
// not list it).
TEST(FormsHeadlessChild, DefaultSink) {
  if (!std::getenv("FORMSPP_HEADLESS_CHILD")) GTEST_SKIP() << "runs only as a child process";
  forms_install_display_sink();
  EXPECT_FALSE(forms_display_available());
  fl_show_Smessages("msg %s");
  fl_show_Salert("alert");
  EXPECT_EQ(fl_show_Squestion("question"), 0);
  EXPECT_EQ(fl_show_Sinput("prompt", "x"), "");
  EXPECT_EQ(fl_show_int("int", 4), 4);
  EXPECT_EQ(fl_show_double("dbl", 4.5), 4.5);
  fl_show_Slisting({"#C4 ", "no listing"}, "listing");
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
