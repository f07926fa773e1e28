// Message and input dialogs, widget and drawing helpers over FLTK taking standard strings.
//
// Every box goes through one replaceable sink. The default sink shows FLTK's modal boxes when an X
// display can be opened, and otherwise writes the text and a newline on standard error (a question
// answers no, an input box is cancelled). Texts are always shown literally, never used as a format.
// All of these must be called from the thread that owns the FLTK display.
#ifndef FORMSPP_H
#define FORMSPP_H

#include <FL/Enumerations.H>

#include <functional>
#include <string>

class Fl_Widget;
class Fl_Input_;
class Fl_Browser;
class Fl_FormsText;

// ---- message sink ----

enum class forms_box_kind { message, alert };

struct forms_sink {
  // Message or alert box; returns when the box is closed.
  std::function<void(forms_box_kind kind, const std::string& text)> show;
  // Yes/no question; 1 for yes, 0 otherwise.
  std::function<int(const std::string& question)> question;
  // Input box with a default text; false when cancelled, else true with the text in answer.
  std::function<bool(const std::string& prompt, const std::string& deflt, std::string& answer)> input;
  // Long-message window (fl_show_Sbigmessages) with its width in characters.
  std::function<void(const std::string& text, int width)> bigmessage;
  // show puts each text on standard error itself (at once or later), so that a report is not
  // written there again; the stderr sink's show counts as such.
  bool writes_stderr = false;
};

// True when an X display can be opened (checked once per process; FLTK then keeps that connection).
bool forms_display_available();
// The FLTK boxes, whatever the display.
forms_sink forms_display_sink();
// Writes every text with a newline on standard error; question 0, input cancelled.
forms_sink forms_stderr_sink();
// Replaces the sink; an entry left empty writes on standard error as forms_stderr_sink does.
void forms_set_sink(const forms_sink& sink);
// Back to the default: display sink when a display is available, else the stderr sink.
void forms_reset_sink();

// File selector of fl_show_Sbigmessages' "save" button: (message, directory, pattern, default name)
// to the chosen path, "" for none. An empty function restores FLTK's selector.
using forms_file_selector =
    std::function<std::string(const std::string& message, const std::string& dir,
                              const std::string& pattern, const std::string& fname)>;
void forms_set_file_selector(forms_file_selector selector);

// ---- message boxes ----

void fl_show_Smessages(const std::string& text);
void fl_show_Salert(const std::string& text);
// A report of the library: shown in a box of that kind and written once, with a newline, on
// standard error (by the sink when it writes_stderr or its show is the stderr sink's, else here).
void fl_report_S(forms_box_kind kind, const std::string& text);
// A fatal report: fl_report_S, then the end through the library's exit handler, g_exit(status,
// text and a newline, already written).
[[noreturn]] void fl_exit_S(forms_box_kind kind, const std::string& text, int status);
int fl_show_Squestion(const std::string& text, int unused = 0);
// Entered text, "" when cancelled.
std::string fl_show_Sinput(const std::string& prompt, const std::string& deflt);
// The default when cancelled or when the answer does not begin with a number (for the int, one
// that fits an int).
int fl_show_int(const char* prompt, int deflt);
double fl_show_double(const char* prompt, double deflt);
double fl_show_double(const std::string& prompt, double deflt);
// Scrolling window of the text's lines with "Quit" and "save" buttons; width in characters.
void fl_show_Sbigmessages(const std::string& text, int width);

// ---- widget helpers ----

void fl_set_Sinput(Fl_Input_* input, const std::string& text);
Fl_FormsText* fl_add_Stext(Fl_Boxtype box, int x, int y, int w, int h, const std::string& label);
void fl_add_browser_Sline(Fl_Browser* browser, const std::string& text);
// line is 1-based.
void fl_replace_browser_Sline(Fl_Browser* browser, int line, const std::string& text);
// Label cut to its first max characters when 0 <= max < length.
void fl_set_object_Slabel(Fl_Widget* widget, const std::string& text, int max);
void fl_drw_String(Fl_Align align, int x, int y, int w, int h, Fl_Color colour, int size,
                   Fl_Font font, const std::string& text);

// ---- drawing helpers (each sets the colour first) ----

void fl_ovalf(int x, int y, int w, int h, Fl_Color colour);
void fl_ovalf(int x, int y, int w, int h, int colour);
// (x, y) is the top-left corner of the d x d bounding box, not the centre.
void fl_circf(int x, int y, int d, Fl_Color colour);
void fl_circf(int x, int y, int d, int colour);
// Filled in the colour, outlined in black.
void fl_rectbound(const int& x, const int& y, const int& w, const int& h, const Fl_Color& colour);
void fl_rectbound(int x, int y, int w, int h, int colour);
void fl_line(int x1, int y1, int x2, int y2, Fl_Color colour);

// 1 when (x, y) lies on the segment (x1, y1)-(x2, y2) within tolerance (strict), else 0.
int point_dans_segment(double x, double y, double x1, double y1, double x2, double y2,
                       double tolerance);

#endif
