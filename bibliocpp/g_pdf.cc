#include "g_pdf.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <vector>

namespace {

// Forwards to the caller's buffer and counts the bytes taken, so that every object offset is
// known without seeking (the stream may be a pipe).
class counting_buf : public std::streambuf {
 public:
  explicit counting_buf(std::streambuf* to) : to_(to) {}
  long count() const { return count_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (traits_type::eq_int_type(to_->sputc(traits_type::to_char_type(c)), traits_type::eof()))
      return traits_type::eof();
    ++count_;
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::streamsize put = to_->sputn(s, n);
    count_ += static_cast<long>(put);
    return put;
  }
  int sync() override { return to_->pubsync(); }

 private:
  std::streambuf* to_;
  long count_ = 0;
};

// One document being written: the caller's buffer, the counter installed in its place, the
// current object's stream data, and the offset of each object begun (-1: no object).
struct pdf_record {
  std::streambuf* caller;
  counting_buf file;
  std::stringbuf content;
  std::vector<long> offsets;
  explicit pdf_record(std::streambuf* b) : caller(b), file(b) {}
};

std::mutex records_lock;
std::map<const std::ostream*, std::unique_ptr<pdf_record>> records;

pdf_record* record_of(const std::ostream& os) {
  std::lock_guard<std::mutex> g(records_lock);
  auto it = records.find(&os);
  return it == records.end() ? nullptr : it->second.get();
}

void write_head(std::ostream& os, const std::string& media_box) {
  pdf_debut_document(os);
  pdf_debut_objet(os, 1);
  os << "  << /Type /Catalog\n"
        "     /Outlines 2 0 R\n"
        "     /Pages 3 0 R\n"
        "  >>\n"
        "endobj\n\n";
  pdf_debut_objet(os, 2);
  os << "  << /Type /Outlines\n"
        "     /Count 0\n"
        "  >>\n"
        "endobj\n\n";
  pdf_debut_objet(os, 3);
  os << "  << /Type /Pages\n"
        "     /Kids [\n"
        "10 0 R\n"
        "         ]\n"
        "     /Count 1\n"
        "  >>\n"
        "endobj\n\n";
  pdf_debut_objet(os, 4);
  os << "   [/PDF /Text]\n"
        "endobj\n\n";
  // One font per dictionary: /F2 is inline in the page resources.
  pdf_debut_objet(os, 5);
  os << "  << /Type /Font\n"
        "     /Subtype /Type1\n"
        "     /Name /F1\n"
        "     /BaseFont /Times-Roman\n"
        "     /Encoding /WinAnsiEncoding\n"
        "  >>\n"
        "endobj\n\n";
  pdf_debut_objet(os, 10);
  os << "  << /Type /Page\n"
        "     /Parent 3 0 R\n"
        "     "
     << media_box
     << "\n"
        "     /Contents 11 0 R\n"
        "     /Resources << /ProcSet 4 0 R\n"
        "                   /Font << /F1 5 0 R\n"
        "                            /F2 << /Type /Font /Subtype /Type1 /BaseFont /Times-Bold "
        "/Encoding /WinAnsiEncoding >> >>\n"
        "                >>\n"
        "  >>\n"
        "endobj\n\n";
  pdf_debut_objet(os, 11);
  pdf_debut_contenu(os);
}

void write_text(std::ostream& os, const char* font, long x, long y, int size, const std::string& text) {
  os << "   BT\n"
     << "     /" << font << " " << size << " Tf\n"
     << "     " << x << " " << y << " Td\n"
     << "     (" << pdf_chaine_echappee(text) << ") Tj\n"
     << "   ET\n";
}

// c ± r·factor truncated, or c ± r/2 (integer half) where the angle uses the half.
void around(long c, long r, double factor, bool half, long& plus, long& minus) {
  plus = half ? c + r / 2 : static_cast<long>(c + r * factor);
  minus = half ? c - r / 2 : static_cast<long>(c - r * factor);
}

// One ring of the ellipse approximation: the polygon through (cx ± a·cos θ, cy ± b·sin θ) at
// 5, 15, 20, 30, 45, 60, 75 and 85 degrees; 30° uses b/2 and 60° i/2 as integer halves.
void write_ring(std::ostream& os, long cx, long cy, long i, long b) {
  static const double kCos[8] = {0.996194698, 0.965925826, 0.939692621, 0.866025404,
                                 0.707106781, 0.0,         0.258819045, 0.087155743};
  static const double kSin[8] = {0.087155743, 0.258819045, 0.342020143, 0.0,
                                 0.707106781, 0.866025404, 0.965925826, 0.996194698};
  long right[8], left[8], up[8], down[8];
  for (int k = 0; k < 8; ++k) {
    around(cx, i, kCos[k], k == 5, right[k], left[k]);
    around(cy, b, kSin[k], k == 3, up[k], down[k]);
  }
  genere_ligne_pdf(os, right[0], down[0], right[0], up[0]);
  genere_ligne_pdf(os, left[0], down[0], left[0], up[0]);
  for (int k = 0; k + 1 < 8; ++k) {
    genere_ligne_pdf(os, right[k], up[k], right[k + 1], up[k + 1]);
    genere_ligne_pdf(os, right[k], down[k], right[k + 1], down[k + 1]);
    genere_ligne_pdf(os, left[k], up[k], left[k + 1], up[k + 1]);
    genere_ligne_pdf(os, left[k], down[k], left[k + 1], down[k + 1]);
  }
  genere_ligne_pdf(os, right[7], up[7], left[7], up[7]);
  genere_ligne_pdf(os, right[7], down[7], left[7], down[7]);
}

// Rings from `first` to rx of the ellipse inscribed in the box.
void write_rings(std::ostream& os, long x, long y, long w, long h, long first) {
  long rx = w / 2, ry = h / 2;
  long cx = x + rx, cy = y + ry;
  for (long i = first; i <= rx; ++i) {
    long b = i == 0 ? 0 : static_cast<long>(static_cast<double>(i) * ry / rx);
    write_ring(os, cx, cy, i, b);
  }
}

}  // namespace

// ---- document steps ----

// A head on a stream whose document was not finished abandons that document.
void pdf_debut_document(std::ostream& os) {
  if (pdf_record* open = record_of(os)) {
    os.rdbuf(open->caller);
    std::lock_guard<std::mutex> g(records_lock);
    records.erase(&os);
  }
  if (!os.good()) return;
  auto rec = std::make_unique<pdf_record>(os.rdbuf());
  os.rdbuf(&rec->file);
  {
    std::lock_guard<std::mutex> g(records_lock);
    records[&os] = std::move(rec);
  }
  os << "%PDF-1.4\n";
}

void pdf_debut_objet(std::ostream& os, int n) {
  pdf_record* rec = record_of(os);
  if (rec == nullptr || n < 0) return;
  if (rec->offsets.size() <= static_cast<size_t>(n)) rec->offsets.resize(static_cast<size_t>(n) + 1, -1);
  rec->offsets[static_cast<size_t>(n)] = rec->file.count();
  os << n << " 0 obj\n";
}

void pdf_debut_contenu(std::ostream& os) {
  pdf_record* rec = record_of(os);
  if (rec == nullptr || os.rdbuf() == &rec->content) return;
  rec->content.str("");
  os.rdbuf(&rec->content);
}

// The length counts the data up to, not including, the end-of-line before "endstream".
void pdf_fin_contenu(std::ostream& os) {
  pdf_record* rec = record_of(os);
  if (rec == nullptr || os.rdbuf() != &rec->content) return;
  std::string data = rec->content.str();
  rec->content.str("");
  os.rdbuf(&rec->file);
  size_t length = data.size();
  if (!data.empty() && data.back() == '\n')
    --length;
  else
    data += '\n';
  os << "  << /Length " << length << " >>\n"
     << "stream\n"
     << data << "endstream\n"
     << "endobj\n\n";
}

void pdf_fin_document(std::ostream& os) {
  pdf_record* rec = record_of(os);
  if (rec == nullptr) return;
  if (os.rdbuf() == &rec->content) pdf_fin_contenu(os);
  os.flush();
  long xref = rec->file.count();
  std::vector<long>& off = rec->offsets;
  if (off.empty()) off.push_back(-1);
  const size_t n = off.size();
  os << "xref\n" << "0 " << n << "\n";
  // Free entries form a list headed by object 0 (generation 65535) and ending back at 0.
  char entry[32];
  for (size_t k = 0; k < n; ++k) {
    if (k > 0 && off[k] >= 0) {
      std::snprintf(entry, sizeof entry, "%010ld 00000 n \n", off[k]);
    } else {
      size_t next = k + 1;
      while (next < n && off[next] >= 0) ++next;
      if (next == n) next = 0;
      std::snprintf(entry, sizeof entry, "%010zu %05d f \n", next, k == 0 ? 65535 : 0);
    }
    os << entry;
  }
  os << "\n"
     << "trailer\n"
     << "  << /Size " << n << "\n"
     << "     /Root 1 0 R\n"
     << "  >>\n"
     << "startxref\n"
     << xref << "\n"
     << "%%EOF\n";
  os.flush();
  os.rdbuf(rec->caller);
  std::lock_guard<std::mutex> g(records_lock);
  records.erase(&os);
}

// ---- the public calls ----

void genere_debut_pdf_portrait(std::ostream& os) { write_head(os, "/MediaBox [0 0 612 810]"); }

void genere_debut_pdf_landscape(std::ostream& os) { write_head(os, "/MediaBox [0 0 810 612]"); }

void genere_debut_pdf_taille_non_standard(std::ostream& os, long width, long height) {
  write_head(os, "/MediaBox [0 0 " + std::to_string(width) + " " + std::to_string(height) + "]");
}

void genere_fin_pdf(std::ostream& os) { pdf_fin_document(os); }

std::string pdf_chaine_echappee(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '(' || c == ')') out += '\\';
    out += c;
  }
  return out;
}

void genere_chaine_pdf(std::ostream& os, long x, long y, int size, const std::string& text) {
  write_text(os, "F1", x, y, size, text);
}

void genere_chaine_bold_pdf(std::ostream& os, long x, long y, int size, const std::string& text) {
  write_text(os, "F2", x, y, size, text);
}

void genere_ligne_pdf(std::ostream& os, long x1, long y1, long x2, long y2) {
  os << "      " << x1 << " " << y1 << " m\n"
     << "      " << x2 << " " << y2 << " l\n"
     << "      S\n";
}

void genere_boite_pdf(std::ostream& os, long x, long y, long w, long h) {
  genere_ligne_pdf(os, x, y, x + w, y);
  genere_ligne_pdf(os, x + w, y, x + w, y - h);
  genere_ligne_pdf(os, x + w, y - h, x, y - h);
  genere_ligne_pdf(os, x, y - h, x, y);
}

void genere_rectangle_plein_pdf(std::ostream& os, long x, long y, long w, long h, int) {
  for (long c = x; c < x + w; ++c) genere_ligne_pdf(os, c, y, c, y + h);
}

void genere_rectangle_trou_pdf(std::ostream& os, long x, long y, long w, long h, long hole, int) {
  long a = x + (w - hole) / 2, b = x + (w + hole) / 2;
  for (long c = x; c < x + w; ++c) {
    if (c < a || c >= b) {
      genere_ligne_pdf(os, c, y, c, y + h);
    } else {
      genere_ligne_pdf(os, c, y, c, y + (h - hole) / 2);
      genere_ligne_pdf(os, c, y + (hole + h) / 2, c, y + h);
    }
  }
}

void genere_ovale_plein_pdf(std::ostream& os, long x, long y, long w, long h, int) {
  if (w / 2 < 1) return;
  write_rings(os, x, y, w, h, 1);
}

void genere_ovale_trou_pdf(std::ostream& os, long x, long y, long w, long h, long hole, int) {
  if (w / 2 < hole / 2) return;
  write_rings(os, x, y, w, h, hole / 2);
}

void genere_ligne_pointille_pdf(std::ostream& os, long x1, long y1, long x2, long y2, long dash, long gap) {
  bool vertical = x1 == x2 && y1 < y2;
  bool horizontal = y1 == y2 && x1 < x2;
  if (!vertical && !horizontal) {
    if (x1 == x2 || y1 == y2) return;  // given in decreasing order (or a point)
    std::cerr << "genere_ligne_pointille_pdf(): attention fonction non testee!" << std::endl;
    genere_ligne_pdf(os, x1, y1, x2, y2);
    return;
  }
  if (dash <= 0 || dash + gap <= 0) {
    genere_ligne_pdf(os, x1, y1, x2, y2);
    return;
  }
  if (vertical) {
    for (long y = y1; y < y2; y += dash + gap) genere_ligne_pdf(os, x1, y, x1, y + dash);
  } else {
    for (long x = x1; x < x2; x += dash + gap) genere_ligne_pdf(os, x, y1, x + dash, y1);
  }
}

int fonte_12(char c) {
  if (c >= '0' && c <= '9') return 8;
  if (c >= 'a' && c <= 'z') return c == 'm' ? 10 : 8;
  if (c >= 'A' && c <= 'Z') return c == 'M' ? 12 : 10;
  return 10;
}

long longueur_chaine_pdf(const std::string& text, int size) {
  long sum = 0;
  for (char c : text) sum += fonte_12(c);
  return static_cast<long>(static_cast<double>(sum * size) / 18.0);
}
