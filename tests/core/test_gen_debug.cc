// The debug listing: the trace of a module with registers, the split of the file into
// viewer entries, and its file shown in the message sink's listing viewer.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "gen_printers.h"
#include "gen_text_checks.h"
#include "test_scope.h"

TEST(GenDebug, TraceGroupedByEarliestDate) {
  GenDataScope data;
  std::ostringstream os;
  testing::internal::CaptureStderr();
  two_register_module()->DEBUG_put(os);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "enter debug put \nend of debug put\n");
  std::string text = std::regex_replace(os.str(), std::regex("0x[0-9a-f]+"), "@");
  EXPECT_EQ(text,
            "module D\n"
            "input A(_s_A,_v_A)  ;\n"
            "output O(_s_O,_v_O)  ;\n"
            "local R1(_s_R1,_v_R1)  N1(_s_N1,_v_N1)  R2(_s_R2,_v_R2)  N2(_s_N2,_v_N2)  ;\n"
            "register\nN1 R1 1;\nN2 R2 0;\n\n"
            "external wires SETD RESETD RTLD;\n\n"
            "equations\n"
            "9: (@) <R1> [type:8]_v_R1 = !_s_R1  weight: 1 usertype: 8  dates (1,1) aval {8}\n"
            "10: (@) <N1> [type:7]_s_N1 = _s_A  weight: 1 usertype: 7  dates (1,1) aval {6}\n"
            "13: (@) <R2> [type:8]_v_R2 = !_s_R2  weight: 1 usertype: 8  dates (1,1) aval {12}\n"
            "14: (@) <N2> [type:7]_s_N2 = _s_R1  weight: 1 usertype: 7  dates (1,1) aval {8}\n"
            "11: (@) <N1> [type:8]_v_N1 = !_s_N1  weight: 1 usertype: 8  dates (2,0) aval {10}\n"
            "15: (@) <N2> [type:8]_v_N2 = !_s_N2  weight: 1 usertype: 8  dates (2,0) aval {14}\n"
            "16: (@) <O> [type:5]_s_O = _s_R1 * _v_R2  weight: 1 usertype: 5  dates (2,0) aval {8,13}\n"
            "17: (@) <O> [type:6]_v_O = _v_R1 + _s_R2  weight: 1 usertype: 6  dates (2,0) aval {9,12}\n"
            "end equations\n\n");
}

// A 300-character line: entries of 128, 128 and 44 characters; the first entry carries
// the column directive; a NUL ends an entry; text after the last newline is dropped.
TEST(GenDebug, LinesSplitAt128Characters) {
  std::string text = "ab\n" + std::string(300, 'x') + "\n" + std::string("c\0d\n", 4) + "tail";
  std::istringstream in(text);
  std::list<std::string> lines = debug_listing_lines(in);
  std::vector<std::string> v(lines.begin(), lines.end());
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0], "#COLONNE 130 ab");
  EXPECT_EQ(v[1], std::string(128, 'x'));
  EXPECT_EQ(v[2], std::string(128, 'x'));
  EXPECT_EQ(v[3], std::string(44, 'x'));
  EXPECT_EQ(v[4], "c");
  EXPECT_EQ(v[5], "d");
}

// The file is written under the output directory (rewritten the second time, said on
// standard error) and its entries shown in the sink's listing viewer until it is closed; a
// directory that does not exist gives the message and no listing.
TEST(GenDebug, PrintDebugShowsTheFile) {
  GenDataScope data;
  ScratchDir dir("gen_debug");
  RecordedBoxes boxes;
  Module::OutputDir = dir.path;
  Module* m = two_register_module();
  testing::internal::CaptureStderr();
  m->printDebug();
  m->printDebug();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("File: " + dir.path + "/D.dbg already exists. File rewrited.\n"), std::string::npos);
  std::ifstream in(dir.path + "/D.dbg", std::ios::binary);
  std::list<std::string> shown = debug_listing_lines(in);
  EXPECT_GT(shown.size(), 10u);
  shown.push_front("Debugging trace");
  EXPECT_EQ(boxes.listings, (std::vector<std::list<std::string>>{shown, shown}));
  std::ostringstream trace;
  testing::internal::CaptureStderr();
  m->DEBUG_put(trace);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(read_text(dir.path + "/D.dbg").size(), trace.str().size());
  Module::OutputDir = dir.path + "/missing";
  testing::internal::CaptureStderr();
  m->printDebug();
  err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(boxes.texts.back(), "Cannot open output file: " + dir.path + "/missing/D.dbg: No such file or directory");
  EXPECT_EQ(boxes.listings.size(), 2u);
}
