// The message sink: number prompts, empty entries, reports written once on standard error,
// and the default sink chosen at the first message.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "g_exit.h"
#include "g_messages.h"

namespace {

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
  fl_show_Slisting({"#C4 ", "row"}, "no listing");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "q %s\np\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"message m 100%", "alert a %s"}));
  forms_reset_sink();
}

// The default sink is the chooser's, asked at each reset; without a chooser, the stderr sink.
TEST(FormsSinkSelection, DefaultChosenAtEachReset) {
  forms_set_sink(forms_stderr_sink());
  int asked = 0;
  std::vector<std::string> seen;
  forms_set_default_sink([&] {
    ++asked;
    forms_sink s;
    s.show = [&](forms_box_kind, const std::string& t) { seen.push_back(t); };
    return s;
  });
  EXPECT_EQ(asked, 0);
  forms_reset_sink();
  fl_show_Smessages("one");
  fl_show_Salert("two");
  forms_set_sink(forms_stderr_sink());
  forms_reset_sink();
  fl_show_Smessages("three");
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three"}));
  testing::internal::CaptureStderr();
  EXPECT_EQ(fl_show_Squestion("no question box"), 0);  // the chooser's empty entries
  forms_set_default_sink(nullptr);
  forms_reset_sink();
  fl_show_Smessages("four");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "no question box\nfour\n");
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

}  // namespace
