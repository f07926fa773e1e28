#include "forms_style.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

forms_top_window::forms_top_window(int w, int h) : caller_(Fl_Group::current()) {
  Fl_Group::current(nullptr);
  window_ = new Fl_Window(w, h);
  window_->box(FL_NO_BOX);
}

void forms_top_window::end() {
  window_->end();
  Fl_Group::current(caller_);
}

void forms_show_transient(Fl_Window* window, const std::string& title) {
  Fl_Group* const caller = Fl_Group::current();
  window->copy_label(title.c_str());
  fl_show_form(window, FL_PLACE_MOUSE, FL_TRANSIENT, window->label());  // same pointer: kept copied
  Fl::check();
  Fl_Group::current(caller);
}

Fl_Widget* forms_wait_widget(Fl_Window* window) {
  for (;;) {
    if (Fl_Widget* read = Fl::readqueue()) return read;
    if (!window || !window->shown()) return nullptr;
    Fl::wait();
  }
}

Fl_Button* forms_times_button(int x, int y, int w, int h, const char* label) {
  Fl_Button* b = new Fl_Button(x, y, w, h);
  if (label) b->copy_label(label);
  b->labelfont(FL_TIMES);
  b->labelsize(12);
  return b;
}
