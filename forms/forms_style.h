// Building blocks of the library's forms-style windows: a window begun outside any caller's group,
// shown at the mouse with a copied title, and read through FLTK's widget queue.
#ifndef FORMS_STYLE_H
#define FORMS_STYLE_H

#include <FL/Enumerations.H>

#include <string>

class Fl_Button;
class Fl_Group;
class Fl_Widget;
class Fl_Window;

// A top-level window without a box, begun (its widgets go into it) even inside a caller's begun
// form; end() closes it and gives the caller its current group back.
class forms_top_window {
 public:
  forms_top_window(int w, int h);
  Fl_Window* window() const { return window_; }
  void end();

 private:
  Fl_Group* caller_;
  Fl_Window* window_;
};

// Shows the window at the mouse with a transient border and a copy of the title, lets FLTK draw it
// at once, and keeps the caller's current group (showing a window clears it).
void forms_show_transient(Fl_Window* window, const std::string& title);

// Next widget read from FLTK's queue, blocking in Fl::wait() meanwhile (timeouts still run); null
// once the window is no longer shown (closed by the window manager, or never shown).
Fl_Widget* forms_wait_widget(Fl_Window* window);

// Normal button with a copied label in Times 12.
Fl_Button* forms_times_button(int x, int y, int w, int h, const char* label);

#endif
