#include "formspp.h"

#include "Stringpp.h"
#include "forms_style.h"
#include "listing_viewer.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Multi_Browser.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/forms.H>
#include <FL/x.H>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <utility>
#include <vector>

namespace {

// ---- the display sink ----

// The boxes draw their text as a label, where "@" starts a symbol: "@@" draws one "@".
std::string label_text(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '@') out += '@';
  }
  return out;
}

void display_show(forms_box_kind kind, const std::string& text) {
  const std::string shown = label_text(text);
  if (kind == forms_box_kind::alert)
    fl_alert("%s", shown.c_str());
  else
    fl_message("%s", shown.c_str());
}

int display_question(const std::string& text) {
  const std::string shown = label_text(text);
  return fl_choice("%s", fl_no, fl_yes, nullptr, shown.c_str()) == 1 ? 1 : 0;
}

bool display_input(const std::string& prompt, const std::string& deflt, std::string& answer) {
  const std::string shown = label_text(prompt);
  const char* r = fl_input("%s", deflt.c_str(), shown.c_str());
  if (!r) return false;
  answer = r;
  return true;
}

void display_bigmessage(const std::string& text, int width);

void display_listing(const std::list<std::string>& lines, const std::string& title) {
  Fl_Window form(740, 665);
  Fl_Box box(FL_UP_BOX, 0, 0, 740, 665, "");
  form.end();
  OFD_afficheur viewer(&form, 1);
  viewer.activation(lines, title, "");
}

forms_file_selector& file_selector() {
  static forms_file_selector selector;
  return selector;
}

std::string choose_file(const std::string& message, const std::string& dir,
                        const std::string& pattern, const std::string& fname) {
  if (file_selector()) return file_selector()(message, dir, pattern, fname);
  const char* r = fl_show_file_selector(message.c_str(), dir.c_str(), pattern.c_str(), fname.c_str());
  return r ? std::string(r) : std::string();
}

// Text cut at each newline: the first piece always, then one piece per non-empty remainder.
std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string rest;
  lines.push_back(next_record(text, '\n', rest));
  while (!rest.empty()) {
    const std::string remainder = rest;
    lines.push_back(next_record(remainder, '\n', rest));
  }
  return lines;
}

void display_bigmessage(const std::string& text, int width) {
  // Keeps w * 6 + 10 a valid window width.
  const int w = width < 1 ? 1 : (width > 5000 ? 5000 : width);

  Fl_Group* const caller_group = Fl_Group::current();
  Fl_Group::current(nullptr);  // a top-level window even inside a caller's begun form
  Fl_Window* win = new Fl_Window(w * 6 + 10, 570);
  win->copy_label("Messages");
  Fl_Multi_Browser* browser = new Fl_Multi_Browser(5, 10, w * 6, 500);
  Fl_Button* quit = new Fl_Button(250, 530, 50, 30);
  quit->copy_label("Quit");
  Fl_Button* save = new Fl_Button(80, 530, 50, 30);
  save->copy_label("save");
  win->end();
  win->set_modal();

  // A line beginning with "@" would be read as format codes: "@." shows the rest as it is.
  for (const std::string& line : split_lines(text))
    browser->add((line.empty() || line[0] != '@' ? line : "@." + line).c_str());

  win->show();
  // A window closed by the window manager ends it as Quit does.
  while (Fl_Widget* const read = forms_wait_widget(win)) {
    if (read == quit) break;
    if (read == save) {
      const std::string name = choose_file("save message", "", "*.txt", "");
      if (!name.empty()) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
      }
    }
  }
  delete win;
  Fl_Group::current(caller_group);  // show() clears it
}

}  // namespace

// ---- display sink selection ----

bool forms_display_available() {
  static const bool available = [] {
    if (fl_display) return true;  // FLTK already has its connection
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    Display* d = XOpenDisplay(name);
    if (!d) return false;
    // FLTK keeps this connection: closing it could reset a server with no other client.
    fl_open_display(d);
    return true;
  }();
  return available;
}

forms_sink forms_display_sink() {
  return forms_sink{display_show, display_question, display_input, display_bigmessage, display_listing};
}

void forms_install_display_sink() {
  forms_set_default_sink([] { return forms_display_available() ? forms_display_sink() : forms_stderr_sink(); });
}

void forms_set_file_selector(forms_file_selector selector) { file_selector() = std::move(selector); }

// ---- widget helpers ----

void fl_set_Sinput(Fl_Input_* input, const std::string& text) { input->value(text.c_str()); }

Fl_FormsText* fl_add_Stext(Fl_Boxtype box, int x, int y, int w, int h, const std::string& label) {
  Fl_FormsText* text = new Fl_FormsText(box, x, y, w, h);
  text->copy_label(label.c_str());
  text->align(FL_ALIGN_LEFT);
  return text;
}

void fl_add_browser_Sline(Fl_Browser* browser, const std::string& text) { browser->add(text.c_str()); }

void fl_replace_browser_Sline(Fl_Browser* browser, int line, const std::string& text) {
  browser->text(line, text.c_str());
}

void fl_set_object_Slabel(Fl_Widget* widget, const std::string& text, int max) {
  if (max >= 0 && static_cast<std::string::size_type>(max) < text.size())
    widget->copy_label(text.substr(0, static_cast<std::string::size_type>(max)).c_str());
  else
    widget->copy_label(text.c_str());
  widget->redraw();
}

void fl_drw_String(Fl_Align align, int x, int y, int w, int h, Fl_Color colour, int size,
                   Fl_Font font, const std::string& text) {
  fl_font(font, size);
  fl_color(colour);
  fl_draw(text.c_str(), x, y, w, h, align, nullptr, 1);
}

// ---- drawing helpers ----

void fl_ovalf(int x, int y, int w, int h, Fl_Color colour) {
  fl_color(colour);
  fl_pie(x, y, w, h, 0.0, 360.0);
}

void fl_ovalf(int x, int y, int w, int h, int colour) { fl_ovalf(x, y, w, h, static_cast<Fl_Color>(colour)); }

void fl_circf(int x, int y, int d, Fl_Color colour) {
  fl_color(colour);
  fl_pie(x, y, d, d, 0.0, 360.0);
}

void fl_circf(int x, int y, int d, int colour) { fl_circf(x, y, d, static_cast<Fl_Color>(colour)); }

void fl_rectbound(const int& x, const int& y, const int& w, const int& h, const Fl_Color& colour) {
  fl_color(colour);
  fl_rectf(x, y, w, h);
  fl_color(FL_BLACK);
  fl_rect(x, y, w, h);
}

void fl_rectbound(int x, int y, int w, int h, int colour) {
  const Fl_Color c = static_cast<Fl_Color>(colour);
  fl_rectbound(x, y, w, h, c);
}

void fl_line(int x1, int y1, int x2, int y2, Fl_Color colour) {
  fl_color(colour);
  fl_line(x1, y1, x2, y2);
}

// ---- geometry ----

int point_dans_segment(double x, double y, double x1, double y1, double x2, double y2,
                       double tolerance) {
  const auto between = [](double v, double a, double b) {
    return a <= b ? (a <= v && v <= b) : (b <= v && v <= a);
  };
  if (std::fabs(x1 - x2) <= 1e-10) {
    if (!between(y, y1, y2)) return 0;
    return tolerance > std::fabs(x - x1) ? 1 : 0;
  }
  if (std::fabs(y1 - y2) <= 1e-10) {
    if (!between(x, x1, x2)) return 0;
    return tolerance > std::fabs(y - y1) ? 1 : 0;
  }
  if (!between(x, x1, x2) || !between(y, y1, y2)) return 0;
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  const double len = std::sqrt(dx * dx + dy * dy);
  if (!(len > 1e-10)) return 0;
  return tolerance > std::fabs(((x - x1) * dy - (y - y1) * dx) / len) ? 1 : 0;
}
