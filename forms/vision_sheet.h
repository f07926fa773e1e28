// Drawing sheet: drawing operations clipped to a rectangle, in window pixels (y downwards), with
// no origin or scale of its own. The drawing calls must be made where FLTK allows drawing (a
// widget's draw routine, or an off-screen surface made current); the geometry functions need none.
#ifndef VISION_SHEET_H
#define VISION_SHEET_H

#include <FL/Enumerations.H>

#include <array>
#include <string>

struct ofl_point {
  int x;
  int y;
  bool operator==(const ofl_point& o) const { return x == o.x && y == o.y; }
};

// Points at a quarter and three quarters of (x1, y1)-(x2, y2), pushed sideways by half its length
// in opposite directions (integer divisions by 4, truncated).
std::array<ofl_point, 2> ofl_break_points(int x1, int y1, int x2, int y2);

// The two outer points of the head of an arrow ending at (x2, y2), head length and half-angle
// (radians); offsets truncated to ints.
std::array<ofl_point, 2> ofl_arrow_head(int x1, int y1, int x2, int y2, int length, double angle);

// Pie of ofl_arrowbound: a d x d box with its top-left corner at the tip (x, y), from angle a1 to
// a2 degrees (single precision), around the direction opposite to the shaft.
struct ofl_wedge {
  int x, y, d;
  float a1, a2;
};
ofl_wedge ofl_arrow_wedge(int x1, int y1, int x2, int y2);

class OFL_vision_sheet {
 public:
  // Empty rectangle (no clipping), colour black.
  OFL_vision_sheet() = default;

  void define(int x, int y, int w, int h, Fl_Color colour);
  void resize(int x, int y, int w, int h);
  // The rectangle clips only when it has a positive width and height.
  bool clips() const { return right_ > left_ && bottom_ > top_; }
  Fl_Color colour() const { return colour_; }

  // Each operation clips to the rectangle, draws in the given colour and removes the clip.
  void ofl_line(int x1, int y1, int x2, int y2, Fl_Color colour);
  void ofl_dash_line(int x1, int y1, int x2, int y2, Fl_Color colour);
  // Three segments through ofl_break_points.
  void ofl_break_line(int x1, int y1, int x2, int y2, Fl_Color colour);
  void ofl_rect(int x, int y, int w, int h, Fl_Color colour);
  void ofl_rectf(int x, int y, int w, int h, Fl_Color colour);
  // Filled in the colour, outlined in black.
  void ofl_rectbound(int x, int y, int w, int h, Fl_Color colour);
  // Circles in the d x d box whose top-left corner is (x, y).
  void ofl_circ(int x, int y, int d, Fl_Color colour);
  void ofl_circf(int x, int y, int d, Fl_Color colour);
  void ofl_circbound(int x, int y, int d, Fl_Color colour);
  // The ofl_arrow_wedge pie; leaves the drawing colour black.
  void ofl_arrowbound(int x1, int y1, int x2, int y2, Fl_Color colour);
  // Two head strokes to (x2, y2), then the shaft.
  void ofl_drw_arrow_line(int x1, int y1, int x2, int y2, int length, double angle, Fl_Color colour);
  // Text in the box with fl_draw (symbols drawn); a null text draws nothing.
  void ofl_drw_text(Fl_Align align, int x, int y, int w, int h, Fl_Color colour, int size, Fl_Font font,
                    const char* text);
  // The same for a string; note the font comes before the size here.
  void ofl_drw_String(Fl_Align align, int x, int y, int w, int h, Fl_Color colour, Fl_Font font, int size,
                      const std::string& text);

 private:
  // Pushes the rectangle's clip when it clips, sets the colour, draws, pops the clip.
  template <class Draw>
  void draw(Fl_Color colour, Draw shape) const;

  int left_ = 0;
  int top_ = 0;
  int right_ = 0;   // left + width
  int bottom_ = 0;  // top + height
  Fl_Color colour_ = FL_BLACK;  // kept by define; the operations take their own
};

#endif
