#include "simulator_windows.h"

#include "forms_style.h"
#include "formspp.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Browser.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

#include <algorithm>

// ---- wait window ----

OFD_wait_form::OFD_wait_form(const std::string& text) {
  forms_top_window form(600, 60);
  window_ = form.window();
  new Fl_Box(FL_UP_BOX, 0, 0, 600, 60, nullptr);
  text_ = new Fl_FormsText(FL_NO_BOX, 10, 10, 580, 40);
  text_->copy_label(text.c_str());
  text_->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE);
  text_->labelsize(FL_NORMAL_SIZE);
  form.end();
  forms_show_transient(window_, "travail en cours ...");
}

OFD_wait_form::~OFD_wait_form() {
  window_->hide();
  delete window_;
}

// ---- input panel ----

OFD_simulator_input::OFD_simulator_input(int height) : owned_(true) {
  forms_top_window form(400, height);
  window_ = form.window();
  new Fl_Box(FL_FLAT_BOX, 0, 0, 400, height, nullptr);
  build(0, height);
  form.end();
  forms_show_transient(window_, "Inputs Pannel");
}

OFD_simulator_input::OFD_simulator_input(Fl_Window* window, int x, int height)
    : window_(window), owned_(false) {
  build(x, height);
}

void OFD_simulator_input::build(int x, int height) {
  fl_add_Stext(FL_NO_BOX, x + 80, 10, 40, 20, "Signal");
  fl_add_Stext(FL_NO_BOX, x + 280, 10, 40, 20, "Sticky");
  signal_ = new Fl_Check_Browser(x + 10, 30, 180, height - 70);
  signal_->type(FL_MULTI_BROWSER);
  sticky_ = new Fl_Check_Browser(x + 210, 30, 180, height - 70);
  sticky_->type(FL_MULTI_BROWSER);
  go_ = forms_times_button(x + 180, height - 30, 60, 20, "GO");
  init_ = forms_times_button(x + 10, height - 30, 60, 20, "INIT");
  quit_ = forms_times_button(x + 330, height - 30, 60, 20, "QUIT");
}

OFD_simulator_input::~OFD_simulator_input() {
  if (window_) window_->hide();
  if (owned_) delete window_;
  names_.clear();
}

void OFD_simulator_input::add(const std::string& name) {
  names_.push_back(name);
  ++count_;
  signal_->add(name.c_str());
  sticky_->add(name.c_str());
}

void OFD_simulator_input::check(int* init, int* quit, int* values) {
  for (;;) {
    Fl_Widget* const read = forms_wait_widget(window_);
    if (!read || read == quit_) {  // a closed window quits
      *quit = 1;
      return;
    }
    if (read == init_) {
      *quit = 0;
      signal_->check_none();
      *init = 1;
      return;
    }
    if (read == go_) {
      *quit = 0;
      *init = 0;
      for (int i = 1; i <= count_; ++i) {
        values[i - 1] = signal_->checked(i) ? 1 : 0;
        if (!sticky_->checked(i)) signal_->checked(i, 0);
      }
      return;
    }
  }
}

// ---- output panel ----

int simulator_lamp_colour(int value) {
  if (value == 1) return FL_BLUE;
  if (value == 0) return FL_YELLOW;
  return FL_RED;
}

int simulator_output_rows(int height) {
  const int rows = (height - 85) / 16;
  return std::max(1, std::min(rows, 32768));
}

OFD_simulator_output::OFD_simulator_output(int height, const std::string& title)
    : owned_(true), x_(0), rows_(simulator_output_rows(height)) {
  forms_top_window form(240, height);
  window_ = form.window();
  new Fl_Box(FL_FLAT_BOX, 0, 0, 240, height, nullptr);
  plus_ = forms_times_button(70, height - 30, 20, 20, "+");
  minus_ = forms_times_button(30, height - 30, 20, 20, "-");
  build(0, height, static_cast<Fl_Color>(255));
  form.end();
  forms_show_transient(window_, title);
}

OFD_simulator_output::OFD_simulator_output(Fl_Window* window, int x, int height, const std::string& title)
    : window_(window), owned_(false), x_(x), rows_(simulator_output_rows(height)) {
  fl_add_Stext(FL_NO_BOX, x + 80, 10, 40, 20, title);
  plus_ = forms_times_button(x + 150, height - 30, 20, 20, "+");
  minus_ = forms_times_button(x + 70, height - 30, 20, 20, "-");
  build(x, height, FL_RED);
}

void OFD_simulator_output::build(int x, int height, Fl_Color selection) {
  plus_->callback(OFD_simulator_output_callback_plus, this);
  minus_->callback(OFD_simulator_output_callback_moins, this);
  browser_ = new Fl_Browser(x + 20, 30, 198, height - 68);
  lamps_.reserve(static_cast<std::size_t>(rows_));
  for (int i = 0; i < rows_; ++i) {
    Fl_Box* lamp = new Fl_Box(FL_FLAT_BOX, x + 7, 34 + 16 * i, 10, 12, nullptr);
    lamp->selection_color(selection);
    lamp->labelfont(FL_TIMES);
    lamp->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    lamp->hide();
    lamps_.push_back(lamp);
  }
}

OFD_simulator_output::~OFD_simulator_output() {
  names_.clear();
  values_.clear();
  if (window_) window_->hide();
  if (owned_) delete window_;
}

void OFD_simulator_output::colour_lamp(int row, int value) {
  Fl_Box* lamp = lamps_[static_cast<std::size_t>(row)];
  const Fl_Color c = static_cast<Fl_Color>(simulator_lamp_colour(value));
  if (lamp->color() == c) return;
  lamp->color(c);
  lamp->selection_color(FL_BLACK);
  lamp->redraw();
}

void OFD_simulator_output::show_page() {
  for (Fl_Box* lamp : lamps_) lamp->hide();
  browser_->clear();
  const long n = static_cast<long>(names_.size());
  for (int i = 0; i < rows_; ++i) {
    const long k = static_cast<long>(rows_) * page_ + i;
    if (k >= n) break;
    browser_->add(names_[static_cast<std::size_t>(k)].c_str());
    colour_lamp(i, values_[static_cast<std::size_t>(k)]);
    lamps_[static_cast<std::size_t>(i)]->show();
  }
}

void OFD_simulator_output::add(const std::string& name) {
  names_.push_back(name);
  values_.push_back(2);
  if ((static_cast<int>(names_.size()) - 1) / rows_ > page_) ++page_;
  show_page();
}

void OFD_simulator_output::eval(const int* values) {
  if (!values) return;
  std::copy(values, values + values_.size(), values_.begin());
  const long n = static_cast<long>(names_.size());
  for (int i = 0; i < rows_; ++i) {
    const long k = static_cast<long>(rows_) * page_ + i;
    if (k >= n) break;
    colour_lamp(i, values_[static_cast<std::size_t>(k)]);
  }
}

void OFD_simulator_output::next_page() {
  const int last = (static_cast<int>(names_.size()) - 1) / rows_;
  if (page_ < last) ++page_;
  show_page();
}

void OFD_simulator_output::previous_page() {
  if (page_ > 0) --page_;
  show_page();
}

void OFD_simulator_output_callback_plus(Fl_Widget*, void* panel) {
  if (panel) static_cast<OFD_simulator_output*>(panel)->next_page();
}

void OFD_simulator_output_callback_moins(Fl_Widget*, void* panel) {
  if (panel) static_cast<OFD_simulator_output*>(panel)->previous_page();
}
