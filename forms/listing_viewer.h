// Modal window paging through a listing (the format of listing_filters.h), with French or English
// labels, that writes the listing as "tmp.pdf" or "tmp.txt" in the current directory.
#ifndef LISTING_VIEWER_H
#define LISTING_VIEWER_H

#include "listing_filters.h"

#include <list>
#include <memory>
#include <string>

class Fl_Window;
class Fl_Browser;
class Fl_Button;
class Fl_Input;
class Fl_FormsText;

// The command that opens "tmp.pdf" in a viewer: the name between double quotes, with the four
// characters the shell still reads there ("\"", "$", "`", "\\") escaped by a backslash, then
// " tmp.pdf".
std::string listing_viewer_command(const std::string& viewer);

// Page label "page i / n" and four spaces, cut to 25 characters; i and n count from 1.
std::string listing_page_label(int page, int last_page);

class OFD_afficheur {
 public:
  // Builds the 800 x 500 window (not shown). language 0: French labels, anything else: English.
  // The parent (null allowed) is inactive while an activation runs.
  OFD_afficheur(Fl_Window* parent, int language);
  ~OFD_afficheur();
  OFD_afficheur(const OFD_afficheur&) = delete;
  OFD_afficheur& operator=(const OFD_afficheur&) = delete;

  // Run the viewer on the listing from page 0 and return on cancel (or when the window manager
  // closes the window). An empty list or a null array returns at once without showing anything.
  // The array must stay unchanged during the call. The title is shown cut to 81 characters. An
  // empty viewer name keeps "tmp.pdf" and says so in a message box.
  void activation(const std::list<std::string>& lines, const std::string& title, const std::string& viewer);
  void activation(const std::string* lines, int count, const std::string& title, const std::string& viewer);

  // The operations below act on the listing of the running activation; outside one they do
  // nothing.
  void visu_page();
  void page_precedente();
  void page_suivante();
  // k is 0-based; ignored outside 0 to the last page index.
  void page_numero(int k);
  // Writes "tmp.pdf"; with a viewer name, shows it in the viewer, waits, and removes it.
  void fichier_pdf();
  // Writes "tmp.txt" and says so in a message box.
  void fichier_texte();
  // Runs the viewer command on "tmp.pdf", waits for it, removes "tmp.pdf"; nothing without a
  // viewer name.
  void imprime_tmp_pdf();

  // Runs "ps2pdf tmp.ps" then "acroread tmp.pdf" through the shell, waiting for each, then
  // removes "tmp.pdf" and "tmp.ps". Needs no activation ("tmp.ps" comes from the print filter).
  void imprime_tmp_ps();

  Fl_Window* window() const { return window_; }
  int current_page() const { return page_; }

 private:
  void run(const std::string* lines, int count, const std::string& title, const std::string& viewer);
  void go();

  int language_;
  int page_ = 0;
  // Filters of the running activation over its lines; null outside one.
  std::unique_ptr<OFD_afficheur_filtre_affichage> display_;
  std::unique_ptr<OFD_afficheur_filtre_impression> print_;
  std::unique_ptr<OFD_afficheur_filtre_texte> text_;
  std::string viewer_;
  Fl_Window* window_;
  Fl_Window* parent_;
  Fl_FormsText* title_box_;
  Fl_FormsText* page_box_;
  Fl_Browser* browser_;
  Fl_Button* previous_;
  Fl_Button* next_;
  Fl_Button* cancel_;
  Fl_Button* pdf_;
  Fl_Button* text_file_;
  Fl_Input* page_input_;
  Fl_Button* go_;
};

#endif
