#include "g_messages.h"

#include "g_exit.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <utility>

namespace {

void stderr_show(forms_box_kind, const std::string& text) { std::cerr << text << '\n' << std::flush; }

int stderr_question(const std::string& text) {
  std::cerr << text << '\n' << std::flush;
  return 0;
}

bool stderr_input(const std::string& prompt, const std::string&, std::string&) {
  std::cerr << prompt << '\n' << std::flush;
  return false;
}

void stderr_bigmessage(const std::string& text, int) { std::cerr << text << '\n' << std::flush; }

void stderr_listing(const std::list<std::string>&, const std::string&) {}

// The sink with each empty entry the stderr sink's.
forms_sink complete(forms_sink s) {
  if (!s.show) s.show = stderr_show;
  if (!s.question) s.question = stderr_question;
  if (!s.input) s.input = stderr_input;
  if (!s.bigmessage) s.bigmessage = stderr_bigmessage;
  if (!s.listing) s.listing = stderr_listing;
  return s;
}

// Built on first use, so that a chooser or a sink set during static initialisation is kept.
std::function<forms_sink()>& chooser() {
  static std::function<forms_sink()> choose;
  return choose;
}

forms_sink default_sink() { return complete(chooser() ? chooser()() : forms_sink()); }

forms_sink& current_sink() {
  static forms_sink sink = default_sink();
  return sink;
}

// "%lf" text of any double (1e308 has over 300 digits).
std::string double_text(double value) {
  const int n = std::snprintf(nullptr, 0, "%lf", value);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(&out[0], out.size(), "%lf", value);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string prompt_text(const char* prompt) { return prompt ? std::string(prompt) : std::string(); }

}  // namespace

// ---- sink selection ----

forms_sink forms_stderr_sink() { return complete(forms_sink()); }

void forms_set_sink(const forms_sink& sink) { current_sink() = complete(sink); }

void forms_reset_sink() { current_sink() = default_sink(); }

void forms_set_default_sink(std::function<forms_sink()> choose) { chooser() = std::move(choose); }

// ---- message boxes ----

void fl_show_Smessages(const std::string& text) { current_sink().show(forms_box_kind::message, text); }

void fl_show_Salert(const std::string& text) { current_sink().show(forms_box_kind::alert, text); }

void fl_report_S(forms_box_kind kind, const std::string& text) {
  const forms_sink& sink = current_sink();
  sink.show(kind, text);
  typedef void (*show_function)(forms_box_kind, const std::string&);
  const show_function* f = sink.show.target<show_function>();
  if (!sink.writes_stderr && (f == nullptr || *f != stderr_show)) std::cerr << text << std::endl;
}

void fl_exit_S(forms_box_kind kind, const std::string& text, int status) {
  fl_report_S(kind, text);
  g_exit(status, text + "\n", true);
}

int fl_show_Squestion(const std::string& text, int) { return current_sink().question(text) == 1 ? 1 : 0; }

std::string fl_show_Sinput(const std::string& prompt, const std::string& deflt) {
  std::string answer;
  return current_sink().input(prompt, deflt, answer) ? answer : std::string();
}

int fl_show_int(const char* prompt, int deflt) {
  std::string answer;
  if (!current_sink().input(prompt_text(prompt), std::to_string(deflt), answer)) return deflt;
  const char* begin = answer.c_str();
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || v < INT_MIN || v > INT_MAX) return deflt;
  return static_cast<int>(v);
}

double fl_show_double(const char* prompt, double deflt) {
  std::string answer;
  if (!current_sink().input(prompt_text(prompt), double_text(deflt), answer)) return deflt;
  const char* begin = answer.c_str();
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  return end == begin ? deflt : v;
}

double fl_show_double(const std::string& prompt, double deflt) { return fl_show_double(prompt.c_str(), deflt); }

void fl_show_Sbigmessages(const std::string& text, int width) { current_sink().bigmessage(text, width); }

void fl_show_Slisting(const std::list<std::string>& lines, const std::string& title) { current_sink().listing(lines, title); }
