// Drawing sheet: its geometry worked by hand, and its drawing read back from an off-screen surface
// (that part needs an X display).
#include "forms_test_support.h"  // first: gtest before FLTK
#include "formspp.h"
#include "vision_sheet.h"

#include <FL/fl_draw.H>

#include <array>

namespace {

using namespace forms_test;

using points = std::array<ofl_point, 2>;

TEST(VisionSheetGeometry, BreakPointsArrowHeadsAndWedge) {
  EXPECT_EQ(ofl_break_points(0, 0, 8, 0), (points{{{2, 4}, {6, -4}}}));
  EXPECT_EQ(ofl_break_points(0, 0, 0, 8), (points{{{-4, 2}, {4, 6}}}));

  EXPECT_EQ(ofl_arrow_head(0, 0, 10, 0, 4, 0.0), (points{{{6, 0}, {6, 0}}}));
  // angle 0.5: sin * 10 = 4.79, cos * 10 = 8.77, truncated
  EXPECT_EQ(ofl_arrow_head(5, 0, 5, 20, 10, 0.5), (points{{{1, 12}, {9, 12}}}));  // down
  EXPECT_EQ(ofl_arrow_head(5, 20, 5, 0, 10, 0.5), (points{{{1, 8}, {9, 8}}}));    // up
  EXPECT_EQ(ofl_arrow_head(10, 0, 0, 0, 10, 0.5), (points{{{8, -4}, {8, 4}}}));   // left
  // oblique shafts: theta = atan(dy / dx) in real numbers
  EXPECT_EQ(ofl_arrow_head(0, 0, 10, 10, 10, 0.5), (points{{{1, 8}, {8, 1}}}));
  EXPECT_EQ(ofl_arrow_head(10, 10, 0, 0, 10, 0.5), (points{{{9, 2}, {2, 9}}}));
  EXPECT_EQ(ofl_arrow_head(10, 0, 0, 10, 10, 0.5), (points{{{2, 1}, {9, 8}}}));
  EXPECT_EQ(ofl_arrow_head(0, 0, 3, 1, 10, 0.0), (points{{{-6, -2}, {-6, -2}}}));  // not integer-divided

  const ofl_wedge w = ofl_arrow_wedge(0, 0, 3, 4);
  EXPECT_EQ(w.x, 3);
  EXPECT_EQ(w.y, 4);
  EXPECT_EQ(w.d, 10);
  EXPECT_FLOAT_EQ(w.a1, 160.0f - 53.130102f);
  EXPECT_FLOAT_EQ(w.a2, 200.0f - 53.130102f);

  OFL_vision_sheet s;
  EXPECT_FALSE(s.clips());
  EXPECT_EQ(s.colour(), FL_BLACK);
  s.define(5, 5, 10, 0, FL_RED);
  EXPECT_FALSE(s.clips());
  EXPECT_EQ(s.colour(), FL_RED);
  s.resize(5, 5, 10, 1);
  EXPECT_TRUE(s.clips());
}

TEST(VisionSheetDrawing, ClipsToItsRectangleAndDrawsEveryShape) {
  if (!forms_display_available()) GTEST_SKIP() << "no X display";
  int dashed_red = 0;
  const drawn_image image(100, 100, [&] {
    OFL_vision_sheet s;
    s.define(10, 10, 60, 60, FL_BLUE);
    s.ofl_line(0, 50, 99, 50, FL_RED);
    s.ofl_rect(20, 20, 20, 10, FL_GREEN);
    s.ofl_circf(40, 20, 20, FL_BLUE);
    s.ofl_rectbound(20, 40, 10, 8, FL_YELLOW);
    s.ofl_drw_arrow_line(20, 60, 60, 60, 8, 0.5, FL_BLACK);
    s.ofl_circbound(45, 35, 10, FL_RED);
    s.ofl_dash_line(10, 15, 69, 15, FL_RED);
    s.ofl_line(10, 17, 69, 17, FL_RED);  // the solid style is back
    OFL_vision_sheet unclipped;
    unclipped.ofl_line(80, 90, 99, 90, FL_RED);
    fl_line(80, 95, 99, 95, FL_RED);  // no clip left behind
  });
  ASSERT_TRUE(image.valid());
  const auto rgb = drawn_image::rgb;
  EXPECT_EQ(image.at(30, 50), rgb(FL_RED));
  EXPECT_EQ(image.at(5, 50), rgb(FL_WHITE));  // clipped
  EXPECT_EQ(image.at(80, 50), rgb(FL_WHITE));
  EXPECT_EQ(image.at(20, 25), rgb(FL_GREEN));  // outline only
  EXPECT_EQ(image.at(30, 25), rgb(FL_WHITE));
  EXPECT_EQ(image.at(50, 30), rgb(FL_BLUE));   // disc in its box
  EXPECT_EQ(image.at(25, 44), rgb(FL_YELLOW));
  EXPECT_EQ(image.at(20, 44), rgb(FL_BLACK));
  EXPECT_EQ(image.at(40, 60), rgb(FL_BLACK));  // shaft
  EXPECT_EQ(image.at(53, 57), rgb(FL_BLACK));  // head point (60 - 7, 60 - 3)
  EXPECT_EQ(image.at(53, 63), rgb(FL_BLACK));
  EXPECT_EQ(image.at(50, 40), rgb(FL_RED));    // bounded disc, black outline
  EXPECT_EQ(image.at(90, 90), rgb(FL_RED));
  EXPECT_EQ(image.at(90, 95), rgb(FL_RED));
  for (int x = 10; x < 70; ++x) {
    dashed_red += image.at(x, 15) == rgb(FL_RED);
    EXPECT_EQ(image.at(x, 17), rgb(FL_RED)) << x;
  }
  EXPECT_GT(dashed_red, 10);
  EXPECT_LT(dashed_red, 50);
}

}  // namespace
