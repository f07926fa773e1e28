// Wait window and simulator panels driven under Xvfb.
#include "forms_test_support.h"  // first: gtest before FLTK
#include "formspp.h"
#include "simulator_windows.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Browser.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace forms_test;

class SimulatorWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!forms_display_available()) GTEST_SKIP() << "no X display";
  }
};

std::vector<int> checked(Fl_Check_Browser* b) {
  std::vector<int> out;
  for (int i = 1; i <= b->nitems(); ++i) out.push_back(b->checked(i));
  return out;
}

TEST_F(SimulatorWindows, WaitWindowShowsItsTextUntilDestroyed) {
  Fl_Window* w = nullptr;
  {
    OFD_wait_form wait("compiling 100% @");
    w = wait.window();
    EXPECT_TRUE(w->shown());
    EXPECT_STREQ(w->label(), "travail en cours ...");
    Fl_FormsText* text = child_of_type<Fl_FormsText>(w);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->label(), "compiling 100% @");
  }
  for (Fl_Window* s = Fl::first_window(); s; s = Fl::next_window(s)) EXPECT_NE(s, w);
}

TEST_F(SimulatorWindows, InputPanelGoInitQuitAndClose) {
  OFD_simulator_input in(300);
  for (const char* n : {"a", "b", "c"}) in.add(n);
  Fl_Window* w = in.window();
  EXPECT_STREQ(w->label(), "Inputs Pannel");

  int init = 7, quit = 7;
  std::vector<int> values(3, 9);
  after_delays({
      [&] {
        in.signals()->checked(1, 1);
        in.signals()->checked(2, 1);
        in.sticky()->checked(2, 1);
        click(in.signals());  // another widget: still waiting
      },
      [&] { press(w, "GO"); },
  });
  in.check(&init, &quit, values.data());
  EXPECT_EQ(values, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(checked(in.signals()), (std::vector<int>{0, 1, 0}));  // sticky line kept
  EXPECT_EQ(init, 0);
  EXPECT_EQ(quit, 0);

  after_delay([&] { press(w, "INIT"); });
  in.check(&init, &quit, values.data());
  EXPECT_EQ(checked(in.signals()), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(checked(in.sticky()), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(init, 1);
  EXPECT_EQ(quit, 0);

  after_delay([&] { press(w, "QUIT"); });
  in.check(&init, &quit, values.data());
  EXPECT_EQ(quit, 1);
  EXPECT_EQ(init, 1);  // left as it was

  quit = 0;
  after_delay([&] { w->do_callback(); });  // the window manager's close
  in.check(&init, &quit, values.data());
  EXPECT_EQ(quit, 1);
}

TEST_F(SimulatorWindows, EmbeddedInputPanelInTheCallersWindow) {
  Fl_Window host(600, 300);
  OFD_simulator_input in(&host, 100, 300);
  host.end();
  EXPECT_EQ(in.window(), &host);
  EXPECT_EQ(child_labelled(&host, "GO")->x(), 280);
  EXPECT_EQ(in.sticky()->x(), 310);
  host.show();
  int init = 0, quit = 0, value = 0;
  in.add("s");
  after_delay([&] {
    in.signals()->checked(1, 1);
    press(&host, "GO");
  });
  in.check(&init, &quit, &value);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(quit, 0);
}

TEST_F(SimulatorWindows, OutputPanelPagesAndLamps) {
  OFD_simulator_output out(245, "Outputs");
  EXPECT_STREQ(out.window()->label(), "Outputs");
  ASSERT_EQ(out.rows(), 10);
  for (int i = 1; i <= 10; ++i) out.add("n" + std::to_string(i));
  EXPECT_EQ(out.page(), 0);
  EXPECT_EQ(out.browser()->size(), 10);
  out.add("n11");  // starts page 1, shown alone
  EXPECT_EQ(out.page(), 1);
  ASSERT_EQ(out.browser()->size(), 1);
  EXPECT_STREQ(out.browser()->text(1), "n11");
  EXPECT_TRUE(out.lamp(0)->visible());
  EXPECT_FALSE(out.lamp(1)->visible());
  EXPECT_EQ(out.lamp(0)->color(), FL_RED);
  EXPECT_EQ(out.lamp(0)->selection_color(), FL_BLACK);

  std::vector<int> values(11, 2);
  values[10] = 1;
  out.eval(values.data());
  EXPECT_EQ(out.lamp(0)->color(), FL_BLUE);
  values[10] = 0;
  out.eval(values.data());
  EXPECT_EQ(out.lamp(0)->color(), FL_YELLOW);

  out.my_moins_button()->do_callback();
  EXPECT_EQ(out.page(), 0);
  EXPECT_EQ(out.browser()->size(), 10);
  EXPECT_TRUE(out.lamp(9)->visible());
  out.previous_page();  // page 0 shown again
  EXPECT_EQ(out.page(), 0);
  EXPECT_EQ(out.browser()->size(), 10);
  out.my_plus_button()->do_callback();
  out.next_page();  // last page: stays
  EXPECT_EQ(out.page(), 1);
  EXPECT_EQ(out.lamp(0)->color(), FL_YELLOW);
}

TEST_F(SimulatorWindows, OutputPanelRowsClampedAndEmbedded) {
  EXPECT_EQ(simulator_output_rows(245), 10);
  EXPECT_EQ(simulator_output_rows(100), 1);
  EXPECT_EQ(simulator_output_rows(-5000), 1);
  EXPECT_EQ(simulator_output_rows(2000000000), 32768);

  OFD_simulator_output small(60, "small");  // no row by the formula: one
  small.add("x");
  small.add("y");
  EXPECT_EQ(small.page(), 1);
  small.next_page();
  EXPECT_EQ(small.page(), 1);

  Fl_Window host(600, 245);
  OFD_simulator_output out(&host, 250, 245, "embedded");
  host.end();
  EXPECT_EQ(out.my_plus_button()->x(), 400);
  EXPECT_EQ(out.my_moins_button()->x(), 320);
  EXPECT_EQ(out.browser()->x(), 270);
  EXPECT_EQ(out.lamp(0)->x(), 257);
  EXPECT_EQ(out.lamp(0)->selection_color(), FL_RED);
  Fl_Widget* title = child_labelled(&host, "embedded");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x(), 330);
  out.add("z");
  EXPECT_EQ(out.lamp(0)->color(), FL_RED);
}

}  // namespace
