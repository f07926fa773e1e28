// Filters of the listing viewer: the display filter lays out one page as browser text, the text
// filter writes the listing as plain text, the print filter writes it as a multi-page PDF or a
// PostScript document. None of them needs a display.
//
// Listing format: a line beginning with "#C" is a column line, "#P" a print-column line, "#T" a
// rule line, any other line (one shorter than two characters too) an ordinary line. The width list
// of a column or print-column line is read from its first character: digits accumulate a number, a
// space stores a non-zero number as the next column's width, a "T" marks the column whose width is
// being read or comes next, anything else is skipped. An ordinary line holds "#"-separated fields,
// field k shown in column k's width. Pages hold 77 counted (ordinary and rule) lines.
//
// Every filter keeps a pointer to the caller's array of lines, which must outlive it and stay
// unchanged while it is used.
#ifndef LISTING_FILTERS_H
#define LISTING_FILTERS_H

#include <ostream>
#include <string>
#include <vector>

enum listing_line_kind { listing_ordinary = 0, listing_column = 1, listing_print_column = 2, listing_rule = 3 };

// 0 ordinary, 1 "#C", 2 "#P", 3 "#T": only the first two characters decide.
int listing_line_type(const std::string& line);

// Counted lines per page.
constexpr int listing_page_lines = 77;

// Index of the first line of every page: 0, then each line that follows the 77th counted line of
// a page. An empty listing has the one start 0; a last counted line that fills its page opens no
// empty page.
std::vector<int> listing_page_starts(const std::string* lines, int count);

// Widths and marks of the last width list read. Fixed tables of 15 columns: widths and marks of
// later columns are not stored (they read as width 0, unmarked); a width is clamped to 1000, so
// padding and page coordinates stay bounded whatever the listing holds.
struct listing_columns {
  static constexpr int max_columns = 15;
  static constexpr int max_width = 1000;

  int width[max_columns] = {};
  bool mark[max_columns] = {};

  void clear();
  // Clears, then reads the width list of a "#C" or "#P" line (a final number without a space
  // after it is dropped).
  void read(const std::string& line);
  // Width of column k, 0 outside the table.
  int width_of(int k) const { return k >= 0 && k < max_columns ? width[k] : 0; }
  // Sum of the widths of the columns before k (all 15 for k >= 15).
  int units_before(int k) const;
};

// Page layout for the viewer's browser.
class OFD_afficheur_filtre_affichage {
 public:
  OFD_afficheur_filtre_affichage(const std::string* lines, int count);

  int typeligne(const std::string& line) const { return listing_line_type(line); }
  // Column lines set the widths and show as ""; a rule line is 122 "-"; an ordinary line is
  // "@f@S12 " followed by its fields in fixed-width columns (the last field cut, never padded).
  std::string visu_ligne(const std::string& line);
  // Page k (0-based): each line's display form and a newline; "" past the last page. The widths in
  // force are those of the last column line displayed, on this page or on one displayed before.
  std::string visu_page(int k);
  // Index of the last page; 0 for an empty listing.
  int nb_pages();

 private:
  const std::vector<int>& starts();

  std::string page_;         // text of the page last built
  listing_columns columns_;  // marks are kept but not displayed
  int count_;
  const std::string* lines_;
  std::vector<int> starts_;  // page starts, computed on first use: paging stays linear
  bool counted_ = false;
};

// Plain text: ordinary lines as they stand, every other line as 55 "-"; flushed line by line.
class OFD_afficheur_filtre_texte {
 public:
  OFD_afficheur_filtre_texte(const std::string* lines, int count);

  int typeligne(const std::string& line) const { return listing_line_type(line); }
  void imprime(std::ostream& os) const;
  void imprime_ligne(std::ostream& os, const std::string& line) const;

 private:
  int count_;
  const std::string* lines_;
};

// Printed document: Times-Roman 7 pt, 10-point line pitch, 77 lines a page, fields at fixed column
// positions (5 points a width unit from the left margin 40), rule lines as horizontal rules and
// marked columns as vertical rules down the block of lines their width list governs. The character
// after each "#" and every parenthesis are not printed; "\" is escaped in the document's strings.
//
// The PDF steps keep the current page's content in memory until the page ends, so that its
// /Length and the cross-reference offsets are exact; imprime_pdf and imprime_postscript run the
// steps in order, and a document written step by step must do the same (begin, lines, pages, end).
class OFD_afficheur_filtre_impression {
 public:
  OFD_afficheur_filtre_impression(const std::string* lines, int count);

  int typeligne(const std::string& line) const { return listing_line_type(line); }

  void imprime_pdf(std::ostream& os);
  void imprime_postscript(std::ostream& os);

  void begin_pdf(std::ostream& os);
  void pdf(std::ostream& os, const std::string& line);
  void next_page_pdf(std::ostream& os, int page);
  void end_pdf(std::ostream& os);

  void begin_postscript(std::ostream& os);
  void postscript(std::ostream& os, const std::string& line);
  void next_page_postscript(std::ostream& os, int page);
  void end_postscript(std::ostream& os);

 private:
  using Self = OFD_afficheur_filtre_impression;
  // The whole document: begin, every line, a new page after each page's last line, end.
  void print(std::ostream& os, void (Self::*begin)(std::ostream&),
             void (Self::*line)(std::ostream&, const std::string&), void (Self::*page)(std::ostream&, int),
             void (Self::*end)(std::ostream&));

  struct field {
    int x;
    std::string text;  // escaped
  };
  // Printed fields of an ordinary line, those of exactly one space left out.
  std::vector<field> fields(const std::string& line) const;
  // A "#P" line moves to the top line, a "#C" line (its block closed by the caller) opens a new
  // block; both then read their width list.
  void new_width_list(int type, const std::string& line);
  // Vertical rules of the marked columns closing the current block, PDF form with the given
  // indent before the coordinates.
  void close_block_pdf(const char* indent);
  void close_block_postscript(std::ostream& os) const;
  void pdf_segment(const char* indent, int x1, int y1, int x2, int y2);
  // Writes to the document and counts its bytes.
  void put(std::ostream& os, const std::string& text);
  void start_object(std::ostream& os, int number);
  // Length line, "stream", the page content, "endstream", "endobj" and an empty line.
  void flush_stream(std::ostream& os);

  const std::string* lines_;
  int count_;
  int top_ps_ = 800;   // y of line 1 plus one pitch
  int top_pdf_ = 780;
  int pages_ = 0;      // PDF pages begun after the first
  int margin_ = 40;
  listing_columns columns_;
  int line_ = 1;   // L: current line on the page
  int block_ = 1;  // S: line at which the current column block began

  std::string content_;             // the current PDF page's stream
  long long offset_ = 0;            // bytes of the PDF document written
  std::vector<long long> objects_;  // offset of each object written, by number; -1 for none
};

#endif
