// Listing filters on listings worked by hand; the printed documents checked by qpdf, pdftotext and
// ghostscript's ps2pdf (each such case skips when its tool is missing).
#include "forms_test_support.h"  // first: gtest before FLTK
#include "listing_filters.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace forms_test;

std::vector<std::string> numbered(int n, const std::string& stem) {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i) lines.push_back(stem + std::to_string(i));
  return lines;
}

int pages_of(const std::vector<std::string>& lines) {
  OFD_afficheur_filtre_affichage f(lines.data(), static_cast<int>(lines.size()));
  return f.nb_pages();
}

TEST(ListingDisplay, WidthListsFieldsAndRules) {
  EXPECT_EQ(listing_line_type("#C"), listing_column);
  EXPECT_EQ(listing_line_type("#P3 "), listing_print_column);
  EXPECT_EQ(listing_line_type("#T--"), listing_rule);
  for (const char* ordinary : {"", "#", "C", "#X", "x#C"}) EXPECT_EQ(listing_line_type(ordinary), 0) << ordinary;

  OFD_afficheur_filtre_affichage f(nullptr, 0);
  EXPECT_EQ(f.visu_ligne("#C10 20 "), "");
  // field 0 padded to 10, field 1 cut to 20, field 2 has no column
  EXPECT_EQ(f.visu_ligne("ab#abcdefghijklmnopqrstu#c"), "@f@S12 ab        abcdefghijklmnopqrst");
  EXPECT_EQ(f.visu_ligne("#"), "@f@S12 " + std::string(10, ' '));
  EXPECT_EQ(f.visu_ligne(""), "@f@S12 ");
  EXPECT_EQ(f.visu_ligne("##xy"), "@f@S12 " + std::string(30, ' '));
  EXPECT_EQ(f.visu_ligne("#xy"), "@f@S12 " + std::string(10, ' ') + "xy");  // last field not padded
  EXPECT_EQ(f.visu_ligne("#T"), std::string(122, '-'));
  // a zero is not stored, a final number without its space is dropped
  EXPECT_EQ(f.visu_ligne("#P0 5 7"), "");
  EXPECT_EQ(f.visu_ligne("abcdefg#hij"), "@f@S12 abcde");

  listing_columns c;
  c.read("#CT10 5 T3 ");
  EXPECT_EQ(std::vector<int>(c.width, c.width + 4), (std::vector<int>{10, 5, 3, 0}));
  EXPECT_EQ(std::vector<bool>(c.mark, c.mark + 4), (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(c.units_before(2), 15);
  EXPECT_EQ(c.units_before(99), 18);

  // 16 widths and a mark past the 15-column tables: only 15 kept, widths clamped to 1000
  std::string many = "#C99999999999999999999 ";
  for (int i = 0; i < 15; ++i) many += "2 ";
  c.read(many + "T");
  EXPECT_EQ(c.width[0], 1000);
  EXPECT_EQ(c.width[14], 2);
  EXPECT_EQ(std::count(c.mark, c.mark + 15, true), 0);
  f.visu_ligne(many);
  std::string fields = "a";
  for (int i = 0; i < 16; ++i) fields += "#xyz";
  EXPECT_EQ(f.visu_ligne(fields).size(), 7u + 1000u + 14u * 2u);
}

TEST(ListingDisplay, PagesOfSeventySevenCountedLines) {
  EXPECT_EQ(pages_of({}), 0);
  EXPECT_EQ(pages_of(numbered(77, "l")), 0);
  EXPECT_EQ(pages_of(numbered(78, "l")), 1);
  EXPECT_EQ(pages_of(numbered(154, "l")), 1);
  EXPECT_EQ(pages_of(numbered(155, "l")), 2);

  std::vector<std::string> lines = numbered(76, "l");
  lines.insert(lines.begin() + 10, "#C3 ");  // column lines are not counted
  lines.insert(lines.begin() + 20, "#P3 ");
  lines.push_back("#T");  // rule lines are
  EXPECT_EQ(pages_of(lines), 0);
  lines.push_back("#C1 ");  // the line after the 77th counted one begins a page
  EXPECT_EQ(pages_of(lines), 1);

  OFD_afficheur_filtre_affichage f(lines.data(), static_cast<int>(lines.size()));
  EXPECT_EQ(f.visu_page(1), "\n");
  EXPECT_EQ(f.visu_page(2), "");
  EXPECT_EQ(f.visu_page(-1), "");
}

TEST(ListingDisplay, WidthsComeFromTheLastColumnLineDisplayed) {
  std::vector<std::string> lines{"#C3 "};
  for (int i = 0; i < 78; ++i) lines.push_back("abcdef");
  lines.push_back("#C5 ");
  lines.push_back("abcdef");  // page 1: abcdef, #C5, abcdef
  OFD_afficheur_filtre_affichage f(lines.data(), static_cast<int>(lines.size()));
  ASSERT_EQ(f.nb_pages(), 1);

  EXPECT_EQ(f.visu_page(1), "@f@S12 \n\n@f@S12 abcde\n");  // no width displayed yet
  std::string page0 = "\n";
  for (int i = 0; i < 77; ++i) page0 += "@f@S12 abc\n";
  EXPECT_EQ(f.visu_page(0), page0);
  EXPECT_EQ(f.visu_page(1), "@f@S12 abc\n\n@f@S12 abcde\n");
  EXPECT_EQ(f.visu_page(1), "@f@S12 abcde\n\n@f@S12 abcde\n");  // its own column line, seen before
}

TEST(ListingText, OrdinaryLinesAsTheyStandOthersAsDashes) {
  const std::vector<std::string> lines{"#C10 ", "a#b", "#T", "#P3 ", "x", "#"};
  OFD_afficheur_filtre_texte f(lines.data(), static_cast<int>(lines.size()));
  std::ostringstream out;
  f.imprime(out);
  const std::string dashes(55, '-');
  EXPECT_EQ(out.str(), dashes + "\na#b\n" + dashes + "\n" + dashes + "\nx\n#\n");
}

// Content stream of the n-th "stream" of a PDF document, and its /Length.
std::string pdf_stream(const std::string& doc, int n, long* length) {
  std::string::size_type at = 0;
  for (int i = 0; i <= n; ++i) at = doc.find("\nstream\n", at + 1);
  const std::string::size_type len = doc.rfind("/Length ", at);
  *length = std::stol(doc.substr(len + 8));
  const std::string::size_type begin = at + 8;
  return doc.substr(begin, doc.find("endstream\n", begin) - begin);
}

// The listing worked by hand: columns, a rule, marks closed by a later column line and by the
// end, a print-column line, a skipped character after "#", parentheses left out, "\" escaped, a
// one-space field left out and an empty last field written.
const std::vector<std::string> hand_listing{"#CT10 T20 ", "ab# x(y)z", "#T", "a\\b#  #", "#C5 ", "#P7 T", "q"};

std::string pdf_text(int x, int y, const std::string& text) {
  return "   BT\n     /F1 7 Tf\n     " + std::to_string(x) + " " + std::to_string(y) + " Td\n(" + text +
         ") Tj\n   ET\n";
}

TEST(ListingPrint, PdfPageWorkedByHand) {
  OFD_afficheur_filtre_impression f(hand_listing.data(), static_cast<int>(hand_listing.size()));
  std::ostringstream out;
  f.imprime_pdf(out);
  const std::string doc = out.str();
  const std::string expected = pdf_text(45, 770, "ab") + pdf_text(95, 770, "xyz") +
                               "    40 760 m\n    190 760 l\n       S\n" + pdf_text(45, 750, "a\\\\b") +
                               pdf_text(195, 750, "") + "    40 750 m\n    40 780 l\n       S\n" +
                               "    90 750 m\n    90 780 l\n       S\n" + pdf_text(45, 780, "q") +
                               "      75 780 m\n      75 750 l\n       S\n";
  long length = 0;
  EXPECT_EQ(pdf_stream(doc, 0, &length), expected);
  EXPECT_EQ(length, static_cast<long>(expected.size()) - 1);
  EXPECT_NE(doc.find("     /Kids [\n10 0 R\n         ]\n     /Count 1\n"), std::string::npos);
  EXPECT_NE(doc.find("                   /Font << /F1 5 0 R >>\n                >>\n"), std::string::npos);
  EXPECT_EQ(doc.find("/F2"), std::string::npos);
  EXPECT_NE(doc.find("xref\n0 12\n0000000006 65535 f \n"), std::string::npos);

  // the same filter writes the same document again
  std::ostringstream again;
  f.imprime_pdf(again);
  EXPECT_EQ(again.str(), doc);

  if (!have_tool("qpdf") || !have_tool("pdftotext")) GTEST_SKIP() << "qpdf or pdftotext missing";
  ScratchCwd cwd;
  write_file("hand.pdf", doc);
  int status = -1;
  const std::string check = command_output("qpdf --check hand.pdf 2>&1", &status);
  EXPECT_EQ(status, 0) << check;
  EXPECT_NE(command_output("pdftotext hand.pdf -").find("\na\\b\n"), std::string::npos);  // one backslash read
}

// Every in-use entry of the cross-reference table points at its object, startxref at "xref".
void expect_true_offsets(const std::string& doc, int entries) {
  const std::string::size_type xref = doc.rfind("xref\n0 ");
  ASSERT_NE(xref, std::string::npos);
  EXPECT_EQ(std::stol(doc.substr(doc.rfind("startxref\n") + 10)), static_cast<long>(xref));
  EXPECT_EQ(std::stoi(doc.substr(xref + 7)), entries);
  std::string::size_type at = doc.find('\n', xref + 5) + 1;
  for (int n = 0; n < entries; ++n, at += 20) {
    const std::string entry = doc.substr(at, 20);
    if (entry[17] == 'n') {
      const std::string head = std::to_string(n) + " 0 obj\n";
      EXPECT_EQ(doc.compare(std::stoul(entry.substr(0, 10)), head.size(), head), 0) << n;
    }
  }
}

TEST(ListingPrint, MultiPagePdfAcceptedByQpdfWithExactTextPerPage) {
  std::vector<std::string> lines{"#C8 T4 "};
  const std::vector<std::string> body = numbered(155, "line");
  lines.insert(lines.end(), body.begin(), body.end());
  OFD_afficheur_filtre_impression f(lines.data(), static_cast<int>(lines.size()));
  ScratchCwd cwd;
  {
    std::ofstream out("tmp.pdf", std::ios::binary);
    f.imprime_pdf(out);
  }
  const std::string doc = file_text("tmp.pdf");
  EXPECT_NE(doc.find("     /Kids [\n10 0 R\n         12 0 R\n         14 0 R\n         ]\n     /Count 3\n"),
            std::string::npos);
  EXPECT_NE(doc.find("14 0 obj\n  << /Type /Page\n     /Parent 3 0 R\n     /MediaBox [0 0 612 792]\n"
                     "     /Contents 15 0 R\n"),
            std::string::npos);
  expect_true_offsets(doc, 16);
  // the marked column's rule closes each page: 77 lines down from the top, then one line
  long length = 0;
  const std::string first = pdf_stream(doc, 0, &length), last = pdf_stream(doc, 2, &length);
  EXPECT_EQ(first.substr(first.size() - 34), "    80 10 m\n    80 780 l\n       S\n");
  EXPECT_EQ(last, pdf_text(45, 770, "line155") + "      80 770 m\n      80 780 l\n       S\n");

  if (!have_tool("qpdf") || !have_tool("pdftotext")) GTEST_SKIP() << "qpdf or pdftotext missing";
  int status = -1;
  const std::string check = command_output("qpdf --check tmp.pdf 2>&1", &status);
  EXPECT_EQ(status, 0) << check;
  EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
  for (int page = 1; page <= 3; ++page) {
    std::string expected;
    for (int i = 77 * (page - 1) + 1; i <= std::min(77 * page, 155); ++i) expected += "line" + std::to_string(i) + "\n";
    const std::string p = std::to_string(page);
    EXPECT_EQ(command_output("pdftotext -f " + p + " -l " + p + " tmp.pdf -"), expected + "\n\f") << page;
  }
}

TEST(ListingPrint, EmptyListingIsOneEmptyPage) {
  OFD_afficheur_filtre_impression f(nullptr, 0);
  std::ostringstream out;
  f.imprime_pdf(out);
  long length = -1;
  EXPECT_EQ(pdf_stream(out.str(), 0, &length), "");
  EXPECT_EQ(length, 0);
  expect_true_offsets(out.str(), 12);
}

const std::string ps_head =
    "%!PS-Adobe-2.0\n%%Creator: pruvel\n%%Title: tmp.ps\n%%Pages: 1\n%%PageOrder: Ascend\n"
    "%%BoundingBox: 0 0 612 792\n%%DocumentPaperSizes: a4\n%%EndComments\na4\n/Times-Roman findfont\n"
    "7 scalefont\nsetfont\n";

TEST(ListingPrint, PostScriptWorkedByHandAndConvertedByGhostscript) {
  OFD_afficheur_filtre_impression f(hand_listing.data(), static_cast<int>(hand_listing.size()));
  std::ostringstream out;
  f.imprime_postscript(out);
  EXPECT_EQ(out.str(), ps_head +
                           "45 790 moveto (ab) show\n95 790 moveto (xyz) show\n"
                           "newpath 40 780 moveto 190 780 lineto stroke \n"
                           "45 770 moveto (a\\\\b) show\n195 770 moveto () show\n"
                           "newpath 40 770 moveto 40 800 lineto stroke \n"
                           "newpath 90 770 moveto 90 800 lineto stroke \n"
                           "45 800 moveto (q) show\n"
                           "newpath 75 800 moveto 75 770 lineto stroke \nshowpage\n");

  std::vector<std::string> lines = numbered(80, "row");
  lines.insert(lines.begin(), "#C8 ");
  OFD_afficheur_filtre_impression pages(lines.data(), static_cast<int>(lines.size()));
  ScratchCwd cwd;
  {
    std::ofstream ps("tmp.ps");
    pages.imprime_postscript(ps);
  }
  const std::string text = file_text("tmp.ps");
  EXPECT_NE(text.find("45 30 moveto (row77) show\nshowpage\n%%page : 1 1\na4\n/Times-Roman findfont\n"
                      "7 scalefont\nsetfont\n45 790 moveto (row78) show\n"),
            std::string::npos);
  if (!have_tool("ps2pdf") || !have_tool("pdftotext")) GTEST_SKIP() << "ps2pdf or pdftotext missing";
  int status = -1;
  const std::string log = command_output("ps2pdf tmp.ps out.pdf 2>&1", &status);
  EXPECT_EQ(status, 0) << log;
  EXPECT_EQ(command_output("pdftotext -f 2 -l 2 out.pdf -"), "row78\nrow79\nrow80\n\n\f");
}

}  // namespace
