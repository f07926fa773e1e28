// The library's messages to the user (message, alert, question and input boxes, the long-message
// and the listing windows), each handed to one replaceable sink; no window library here.
//
// The default sink writes every text and a newline on standard error (a question answers no, an
// input box is cancelled, no listing is shown) unless a display library installs its own default
// (forms_install_display_sink of forms/, whose FLTK boxes are shown when an X display can be
// opened). Texts are always shown literally, never used as a format. Not for concurrent use; a
// display's sink must be called from the thread that owns the display.
#ifndef BIBLIOCPP_G_MESSAGES_H
#define BIBLIOCPP_G_MESSAGES_H

#include <functional>
#include <list>
#include <string>

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
  // Paged listing viewer (fl_show_Slisting) of entries in the listing format of forms/listing_filters.h.
  std::function<void(const std::list<std::string>& lines, const std::string& title)> listing;
  // show puts each text on standard error itself (at once or later), so that a report is not
  // written there again; the stderr sink's show counts as such.
  bool writes_stderr = false;
};

// Writes every text with a newline on standard error; question 0, input cancelled, no listing.
forms_sink forms_stderr_sink();
// Replaces the sink; an entry left empty does as forms_stderr_sink's.
void forms_set_sink(const forms_sink& sink);
// Back to the default sink.
void forms_reset_sink();
// The default sink from now on: the one choose returns (its empty entries the stderr sink's) at
// the sink's first use and at each forms_reset_sink; the stderr sink for an empty choose. Set
// before the first message, it needs no reset.
void forms_set_default_sink(std::function<forms_sink()> choose);

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
// The listing in the sink's viewer under the title; returns when the viewer is closed.
void fl_show_Slisting(const std::list<std::string>& lines, const std::string& title);

#endif
