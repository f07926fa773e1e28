#include "listing_viewer.h"

#include "Stringpp.h"
#include "forms_style.h"
#include "formspp.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

// Longest page line put in the browser.
constexpr std::string::size_type browser_line_max = 161;

const char* pick(int language, const char* french, const char* english) {
  return language == 0 ? french : english;
}

void run_command(const std::string& command) {
  const int status = std::system(command.c_str());
  (void)status;  // the commands report nothing back to the viewer
}

}  // namespace

std::string listing_viewer_command(const std::string& viewer) {
  std::string command = "\"";
  for (char c : viewer) {
    if (c == '"' || c == '$' || c == '`' || c == '\\') command += '\\';
    command += c;
  }
  return command + "\" tmp.pdf";
}

std::string listing_page_label(int page, int last_page) {
  const std::string label = "page " + unslong2S(static_cast<unsigned long>(page) + 1) + " / " +
                            unslong2S(static_cast<unsigned long>(last_page) + 1) + "    ";
  return label.substr(0, 25);
}

OFD_afficheur::OFD_afficheur(Fl_Window* parent, int language) : language_(language), parent_(parent) {
  forms_top_window form(800, 500);
  window_ = form.window();
  new Fl_Box(FL_UP_BOX, 0, 0, 800, 500, nullptr);
  browser_ = new Fl_Browser(10, 50, 780, 370);
  browser_->type(FL_HOLD_BROWSER);
  browser_->box(FL_DOWN_BOX);
  browser_->color(FL_BACKGROUND_COLOR);
  title_box_ = new Fl_FormsText(FL_NO_BOX, 230, 20, 310, 20);
  title_box_->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE);
  title_box_->labelfont(FL_HELVETICA_BOLD);
  title_box_->labelsize(14);
  page_box_ = new Fl_FormsText(FL_NO_BOX, 80, 20, 120, 20);
  page_box_->align(FL_ALIGN_LEFT);
  next_ = forms_times_button(270, 430, 100, 20, pick(language, "page suivante", "next page"));
  previous_ = forms_times_button(270, 460, 100, 20, pick(language, "page precedente", "previous page"));
  cancel_ = forms_times_button(40, 430, 70, 50, pick(language, "ANNULER", "CANCEL"));
  pdf_ = forms_times_button(460, 430, 100, 50, pick(language, "fichier pdf", "pdf file"));
  text_file_ = forms_times_button(660, 430, 100, 50, pick(language, "fichier texte", "text file"));
  page_input_ = new Fl_Input(150, 445, 40, 20);
  go_ = new Fl_Button(190, 445, 20, 20);
  form.end();
}

OFD_afficheur::~OFD_afficheur() { delete window_; }

void OFD_afficheur::activation(const std::list<std::string>& lines, const std::string& title,
                               const std::string& viewer) {
  const std::vector<std::string> copy(lines.begin(), lines.end());
  run(copy.empty() ? nullptr : copy.data(), static_cast<int>(copy.size()), title, viewer);
}

void OFD_afficheur::activation(const std::string* lines, int count, const std::string& title,
                               const std::string& viewer) {
  run(lines, count, title, viewer);
}

void OFD_afficheur::run(const std::string* lines, int count, const std::string& title,
                        const std::string& viewer) {
  if (parent_) parent_->deactivate();
  if (!lines) {
    if (parent_) parent_->activate();
    return;
  }
  viewer_ = viewer;
  page_ = 0;
  display_.reset(new OFD_afficheur_filtre_affichage(lines, count));
  print_.reset(new OFD_afficheur_filtre_impression(lines, count));
  text_.reset(new OFD_afficheur_filtre_texte(lines, count));

  visu_page();
  fl_set_object_Slabel(title_box_, title, 81);
  forms_show_transient(window_, "");
  while (Fl_Widget* read = forms_wait_widget(window_)) {
    if (read == cancel_) break;
    if (read == previous_)
      page_precedente();
    else if (read == next_)
      page_suivante();
    else if (read == pdf_)
      fichier_pdf();
    else if (read == text_file_)
      fichier_texte();
    else if (read == go_)
      go();
  }
  window_->hide();
  if (parent_) parent_->activate();
  display_.reset();
  print_.reset();
  text_.reset();
}

void OFD_afficheur::go() {
  const long number = Stol(page_input_->value() ? page_input_->value() : "");
  if (number >= 1 && number <= INT_MAX) page_numero(static_cast<int>(number - 1));
}

void OFD_afficheur::visu_page() {
  if (!display_) return;
  const std::string text = display_->visu_page(page_);
  browser_->clear();
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    browser_->add(text.substr(start, std::min(end - start, browser_line_max)).c_str());
    start = end + 1;
  }
  browser_->show();
  fl_set_object_Slabel(page_box_, listing_page_label(page_, display_->nb_pages()), 25);
  fl_set_Sinput(page_input_, unslong2S(static_cast<unsigned long>(page_) + 1));
}

void OFD_afficheur::page_precedente() {
  if (!display_ || page_ <= 0) return;
  --page_;
  visu_page();
}

void OFD_afficheur::page_suivante() {
  if (!display_ || page_ >= display_->nb_pages()) return;
  ++page_;
  visu_page();
}

void OFD_afficheur::page_numero(int k) {
  if (!display_ || k < 0 || k > display_->nb_pages()) return;
  page_ = k;
  visu_page();
}

void OFD_afficheur::fichier_pdf() {
  if (!print_) return;
  {
    std::ofstream out("tmp.pdf", std::ios::binary | std::ios::trunc);
    print_->imprime_pdf(out);
  }
  if (!viewer_.empty())
    imprime_tmp_pdf();
  else
    fl_show_Smessages(pick(language_, "generation du fichier tmp.pdf", "generation of tmp.pdf file"));
}

void OFD_afficheur::fichier_texte() {
  if (!text_) return;
  {
    std::ofstream out("tmp.txt", std::ios::trunc);
    text_->imprime(out);
  }
  fl_show_Smessages(pick(language_, "generation du fichier tmp.txt", "generation of tmp.txt file"));
}

void OFD_afficheur::imprime_tmp_pdf() {
  if (viewer_.empty()) return;  // no viewer: the file stays
  run_command(listing_viewer_command(viewer_));
  std::remove("tmp.pdf");
}

void OFD_afficheur::imprime_tmp_ps() {
  run_command("ps2pdf tmp.ps");
  run_command("acroread tmp.pdf");
  std::remove("tmp.pdf");
  std::remove("tmp.ps");
}
