// The FLTK display of the library's messages (g_messages.h), widget and drawing helpers over FLTK
// taking standard strings. All of these must be called from the thread that owns the FLTK display.
#ifndef FORMSPP_H
#define FORMSPP_H

#include "g_messages.h"

#include <FL/Enumerations.H>

#include <functional>
#include <string>

class Fl_Widget;
class Fl_Input_;
class Fl_Browser;
class Fl_FormsText;

// ---- the display sink ----

// True when an X display can be opened (checked once per process; FLTK then keeps that connection).
bool forms_display_available();
// The FLTK boxes, whatever the display; its listing is the listing viewer (English labels, no PDF
// viewer) whose parent is an unshown 740 x 665 window with an up-box.
forms_sink forms_display_sink();
// Makes the default sink (forms_set_default_sink) the display sink when a display is available,
// else the stderr sink; the display is looked for at the first message, not before.
void forms_install_display_sink();

// File selector of fl_show_Sbigmessages' "save" button: (message, directory, pattern, default name)
// to the chosen path, "" for none. An empty function restores FLTK's selector.
using forms_file_selector =
    std::function<std::string(const std::string& message, const std::string& dir,
                              const std::string& pattern, const std::string& fname)>;
void forms_set_file_selector(forms_file_selector selector);

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
