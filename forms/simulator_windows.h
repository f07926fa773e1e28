// Small forms-style windows: a wait window shown while the caller works, and the simulator's input
// panel (two check columns, GO, INIT and QUIT) and output panel (names paged with a lamp each).
// The panels know nothing of modules or signals: the caller adds names and passes int values.
#ifndef SIMULATOR_WINDOWS_H
#define SIMULATOR_WINDOWS_H

#include <FL/Enumerations.H>

#include <list>
#include <string>
#include <vector>

class Fl_Box;
class Fl_Browser;
class Fl_Button;
class Fl_Check_Browser;
class Fl_FormsText;
class Fl_Widget;
class Fl_Window;

// Shown (600 x 60, titled "travail en cours ...") and drawn from construction; hidden at the end.
class OFD_wait_form {
 public:
  explicit OFD_wait_form(const std::string& text);
  ~OFD_wait_form();
  OFD_wait_form(const OFD_wait_form&) = delete;
  OFD_wait_form& operator=(const OFD_wait_form&) = delete;

  Fl_Window* window() const { return window_; }

 private:
  Fl_Window* window_;
  Fl_FormsText* text_;
};

class OFD_simulator_input {
 public:
  // Own 400 x height window titled "Inputs Pannel", shown.
  explicit OFD_simulator_input(int height);
  // The same widgets moved right by x in the caller's current group (of window); not shown.
  OFD_simulator_input(Fl_Window* window, int x, int height);
  // Hides the window it holds: its own, or the caller's for the embedded panel.
  ~OFD_simulator_input();
  OFD_simulator_input(const OFD_simulator_input&) = delete;
  OFD_simulator_input& operator=(const OFD_simulator_input&) = delete;

  // Adds the name as a line of both check browsers.
  void add(const std::string& name);
  // Waits for a button. QUIT (or the window no longer shown): quit = 1. INIT: quit = 0, every
  // signal unchecked, init = 1. GO: quit = init = 0, values[i] = 1 when signal i is checked, else 0,
  // and signals not checked in the sticky column are unchecked. values must hold one int per name
  // added; the three pointers must be valid.
  void check(int* init, int* quit, int* values);

  Fl_Window* window() const { return window_; }
  Fl_Check_Browser* signals() const { return signal_; }
  Fl_Check_Browser* sticky() const { return sticky_; }

 private:
  void build(int x, int height);

  Fl_Window* window_;
  bool owned_;
  Fl_Button* quit_;
  Fl_Button* go_;
  Fl_Button* init_;
  Fl_Check_Browser* signal_;
  Fl_Check_Browser* sticky_;
  std::list<std::string> names_;
  int count_ = 0;
};

// Lamp colours: value 1 blue, 0 yellow, anything else red.
int simulator_lamp_colour(int value);
// Rows per page of an output panel of that height: (height - 85) / 16, at least 1 and at most
// 32768 (the lamps).
int simulator_output_rows(int height);

class OFD_simulator_output {
 public:
  // Own 240 x height window with the title, shown.
  OFD_simulator_output(int height, const std::string& title);
  // In the caller's current group (of window), moved right by x, the title as a text label; not
  // shown.
  OFD_simulator_output(Fl_Window* window, int x, int height, const std::string& title);
  ~OFD_simulator_output();
  OFD_simulator_output(const OFD_simulator_output&) = delete;
  OFD_simulator_output& operator=(const OFD_simulator_output&) = delete;

  // Appends a name with the value 2; moves to its page when it starts a page after the current one.
  void add(const std::string& name);
  // Copies one value per name added (values must hold that many) and recolours the shown lamps.
  void eval(const int* values);
  void next_page();
  void previous_page();
  Fl_Button* my_plus_button() const { return plus_; }
  Fl_Button* my_moins_button() const { return minus_; }
  void check() {}

  Fl_Window* window() const { return window_; }
  Fl_Browser* browser() const { return browser_; }
  int page() const { return page_; }
  int rows() const { return rows_; }
  // Lamp of row i (0 to rows() - 1).
  Fl_Box* lamp(int i) const { return lamps_[static_cast<std::size_t>(i)]; }

 private:
  void build(int x, int height, Fl_Color selection);
  void show_page();
  void colour_lamp(int row, int value);

  Fl_Window* window_;
  bool owned_;
  int x_;
  std::vector<std::string> names_;
  int page_ = 0;
  int rows_;
  std::vector<Fl_Box*> lamps_;  // the first rows_ slots of the panel
  Fl_Browser* browser_;
  Fl_Button* plus_;
  Fl_Button* minus_;
  std::vector<int> values_;  // one per name
};

void OFD_simulator_output_callback_plus(Fl_Widget* widget, void* panel);
void OFD_simulator_output_callback_moins(Fl_Widget* widget, void* panel);

#endif
