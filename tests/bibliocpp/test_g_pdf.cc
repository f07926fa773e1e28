#include "g_pdf.h"
#include "tool_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

int count_of(const std::string& s, const std::string& part) {
  int n = 0;
  for (size_t p = s.find(part); p != std::string::npos; p = s.find(part, p + 1)) ++n;
  return n;
}

// Checks every figure a reader relies on: each xref entry of an object points at "k 0 obj" at a
// line start, free entries link from 0 back to 0, each /Length is the byte count between
// "stream\n" and the "\n" before "endstream", and startxref points at "xref".
void expect_exact_structure(const std::string& pdf, const std::vector<int>& objects, int size) {
  size_t xref = pdf.rfind("\nxref\n");
  ASSERT_NE(xref, std::string::npos);
  ++xref;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(pdf, m, std::regex("startxref\n([0-9]+)\n%%EOF\n$")));
  EXPECT_EQ(std::stoul(m[1]), xref);
  std::string table = pdf.substr(xref);
  ASSERT_EQ(table.compare(0, 5 + std::to_string(size).size() + 3, "xref\n0 " + std::to_string(size) + "\n"), 0);
  size_t first = table.find('\n', 5) + 1;
  std::vector<bool> used(static_cast<size_t>(size), false);
  for (int k : objects) used[static_cast<size_t>(k)] = true;
  int free_next = -1;
  for (int k = 0; k < size; ++k) {
    std::string e = table.substr(first + 20 * static_cast<size_t>(k), 20);
    ASSERT_EQ(e.size(), 20u);
    EXPECT_EQ(e.substr(18), " \n") << k;
    if (used[static_cast<size_t>(k)]) {
      EXPECT_EQ(e.substr(10, 8), " 00000 n") << k;
      size_t off = std::stoul(e.substr(0, 10));
      std::string head = std::to_string(k) + " 0 obj\n";
      EXPECT_EQ(pdf.compare(off, head.size(), head), 0) << "object " << k;
      EXPECT_TRUE(off > 0 && pdf[off - 1] == '\n') << k;
    } else {
      EXPECT_EQ(e.substr(16, 2), " f") << k;
      EXPECT_EQ(e.substr(10, 6), k == 0 ? " 65535" : " 00000") << k;
      if (free_next >= 0) {
        EXPECT_EQ(free_next, k);
      }
      free_next = std::stoi(e.substr(0, 10));
    }
  }
  EXPECT_EQ(free_next, 0);
  EXPECT_EQ(table.substr(first + 20 * static_cast<size_t>(size)),
            "\ntrailer\n  << /Size " + std::to_string(size) + "\n     /Root 1 0 R\n  >>\nstartxref\n" +
                std::to_string(xref) + "\n%%EOF\n");
  std::regex length_line("<< /Length ([0-9]+) >>\nstream\n");
  int streams = 0;
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), length_line); it != std::sregex_iterator(); ++it) {
    size_t data = static_cast<size_t>(it->position() + it->length());
    size_t end = pdf.find("\nendstream\n", data);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(std::stoul((*it)[1]), end - data);
    ++streams;
  }
  EXPECT_GT(streams, 0);
}

std::string segments(long x1, long y1, long x2, long y2) {
  std::ostringstream os;
  genere_ligne_pdf(os, x1, y1, x2, y2);
  return os.str();
}

// qpdf finds nothing to repair, and pdftotext reads the texts in this order; "\f" ends a page.
void expect_readers_accept(const std::string& pdf, const std::vector<std::string>& texts) {
  ScratchFile file("g_pdf", ".pdf", pdf);
  if (!tool_present("qpdf")) {
    GTEST_SKIP() << "qpdf missing";
  }
  ToolResult check = run_tool("qpdf --check " + file.path + " 2>&1");
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;
  EXPECT_NE(check.output.find("No syntax or stream encoding errors"), std::string::npos) << check.output;
  if (!tool_present("pdftotext")) {
    GTEST_SKIP() << "pdftotext missing";
  }
  ToolResult text = run_tool("pdftotext " + file.path + " - 2>&1");
  EXPECT_EQ(text.status, 0);
  size_t at = 0;
  for (const std::string& t : texts) {
    size_t p = text.output.find(t, at);
    EXPECT_NE(p, std::string::npos) << "\"" << t << "\" in\n" << text.output;
    if (p != std::string::npos) at = p + t.size();
  }
}

}  // namespace

TEST(GPdf, HeadTextTailIsExactAndReadable) {
  ScratchFile file("g_pdf_one", ".pdf", "");
  {
    std::ofstream out(file.path);
    genere_debut_pdf_portrait(out);
    genere_chaine_pdf(out, 72, 700, 12, "Total (net): 5\\3");
    genere_fin_pdf(out);
  }
  std::string pdf = file.read();
  expect_exact_structure(pdf, {1, 2, 3, 4, 5, 10, 11}, 12);
  EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.4\n");
  EXPECT_NE(pdf.find("\n5 0 obj\n  << /Type /Font\n     /Subtype /Type1\n     /Name /F1\n"
                     "     /BaseFont /Times-Roman\n     /Encoding /WinAnsiEncoding\n  >>\nendobj\n\n10 0 obj\n"),
            std::string::npos);
  EXPECT_NE(pdf.find("     /MediaBox [0 0 612 810]\n     /Contents 11 0 R\n"), std::string::npos);
  EXPECT_NE(pdf.find("11 0 obj\n  << /Length 71 >>\nstream\n   BT\n     /F1 12 Tf\n     72 700 Td\n"
                     "     (Total \\(net\\): 5\\\\3) Tj\n   ET\nendstream\nendobj\n\nxref\n0 12\n"),
            std::string::npos);
  expect_readers_accept(pdf, {"Total (net): 5\\3\n"});
}

TEST(GPdf, EveryDrawingCallInOnePage) {
  std::ostringstream out;
  genere_debut_pdf_taille_non_standard(out, 500, 400);
  genere_chaine_pdf(out, 20, 360, 10, "plain ((nested)) \\(");
  genere_chaine_bold_pdf(out, 20, 340, 10, "bold)");
  genere_ligne_pdf(out, 0, 0, 50, 50);
  genere_boite_pdf(out, 10, 100, 20, 30);
  genere_rectangle_plein_pdf(out, 100, 100, 5, 10, 0);
  genere_rectangle_trou_pdf(out, 150, 100, 20, 20, 6, 0);
  genere_ovale_plein_pdf(out, 200, 200, 40, 20, 0);
  genere_ovale_trou_pdf(out, 300, 200, 40, 30, 10, 0);
  genere_ligne_pointille_pdf(out, 0, 0, 0, 10, 4, 2);
  genere_ligne_pointille_pdf(out, 0, 300, 50, 300, 5, 5);
  genere_fin_pdf(out);
  std::string pdf = out.str();
  expect_exact_structure(pdf, {1, 2, 3, 4, 5, 10, 11}, 12);
  EXPECT_NE(pdf.find("     /MediaBox [0 0 500 400]\n"), std::string::npos);
  EXPECT_NE(pdf.find("     /F2 10 Tf\n     20 340 Td\n     (bold\\)) Tj\n"), std::string::npos);
  // 1 + 4 + 5 + (14 + 6·2) + 20 rings·32 + (20 − 5 + 1)·32 + 2 + 5 segments.
  EXPECT_EQ(count_of(pdf, " l\n      S\n"), 1 + 4 + 5 + 26 + 640 + 512 + 2 + 5);
  expect_readers_accept(pdf, {"plain ((nested)) \\(", "bold)"});
}

TEST(GPdf, LandscapeAndStreamsWithoutHead) {
  std::ostringstream out;
  genere_debut_pdf_landscape(out);
  genere_fin_pdf(out);
  std::string pdf = out.str();
  EXPECT_NE(pdf.find("     /MediaBox [0 0 810 612]\n"), std::string::npos);
  EXPECT_NE(pdf.find("11 0 obj\n  << /Length 0 >>\nstream\n\nendstream\n"), std::string::npos);
  expect_exact_structure(pdf, {1, 2, 3, 4, 5, 10, 11}, 12);

  // Once its tail is written the stream is the caller's again: drawing goes straight to it, and a
  // tail without a head writes nothing.
  std::streambuf* caller = out.rdbuf();
  genere_debut_pdf_portrait(out);
  genere_debut_pdf_portrait(out);  // the unfinished document is abandoned
  genere_fin_pdf(out);
  EXPECT_EQ(out.rdbuf(), caller);
  out.str("");
  genere_ligne_pdf(out, 1, 2, 3, 4);
  genere_fin_pdf(out);
  EXPECT_EQ(out.str(), "      1 2 m\n      3 4 l\n      S\n");

  std::ofstream closed("/nonexistent-dir/x.pdf");
  genere_debut_pdf_portrait(closed);
  genere_chaine_pdf(closed, 0, 0, 7, "x");
  genere_fin_pdf(closed);
  EXPECT_FALSE(closed.good());
}

TEST(GPdf, ShapesAsSegments) {
  std::ostringstream box;
  genere_boite_pdf(box, 10, 100, 20, 30);
  EXPECT_EQ(box.str(), segments(10, 100, 30, 100) + segments(30, 100, 30, 70) + segments(30, 70, 10, 70) +
                           segments(10, 70, 10, 100));

  std::ostringstream hole;
  genere_rectangle_trou_pdf(hole, 0, 0, 4, 10, 2, 7);
  EXPECT_EQ(hole.str(), segments(0, 0, 0, 10) + segments(1, 0, 1, 4) + segments(1, 6, 1, 10) +
                            segments(2, 0, 2, 4) + segments(2, 6, 2, 10) + segments(3, 0, 3, 10));

  std::ostringstream one, two;
  genere_ovale_plein_pdf(one, 0, 0, 1, 10, 0);
  genere_ovale_plein_pdf(two, 0, 0, 2, 10, 0);
  EXPECT_EQ(one.str(), "");
  // Ring 1 of rx 1, ry 5 around (1, 5): a = 1, b = 5; 30° uses b/2 = 2, 60° i/2 = 0.
  std::string ring = two.str();
  EXPECT_EQ(count_of(ring, "      S\n"), 32);
  EXPECT_EQ(ring.substr(0, 2 * segments(1, 4, 1, 5).size()), segments(1, 4, 1, 5) + segments(0, 4, 0, 5));
  EXPECT_NE(ring.find(segments(1, 6, 1, 7)), std::string::npos);  // 20° → 30°, right upper
  EXPECT_EQ(ring.substr(ring.size() - 2 * segments(1, 9, 0, 9).size()), segments(1, 9, 0, 9) + segments(1, 0, 0, 0));

  std::ostringstream ring_small;
  genere_ovale_trou_pdf(ring_small, 0, 0, 4, 4, 6, 0);
  EXPECT_EQ(ring_small.str(), "");

  std::ostringstream dashes;
  genere_ligne_pointille_pdf(dashes, 0, 0, 0, 10, 4, 2);
  EXPECT_EQ(dashes.str(), segments(0, 0, 0, 4) + segments(0, 6, 0, 10));
  std::ostringstream backwards;
  genere_ligne_pointille_pdf(backwards, 0, 10, 0, 0, 4, 2);
  genere_ligne_pointille_pdf(backwards, 10, 0, 0, 0, 4, 2);
  EXPECT_EQ(backwards.str(), "");

  // A pattern that cannot advance draws the plain segment instead of looping.
  std::ostringstream stuck;
  genere_ligne_pointille_pdf(stuck, 0, 0, 0, 10, 0, 0);
  genere_ligne_pointille_pdf(stuck, 0, 0, 10, 0, 3, -3);
  EXPECT_EQ(stuck.str(), segments(0, 0, 0, 10) + segments(0, 0, 10, 0));

  testing::internal::CaptureStderr();
  std::ostringstream slanted;
  genere_ligne_pointille_pdf(slanted, 0, 0, 10, 10, 2, 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "genere_ligne_pointille_pdf(): attention fonction non testee!\n");
  EXPECT_EQ(slanted.str(), segments(0, 0, 10, 10));
}

TEST(GPdf, TextWidths) {
  EXPECT_EQ(longueur_chaine_pdf("Mm1", 18), 30);
  EXPECT_EQ(longueur_chaine_pdf("Mm1", 7), 11);
  EXPECT_EQ(longueur_chaine_pdf("", 12), 0);
  EXPECT_EQ(longueur_chaine_pdf("aA #", 18), 8 + 10 + 10 + 10);
}

// The print filter's multi-page form: two page objects, each with its own content stream.
TEST(GPdf, DocumentStepsBuildSeveralPages) {
  std::ostringstream out;
  pdf_debut_document(out);
  pdf_debut_objet(out, 1);
  out << "  << /Type /Catalog /Pages 3 0 R >>\nendobj\n\n";
  pdf_debut_objet(out, 3);
  out << "  << /Type /Pages /Kids [10 0 R 12 0 R] /Count 2 >>\nendobj\n\n";
  pdf_debut_objet(out, 5);
  out << "  << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>\nendobj\n\n";
  for (int p = 0; p < 2; ++p) {
    pdf_debut_objet(out, 10 + 2 * p);
    out << "  << /Type /Page /Parent 3 0 R /MediaBox [0 0 612 792] /Contents " << 11 + 2 * p
        << " 0 R /Resources << /Font << /F1 5 0 R >> >> >>\nendobj\n\n";
    pdf_debut_objet(out, 11 + 2 * p);
    pdf_debut_contenu(out);
    genere_chaine_pdf(out, 40, 770, 7, "page " + std::to_string(p + 1) + (p ? " (last)" : ""));
    pdf_fin_contenu(out);
  }
  pdf_fin_document(out);
  std::string pdf = out.str();
  expect_exact_structure(pdf, {1, 3, 5, 10, 11, 12, 13}, 14);
  EXPECT_EQ(count_of(pdf, "endstream\nendobj\n\n"), 2);
  expect_readers_accept(pdf, {"page 1", "\f", "page 2 (last)", "\f"});
}
