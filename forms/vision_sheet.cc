#include "vision_sheet.h"

#include <FL/fl_draw.H>

#include <cmath>

std::array<ofl_point, 2> ofl_break_points(int x1, int y1, int x2, int y2) {
  return {ofl_point{(3 * x1 + x2 + 2 * (y1 - y2)) / 4, (3 * y1 + y2 + 2 * (x2 - x1)) / 4},
          ofl_point{(x1 + 3 * x2 + 2 * (y2 - y1)) / 4, (y1 + 3 * y2 + 2 * (x1 - x2)) / 4}};
}

std::array<ofl_point, 2> ofl_arrow_head(int x1, int y1, int x2, int y2, int length, double angle) {
  const double l = length;
  if (x1 == x2) {
    const int s = static_cast<int>(std::sin(angle) * l);
    const int c = static_cast<int>(std::cos(angle) * l);
    const int dy = y1 < y2 ? -c : c;
    return {ofl_point{x2 - s, y2 + dy}, ofl_point{x2 + s, y2 + dy}};
  }
  const int sign = x2 > x1 ? -1 : 1;  // the head lies back towards x1
  if (y1 == y2) {
    const int c = static_cast<int>(std::cos(angle) * l);
    const int s = static_cast<int>(std::sin(angle) * l);
    return {ofl_point{x2 + sign * c, y2 - s}, ofl_point{x2 + sign * c, y2 + s}};
  }
  const double theta = std::atan(static_cast<double>(y2 - y1) / static_cast<double>(x2 - x1));
  return {ofl_point{x2 + sign * static_cast<int>(l * std::cos(theta - angle)),
                    y2 + sign * static_cast<int>(l * std::sin(theta - angle))},
          ofl_point{x2 + sign * static_cast<int>(l * std::cos(theta + angle)),
                    y2 + sign * static_cast<int>(l * std::sin(theta + angle))}};
}

ofl_wedge ofl_arrow_wedge(int x1, int y1, int x2, int y2) {
  const int dx = x2 - x1;
  const int dy = y2 - y1;
  const int d = static_cast<int>(2 * std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
  const float a = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)) * 180.0 / M_PI);
  return {x2, y2, d, 160.0f - a, 200.0f - a};
}

template <class Draw>
void OFL_vision_sheet::draw(Fl_Color colour, Draw shape) const {
  const bool clipped = clips();
  if (clipped) fl_push_clip(left_, top_, right_ - left_, bottom_ - top_);
  fl_color(colour);
  shape();
  if (clipped) fl_pop_clip();
}

void OFL_vision_sheet::define(int x, int y, int w, int h, Fl_Color colour) {
  resize(x, y, w, h);
  colour_ = colour;
}

void OFL_vision_sheet::resize(int x, int y, int w, int h) {
  left_ = x;
  top_ = y;
  right_ = x + w;
  bottom_ = y + h;
}

void OFL_vision_sheet::ofl_line(int x1, int y1, int x2, int y2, Fl_Color colour) {
  draw(colour, [&] { fl_line(x1, y1, x2, y2); });
}

void OFL_vision_sheet::ofl_dash_line(int x1, int y1, int x2, int y2, Fl_Color colour) {
  draw(colour, [&] {
    fl_line_style(FL_DASH, 0);
    fl_line(x1, y1, x2, y2);
    fl_line_style(FL_SOLID);
  });
}

void OFL_vision_sheet::ofl_break_line(int x1, int y1, int x2, int y2, Fl_Color colour) {
  const std::array<ofl_point, 2> b = ofl_break_points(x1, y1, x2, y2);
  draw(colour, [&] {
    fl_line(x1, y1, b[0].x, b[0].y);
    fl_line(b[0].x, b[0].y, b[1].x, b[1].y);
    fl_line(b[1].x, b[1].y, x2, y2);
  });
}

void OFL_vision_sheet::ofl_rect(int x, int y, int w, int h, Fl_Color colour) {
  draw(colour, [&] { fl_rect(x, y, w, h); });
}

void OFL_vision_sheet::ofl_rectf(int x, int y, int w, int h, Fl_Color colour) {
  draw(colour, [&] { fl_rectf(x, y, w, h); });
}

void OFL_vision_sheet::ofl_rectbound(int x, int y, int w, int h, Fl_Color colour) {
  draw(colour, [&] {
    fl_rectf(x, y, w, h);
    fl_color(FL_BLACK);
    fl_rect(x, y, w, h);
  });
}

void OFL_vision_sheet::ofl_circ(int x, int y, int d, Fl_Color colour) {
  draw(colour, [&] { fl_arc(x, y, d, d, 0.0, 360.0); });
}

void OFL_vision_sheet::ofl_circf(int x, int y, int d, Fl_Color colour) {
  draw(colour, [&] { fl_pie(x, y, d, d, 0.0, 360.0); });
}

void OFL_vision_sheet::ofl_circbound(int x, int y, int d, Fl_Color colour) {
  draw(colour, [&] {
    fl_pie(x, y, d, d, 0.0, 360.0);
    fl_color(FL_BLACK);
    fl_arc(x, y, d, d, 0.0, 360.0);
  });
}

void OFL_vision_sheet::ofl_arrowbound(int x1, int y1, int x2, int y2, Fl_Color colour) {
  const ofl_wedge w = ofl_arrow_wedge(x1, y1, x2, y2);
  draw(colour, [&] {
    fl_pie(w.x, w.y, w.d, w.d, w.a1, w.a2);
    fl_color(FL_BLACK);
  });
}

void OFL_vision_sheet::ofl_drw_arrow_line(int x1, int y1, int x2, int y2, int length, double angle,
                                          Fl_Color colour) {
  const std::array<ofl_point, 2> head = ofl_arrow_head(x1, y1, x2, y2, length, angle);
  draw(colour, [&] {
    fl_line(head[0].x, head[0].y, x2, y2);
    fl_line(head[1].x, head[1].y, x2, y2);
    fl_line(x1, y1, x2, y2);
  });
}

void OFL_vision_sheet::ofl_drw_text(Fl_Align align, int x, int y, int w, int h, Fl_Color colour, int size,
                                    Fl_Font font, const char* text) {
  if (!text) return;
  draw(colour, [&] {
    fl_font(font, size);
    fl_draw(text, x, y, w, h, align, nullptr, 1);
  });
}

void OFL_vision_sheet::ofl_drw_String(Fl_Align align, int x, int y, int w, int h, Fl_Color colour,
                                      Fl_Font font, int size, const std::string& text) {
  ofl_drw_text(align, x, y, w, h, colour, size, font, text.c_str());
}
