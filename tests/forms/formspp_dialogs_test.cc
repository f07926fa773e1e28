// FLTK boxes and windows driven from timeouts; skipped without an X display (run under xvfb-run).
#include "forms_test_support.h"  // first: gtest before FLTK
#include "formspp.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace forms_test;

class FormsDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!forms_display_available()) GTEST_SKIP() << "no X display";
    forms_install_display_sink();  // the default is then the FLTK boxes
    forms_reset_sink();
  }
  void TearDown() override {
    forms_set_default_sink(nullptr);
    forms_reset_sink();
    forms_set_file_selector(nullptr);
  }
};

Fl_Window* ask_window() { return fl_message_icon()->window(); }

// Text of the box's message (the Fl_Box that is not the icon).
std::string ask_text() {
  Fl_Window* w = ask_window();
  for (int i = 0; i < w->children(); ++i) {
    Fl_Box* b = dynamic_cast<Fl_Box*>(w->child(i));
    if (b && b != fl_message_icon() && b->label()) return b->label();
  }
  return "<none>";
}

Fl_Input* ask_input() {
  Fl_Window* w = ask_window();
  for (int i = 0; i < w->children(); ++i)
    if (Fl_Input* in = dynamic_cast<Fl_Input*>(w->child(i))) return in;
  return nullptr;
}

TEST_F(FormsDialogs, MessageAndAlertShowFormatCharactersLiterally) {
  std::string seen;
  after_delay([&] {
    seen = ask_text();
    ask_window()->hide();
  });
  fl_show_Smessages("100% done: %s %d %n");
  EXPECT_EQ(seen, "100% done: %s %d %n");

  // "@" starts a symbol in FLTK labels; doubled it draws one "@"
  after_delay([&] {
    seen = ask_text();
    ask_window()->hide();
  });
  fl_show_Salert("@sig a@b");
  EXPECT_EQ(seen, "@@sig a@@b");
}

TEST_F(FormsDialogs, QuestionIsOneOnlyForYes) {
  std::string seen;
  after_delay([&] {
    seen = ask_text();
    press(ask_window(), fl_yes);
  });
  EXPECT_EQ(fl_show_Squestion("continue %s?"), 1);
  EXPECT_EQ(seen, "continue %s?");

  after_delay([&] { press(ask_window(), fl_no); });
  EXPECT_EQ(fl_show_Squestion("continue?"), 0);

  after_delay([&] { ask_window()->do_callback(); });  // closed by the window manager
  EXPECT_EQ(fl_show_Squestion("continue?"), 0);
}

TEST_F(FormsDialogs, InputBoxes) {
  std::string prompt, initial;
  after_delay([&] {
    prompt = ask_text();
    Fl_Input* in = ask_input();
    if (!in) {
      ADD_FAILURE() << "no input field";
      ask_window()->hide();
      return;
    }
    initial = in->value();
    in->value("hello %s");
    press(ask_window(), fl_ok);
  });
  EXPECT_EQ(fl_show_Sinput("name %d:", "dflt %s"), "hello %s");
  EXPECT_EQ(prompt, "name %d:");
  EXPECT_EQ(initial, "dflt %s");

  after_delay([&] { press(ask_window(), fl_cancel); });
  EXPECT_EQ(fl_show_Sinput("name", "dflt"), "");

  after_delay([&] {
    initial = ask_input()->value();
    ask_input()->value(" 42 apples");
    press(ask_window(), fl_ok);
  });
  EXPECT_EQ(fl_show_int("count", -3), 42);
  EXPECT_EQ(initial, "-3");

  // the whole default of a huge double reaches the field and reads back unchanged
  after_delay([&] {
    initial = ask_input()->value();
    press(ask_window(), fl_ok);
  });
  EXPECT_EQ(fl_show_double("value", 1e308), 1e308);
  EXPECT_EQ(initial.size(), 316u);
}

Fl_Window* messages_window() {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
    if (w->label() && std::strcmp(w->label(), "Messages") == 0) return w;
  return nullptr;
}

Fl_Browser* messages_browser(Fl_Window* w) {
  for (int i = 0; i < w->children(); ++i)
    if (Fl_Browser* b = dynamic_cast<Fl_Browser*>(w->child(i))) return b;
  return nullptr;
}

TEST_F(FormsDialogs, BigMessagesLinesSaveAndQuit) {
  char dir[] = "/tmp/formspp_testXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/saved.txt";
  std::vector<std::string> asked;
  forms_set_file_selector([&](const std::string& m, const std::string& d, const std::string& p,
                              const std::string& f) {
    asked = {m, d, p, f};
    return path;
  });

  const std::string text = "a\n\nb @x %s\n@- @b\n";
  std::vector<std::string> lines;
  bool modal = false, top_level = false;
  after_delay([&] {
    Fl_Window* w = messages_window();
    ASSERT_NE(w, nullptr);  // the window is then left open: ctest's timeout ends the test
    modal = w->modal();
    top_level = w->parent() == nullptr;
    Fl_Browser* b = messages_browser(w);
    ASSERT_NE(b, nullptr);
    for (int i = 1; i <= b->size(); ++i) lines.push_back(b->text(i));
    EXPECT_EQ(w->w(), 20 * 6 + 10);
    EXPECT_EQ(w->h(), 570);
    press(w, "save");
    after_delay([&] { press(messages_window(), "Quit"); });
  });
  // a caller's begun form must neither hold the window nor lose its place as current group
  Fl_Window caller(50, 50);
  fl_show_Sbigmessages(text, 20);
  EXPECT_EQ(Fl_Group::current(), &caller);
  caller.end();

  EXPECT_TRUE(modal);
  EXPECT_TRUE(top_level);
  // "@." before a leading "@" keeps the browser from reading format codes
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b @x %s", "@.@- @b"}));
  EXPECT_EQ(asked, (std::vector<std::string>{"save message", "", "*.txt", ""}));
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
  EXPECT_EQ(messages_window(), nullptr);
  std::remove(path.c_str());
  rmdir(dir);
}

TEST_F(FormsDialogs, BigMessagesEndsWhenClosedAndKeepsOddWidthsValid) {
  int saves = 0;
  forms_set_file_selector([&](const std::string&, const std::string&, const std::string&,
                              const std::string&) {
    ++saves;
    return std::string();  // cancelled: nothing written
  });
  int width = 0;
  std::size_t lines = 0;
  after_delay([&] {
    Fl_Window* w = messages_window();
    ASSERT_NE(w, nullptr);
    width = w->w();
    lines = static_cast<std::size_t>(messages_browser(w)->size());
    press(w, "save");
    after_delay([&] { messages_window()->do_callback(); });  // window manager close: hides it
  });
  fl_show_Sbigmessages("", -4);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(lines, 1u);
  EXPECT_GT(width, 0);

  after_delay([&] {
    width = messages_window()->w();
    messages_window()->hide();
  });
  fl_show_Sbigmessages("x", 2000000000);
  EXPECT_GT(width, 0);
  EXPECT_LE(width, 32767);
}

TEST_F(FormsDialogs, DrawingHelpers) {
  const drawn_image image(120, 80, [] {
    fl_rectbound(10, 10, 30, 20, FL_RED);
    fl_circf(60, 10, 20, static_cast<int>(FL_BLUE));
    fl_line(10, 60, 100, 60, FL_GREEN);
  });
  ASSERT_TRUE(image.valid());
  const auto rgb = drawn_image::rgb;
  EXPECT_EQ(image.at(25, 20), rgb(FL_RED));    // inside the rectangle
  EXPECT_EQ(image.at(10, 20), rgb(FL_BLACK));  // its outline
  EXPECT_EQ(image.at(70, 20), rgb(FL_BLUE));   // centre of the circle's box
  EXPECT_EQ(image.at(61, 11), rgb(FL_WHITE));  // (x, y) is a corner, outside the circle
  EXPECT_EQ(image.at(50, 60), rgb(FL_GREEN));
}

}  // namespace
