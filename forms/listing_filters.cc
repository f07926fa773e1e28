#include "listing_filters.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::string display_prefix = "@f@S12 ";

std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

int listing_line_type(const std::string& line) {
  if (line.size() < 2 || line[0] != '#') return listing_ordinary;
  switch (line[1]) {
    case 'C': return listing_column;
    case 'P': return listing_print_column;
    case 'T': return listing_rule;
    default: return listing_ordinary;
  }
}

std::vector<int> listing_page_starts(const std::string* lines, int count) {
  std::vector<int> starts{0};
  int counted = 0;
  for (int i = 0; i < count; ++i) {
    const int type = listing_line_type(lines[i]);
    if (type == listing_ordinary || type == listing_rule) ++counted;
    if (counted == listing_page_lines && i + 1 < count) {
      starts.push_back(i + 1);
      counted = 0;
    }
  }
  return starts;
}

// ---- width lists ----

void listing_columns::clear() {
  std::fill(width, width + max_columns, 0);
  std::fill(mark, mark + max_columns, false);
}

void listing_columns::read(const std::string& line) {
  clear();
  int number = 0;
  int column = 0;
  for (char c : line) {
    if (c >= '0' && c <= '9') {
      number = std::min(number * 10 + (c - '0'), 10 * max_width);  // saturates: no overflow
    } else if (c == ' ') {
      if (number != 0) {
        if (column < max_columns) width[column] = std::min(number, max_width);
        ++column;
      }
      number = 0;
    } else if (c == 'T') {
      if (column < max_columns) mark[column] = true;
    }
  }
}

int listing_columns::units_before(int k) const {
  int sum = 0;
  for (int j = 0; j < k && j < max_columns; ++j) sum += width[j];
  return sum;
}

// ---- display filter ----

OFD_afficheur_filtre_affichage::OFD_afficheur_filtre_affichage(const std::string* lines, int count)
    : count_(lines ? std::max(count, 0) : 0), lines_(lines) {}

const std::vector<int>& OFD_afficheur_filtre_affichage::starts() {
  if (!counted_) {
    starts_ = listing_page_starts(lines_, count_);
    counted_ = true;
  }
  return starts_;
}

std::string OFD_afficheur_filtre_affichage::visu_ligne(const std::string& line) {
  switch (listing_line_type(line)) {
    case listing_column:
    case listing_print_column:
      columns_.read(line);
      return std::string();
    case listing_rule:
      return std::string(122, '-');
    default:
      break;
  }
  std::string out = display_prefix;
  std::string::size_type start = 0;
  for (int k = 0;; ++k) {
    const std::string::size_type hash = line.find('#', start);
    const std::string::size_type w = static_cast<std::string::size_type>(columns_.width_of(k));
    if (hash == std::string::npos) {  // the last field: cut, never padded
      out.append(line, start, w);
      return out;
    }
    if (w > 0) {
      const std::string::size_type n = std::min(hash - start, w);
      out.append(line, start, n);
      out.append(w - n, ' ');
    }
    start = hash + 1;
  }
}

std::string OFD_afficheur_filtre_affichage::visu_page(int k) {
  page_.clear();
  const std::vector<int>& s = starts();
  if (k >= 0 && static_cast<std::size_t>(k) < s.size()) {
    int counted = 0;
    for (int i = s[static_cast<std::size_t>(k)]; i < count_ && counted < listing_page_lines; ++i) {
      page_ += visu_ligne(lines_[i]);
      page_ += '\n';
      const int type = listing_line_type(lines_[i]);
      if (type == listing_ordinary || type == listing_rule) ++counted;
    }
  }
  return page_;
}

int OFD_afficheur_filtre_affichage::nb_pages() { return static_cast<int>(starts().size()) - 1; }

// ---- text filter ----

OFD_afficheur_filtre_texte::OFD_afficheur_filtre_texte(const std::string* lines, int count)
    : count_(lines ? std::max(count, 0) : 0), lines_(lines) {}

void OFD_afficheur_filtre_texte::imprime(std::ostream& os) const {
  for (int i = 0; i < count_; ++i) imprime_ligne(os, lines_[i]);
}

void OFD_afficheur_filtre_texte::imprime_ligne(std::ostream& os, const std::string& line) const {
  if (listing_line_type(line) == listing_ordinary)
    os << line << std::endl;
  else
    os << std::string(55, '-') << std::endl;
}

// ---- print filter ----

OFD_afficheur_filtre_impression::OFD_afficheur_filtre_impression(const std::string* lines, int count)
    : lines_(lines), count_(lines ? std::max(count, 0) : 0) {}

std::vector<OFD_afficheur_filtre_impression::field> OFD_afficheur_filtre_impression::fields(
    const std::string& line) const {
  std::vector<field> out;
  std::string::size_type start = 0;
  for (int k = 0;; ++k) {
    const std::string::size_type hash = line.find('#', start);
    const std::string::size_type end = hash == std::string::npos ? line.size() : hash;
    if (k < listing_columns::max_columns) {
      const std::string::size_type w = static_cast<std::string::size_type>(columns_.width[k]);
      std::string text;
      for (std::string::size_type i = start; i < end && i < start + w; ++i)
        if (line[i] != '(' && line[i] != ')') text += line[i];
      if (text != " ") out.push_back({margin_ + 5 + 5 * columns_.units_before(k), escaped(text)});
    }
    if (hash == std::string::npos) return out;
    // the character after "#" is skipped; a "#" at or next to the end leaves an empty field
    start = std::min(hash + 2, line.size());
  }
}

void OFD_afficheur_filtre_impression::put(std::ostream& os, const std::string& text) {
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
  offset_ += static_cast<long long>(text.size());
}

void OFD_afficheur_filtre_impression::start_object(std::ostream& os, int number) {
  if (static_cast<std::size_t>(number) >= objects_.size())
    objects_.resize(static_cast<std::size_t>(number) + 1, -1);
  objects_[static_cast<std::size_t>(number)] = offset_;
  put(os, std::to_string(number) + " 0 obj\n");
}

void OFD_afficheur_filtre_impression::flush_stream(std::ostream& os) {
  // the newline ending the last content line is the end-of-line before "endstream"
  const std::size_t length = content_.empty() ? 0 : content_.size() - 1;
  put(os, "  << /Length " + std::to_string(length) + " >>\nstream\n");
  put(os, content_);
  put(os, "endstream\nendobj\n\n");
  content_.clear();
}

void OFD_afficheur_filtre_impression::pdf_segment(const char* indent, int x1, int y1, int x2, int y2) {
  content_ += indent + std::to_string(x1) + ' ' + std::to_string(y1) + " m\n";
  content_ += indent + std::to_string(x2) + ' ' + std::to_string(y2) + " l\n";
  content_ += "       S\n";
}

void OFD_afficheur_filtre_impression::close_block_pdf(const char* indent) {
  for (int k = 0; k < listing_columns::max_columns; ++k)
    if (columns_.mark[k]) {
      const int x = margin_ + 5 * columns_.units_before(k);
      pdf_segment(indent, x, top_pdf_ + 10 - 10 * line_, x, top_pdf_ + 10 - 10 * block_);
    }
}

namespace {

const char* const page_head = "  << /Type /Page\n     /Parent 3 0 R\n     /MediaBox [0 0 612 792]\n";
const char* const page_resources =
    "     /Resources << /ProcSet 4 0 R\n"
    "                   /Font << /F1 5 0 R >>\n"
    "                >>\n"
    "  >>\n"
    "endobj\n"
    "\n";

}  // namespace

void OFD_afficheur_filtre_impression::begin_pdf(std::ostream& os) {
  const int pages = static_cast<int>(listing_page_starts(lines_, count_).size());
  line_ = block_ = 1;
  pages_ = 0;
  columns_.clear();  // a second document of the same filter starts as the first did
  content_.clear();
  offset_ = 0;
  objects_.assign(static_cast<std::size_t>(10 + 2 * pages), -1);

  put(os, "%PDF-1.4\n");
  start_object(os, 1);
  put(os, "  << /Type /Catalog\n     /Outlines 2 0 R\n     /Pages 3 0 R\n  >>\nendobj\n\n");
  start_object(os, 2);
  put(os, "  << /Type /Outlines\n     /Count 0\n  >>\nendobj\n\n");
  start_object(os, 3);
  std::string kids = "  << /Type /Pages\n     /Kids [\n10 0 R\n";
  for (int p = 1; p < pages; ++p) kids += "         " + std::to_string(10 + 2 * p) + " 0 R\n";
  kids += "         ]\n     /Count " + std::to_string(pages) + "\n  >>\nendobj\n\n";
  put(os, kids);
  start_object(os, 4);
  put(os, "   [/PDF /Text]\nendobj\n\n");
  start_object(os, 5);
  put(os,
      "  << /Type /Font\n     /Subtype /Type1\n     /Name /F1\n     /BaseFont /Times-Roman\n"
      "     /Encoding /WinAnsiEncoding\n  >>\nendobj\n\n");
  start_object(os, 10);
  put(os, std::string(page_head) + "     /Contents 11 0 R\n" + page_resources);
  start_object(os, 11);
}

void OFD_afficheur_filtre_impression::new_width_list(int type, const std::string& line) {
  if (type == listing_print_column)
    line_ = 0;  // the next line prints at the top line position
  else
    block_ = line_;
  columns_.read(line);
}

void OFD_afficheur_filtre_impression::pdf(std::ostream&, const std::string& line) {
  const int type = listing_line_type(line);
  if (type == listing_column) close_block_pdf("    ");
  if (type == listing_column || type == listing_print_column) return new_width_list(type, line);
  switch (type) {
    case listing_rule: {
      const int y = top_pdf_ - 10 * line_;
      pdf_segment("    ", margin_, y, margin_ + 5 * columns_.units_before(listing_columns::max_columns), y);
      ++line_;
      return;
    }
    default:
      break;
  }
  const std::string y = std::to_string(top_pdf_ - 10 * line_);
  for (const field& f : fields(line)) {
    content_ += "   BT\n     /F1 7 Tf\n     ";
    content_ += std::to_string(f.x) + ' ' + y + " Td\n(";
    content_ += f.text;
    content_ += ") Tj\n   ET\n";
  }
  ++line_;
}

void OFD_afficheur_filtre_impression::next_page_pdf(std::ostream& os, int) {
  close_block_pdf("    ");
  flush_stream(os);
  ++pages_;
  start_object(os, 10 + 2 * pages_);
  put(os, std::string(page_head) + "     /Contents " +
              std::to_string(11 + 2 * pages_) + " 0 R\n" + page_resources);
  start_object(os, 11 + 2 * pages_);
  line_ = block_ = 1;
}

void OFD_afficheur_filtre_impression::end_pdf(std::ostream& os) {
  close_block_pdf("      ");
  flush_stream(os);
  const int size = 12 + 2 * pages_;
  objects_.resize(static_cast<std::size_t>(size), -1);
  const long long xref = offset_;
  std::string table = "xref\n0 " + std::to_string(size) + "\n";
  // free entries 0 and 6 to 9, linked in increasing order and back to 0
  const auto next_free = [&](int n) {
    for (int m = n + 1; m < size; ++m)
      if (objects_[static_cast<std::size_t>(m)] < 0) return m;
    return 0;
  };
  char entry[32];
  for (int n = 0; n < size; ++n) {
    const long long at = objects_[static_cast<std::size_t>(n)];
    if (n != 0 && at >= 0)
      std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", at);
    else
      std::snprintf(entry, sizeof entry, "%010d %05d f \n", next_free(n), n == 0 ? 65535 : 0);
    table += entry;
  }
  table += "\ntrailer\n  << /Size " + std::to_string(size) + "\n     /Root 1 0 R\n  >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
  put(os, table);
}

void OFD_afficheur_filtre_impression::print(std::ostream& os, void (Self::*begin)(std::ostream&),
                                            void (Self::*line)(std::ostream&, const std::string&),
                                            void (Self::*page)(std::ostream&, int),
                                            void (Self::*end)(std::ostream&)) {
  const std::vector<int> starts = listing_page_starts(lines_, count_);
  (this->*begin)(os);
  std::size_t next = 1;
  for (int i = 0; i < count_; ++i) {
    (this->*line)(os, lines_[i]);
    if (next < starts.size() && starts[next] == i + 1) (this->*page)(os, static_cast<int>(next++));
  }
  (this->*end)(os);
}

void OFD_afficheur_filtre_impression::imprime_pdf(std::ostream& os) {
  print(os, &Self::begin_pdf, &Self::pdf, &Self::next_page_pdf, &Self::end_pdf);
}

// ---- PostScript ----

void OFD_afficheur_filtre_impression::begin_postscript(std::ostream& os) {
  line_ = block_ = 1;
  columns_.clear();
  os << "%!PS-Adobe-2.0\n%%Creator: pruvel\n%%Title: tmp.ps\n%%Pages: 1\n%%PageOrder: Ascend\n"
        "%%BoundingBox: 0 0 612 792\n%%DocumentPaperSizes: a4\n%%EndComments\n"
        "a4\n/Times-Roman findfont\n7 scalefont\nsetfont\n";
}

void OFD_afficheur_filtre_impression::close_block_postscript(std::ostream& os) const {
  for (int k = 0; k < listing_columns::max_columns; ++k)
    if (columns_.mark[k]) {
      const int x = margin_ + 5 * columns_.units_before(k);
      os << "newpath " << x << ' ' << top_ps_ + 10 - 10 * line_ << " moveto " << x << ' '
         << top_ps_ + 10 - 10 * block_ << " lineto stroke \n";
    }
}

void OFD_afficheur_filtre_impression::postscript(std::ostream& os, const std::string& line) {
  const int type = listing_line_type(line);
  if (type == listing_column) close_block_postscript(os);
  if (type == listing_column || type == listing_print_column) return new_width_list(type, line);
  switch (type) {
    case listing_rule: {
      const int y = top_ps_ - 10 * line_;
      os << "newpath " << margin_ << ' ' << y << " moveto "
         << margin_ + 5 * columns_.units_before(listing_columns::max_columns) << ' ' << y
         << " lineto stroke \n";
      ++line_;
      return;
    }
    default:
      break;
  }
  const int y = top_ps_ - 10 * line_;
  for (const field& f : fields(line)) os << f.x << ' ' << y << " moveto (" << f.text << ") show\n";
  ++line_;
}

void OFD_afficheur_filtre_impression::next_page_postscript(std::ostream& os, int page) {
  close_block_postscript(os);
  os << "showpage\n%%page : " << page << ' ' << page
     << "\na4\n/Times-Roman findfont\n7 scalefont\nsetfont\n";
  line_ = block_ = 1;
}

void OFD_afficheur_filtre_impression::end_postscript(std::ostream& os) {
  close_block_postscript(os);
  os << "showpage\n";
}

void OFD_afficheur_filtre_impression::imprime_postscript(std::ostream& os) {
  print(os, &Self::begin_postscript, &Self::postscript, &Self::next_page_postscript, &Self::end_postscript);
}
