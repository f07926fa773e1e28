// The listing viewer driven under Xvfb from timeouts, with stand-in viewer programs in a scratch
// working directory.
#include "forms_test_support.h"  // first: gtest before FLTK
#include "formspp.h"
#include "listing_viewer.h"

#include <FL/Fl_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/forms.H>

#include <sys/stat.h>

#include <cstdlib>
#include <list>
#include <string>
#include <vector>

namespace {

using namespace forms_test;

TEST(ListingViewerText, CommandQuotesTheViewerAndPageLabel) {
  EXPECT_EQ(listing_viewer_command("/usr/bin/my viewer"), "\"/usr/bin/my viewer\" tmp.pdf");
  EXPECT_EQ(listing_viewer_command("a\"b$c`d\\e'f"), "\"a\\\"b\\$c\\`d\\\\e'f\" tmp.pdf");
  EXPECT_EQ(listing_page_label(0, 0), "page 1 / 1    ");
  EXPECT_EQ(listing_page_label(12344, 99998), "page 12345 / 99999    ");
  EXPECT_EQ(listing_page_label(1234566, 9999998), "page 1234567 / 9999999   ");  // cut to 25
}

void make_script(const std::string& path, const std::string& body) {
  write_file(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

class ListingViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!forms_display_available()) GTEST_SKIP() << "no X display";
  }
  ScratchCwd cwd;
  RecordedBoxes boxes;
};

Fl_Widget* child_at(Fl_Group* g, int x, int y) {
  for (int i = 0; i < g->children(); ++i)
    if (g->child(i)->x() == x && g->child(i)->y() == y) return g->child(i);
  return nullptr;
}

std::string label_at(Fl_Group* g, int x, int y) {
  Fl_Widget* w = child_at(g, x, y);
  return w && w->label() ? w->label() : "<none>";
}

std::vector<std::string> browser_lines(Fl_Group* g) {
  std::vector<std::string> lines;
  Fl_Browser* b = child_of_type<Fl_Browser>(g);
  for (int i = 1; b && i <= b->size(); ++i) lines.push_back(b->text(i));
  return lines;
}

TEST_F(ListingViewer, PagesNumbersAndBothFiles) {
  std::vector<std::string> listing{"#C12 "};
  for (int i = 1; i <= 80; ++i) listing.push_back("row" + std::to_string(i));
  // the shell still reads these characters inside double quotes
  const std::string viewer = cwd.dir.path + "/view $HOME \"q\" `x` \\.sh";
  make_script(viewer, "cp tmp.pdf seen.pdf\necho \"$1\" > arg\n");

  Fl_Window parent(60, 60);
  parent.end();
  OFD_afficheur v(&parent, 0);
  Fl_Window* w = v.window();
  const std::string title(100, 't');
  std::vector<int> pages;
  const auto go_to = [&](const char* typed) {
    pages.push_back(v.current_page());
    child_of_type<Fl_Input>(w)->value(typed);
    click(child_at(w, 190, 445));
  };
  std::vector<std::string> first, second;
  bool parent_active = true;
  after_delays({
      [&] {
        first = browser_lines(w);
        parent_active = parent.active() != 0;
        EXPECT_EQ(label_at(w, 80, 20), "page 1 / 2    ");
        EXPECT_EQ(label_at(w, 230, 20), title.substr(0, 81));
        EXPECT_STREQ(child_of_type<Fl_Input>(w)->value(), "1");
        for (const char* l : {"page suivante", "page precedente", "ANNULER", "fichier pdf", "fichier texte"})
          EXPECT_NE(child_labelled(w, l), nullptr) << l;
        press(w, "page suivante");
      },
      [&] {
        second = browser_lines(w);
        EXPECT_EQ(label_at(w, 80, 20), "page 2 / 2    ");
        EXPECT_STREQ(child_of_type<Fl_Input>(w)->value(), "2");
        press(w, "page suivante");  // on the last page: nothing
      },
      [&] { go_to("1"); },
      [&] { go_to("0"); },  // out of range: nothing
      [&] { go_to("3"); },
      [&] { go_to("2"); },
      [&] {
        pages.push_back(v.current_page());
        press(w, "page precedente");
      },
      [&] {
        pages.push_back(v.current_page());
        press(w, "page precedente");  // on the first page: nothing
      },
      [&] {
        pages.push_back(v.current_page());
        press(w, "fichier pdf");
      },
      [&] { press(w, "fichier texte"); },
      [&] { press(w, "ANNULER"); },
  });
  v.activation(listing.data(), static_cast<int>(listing.size()), title, viewer);

  EXPECT_FALSE(parent_active);
  EXPECT_TRUE(parent.active());
  EXPECT_FALSE(w->shown());
  ASSERT_EQ(first.size(), 78u);
  EXPECT_EQ(first[0], "");
  EXPECT_EQ(first[1], "@f@S12 row1");
  EXPECT_EQ(first[77], "@f@S12 row77");
  EXPECT_EQ(second, (std::vector<std::string>{"@f@S12 row78", "@f@S12 row79", "@f@S12 row80"}));
  EXPECT_EQ(pages, (std::vector<int>{1, 0, 0, 0, 1, 0, 0}));
  // the viewer saw the document, which was removed afterwards
  EXPECT_EQ(file_text("arg"), "tmp.pdf\n");
  EXPECT_EQ(file_text("seen.pdf").compare(0, 9, "%PDF-1.4\n"), 0);
  EXPECT_FALSE(file_exists("tmp.pdf"));
  std::string text;
  for (const std::string& l : listing) text += (l[0] == '#' ? std::string(55, '-') : l) + "\n";
  EXPECT_EQ(file_text("tmp.txt"), text);
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"generation du fichier tmp.txt"}));

  // outside an activation the operations do nothing
  v.page_suivante();
  v.fichier_pdf();
  v.fichier_texte();
  EXPECT_EQ(v.current_page(), 0);
  EXPECT_FALSE(file_exists("tmp.pdf"));
  EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(ListingViewer, EnglishWithoutViewerClosedByTheWindowManager) {
  OFD_afficheur v(nullptr, 1);
  Fl_Window* w = v.window();
  v.activation(std::list<std::string>(), "empty", "");  // returns at once
  EXPECT_FALSE(w->shown());

  bool shown = false;
  after_delays({
      [&] {
        shown = w->shown() != 0;
        EXPECT_EQ(label_at(w, 80, 20), "page 1 / 1    ");
        for (const char* l : {"next page", "previous page", "CANCEL", "pdf file", "text file"})
          EXPECT_NE(child_labelled(w, l), nullptr) << l;
        press(w, "pdf file");
      },
      [&] { press(w, "text file"); },
      [&] { w->do_callback(); },  // the window manager's close hides the window
  });
  v.activation(std::list<std::string>{"#C4 ", "one", "two"}, "listing", "");
  EXPECT_TRUE(shown);
  EXPECT_FALSE(w->shown());
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"generation of tmp.pdf file", "generation of tmp.txt file"}));
  EXPECT_EQ(file_text("tmp.pdf").compare(0, 9, "%PDF-1.4\n"), 0);  // kept without a viewer
}

// The display sink's listing: the viewer with English labels and no PDF viewer, until it is
// cancelled.
TEST_F(ListingViewer, DisplaySinkListingShowsTheViewer) {
  std::string title;
  std::vector<std::string> lines;
  after_delays({
      [&] {
        Fl_Window* w = Fl::first_window();
        title = label_at(w, 230, 20);
        lines = browser_lines(w);
        press(w, "pdf file");
      },
      [&] { press(Fl::first_window(), "CANCEL"); },
  });
  forms_display_sink().listing({"#C4 ", "one", "two"}, "Debugging trace");
  EXPECT_EQ(Fl::first_window(), nullptr);
  EXPECT_EQ(title, "Debugging trace");
  EXPECT_EQ(lines, (std::vector<std::string>{"", "@f@S12 one", "@f@S12 two"}));
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"generation of tmp.pdf file"}));
}

TEST_F(ListingViewer, PostScriptPathConvertsShowsAndRemoves) {
  if (!have_tool("ps2pdf")) GTEST_SKIP() << "ps2pdf missing";
  const std::vector<std::string> listing{"#C9 ", "printed"};
  {
    OFD_afficheur_filtre_impression f(listing.data(), static_cast<int>(listing.size()));
    std::ofstream ps("tmp.ps");
    f.imprime_postscript(ps);
  }
  make_script(cwd.dir.path + "/acroread", "cp \"$1\" seen.pdf\n");
  const char* old_path = std::getenv("PATH");
  const std::string saved = old_path ? old_path : "";
  setenv("PATH", (cwd.dir.path + ":" + saved).c_str(), 1);
  OFD_afficheur v(nullptr, 0);
  v.imprime_tmp_ps();
  setenv("PATH", saved.c_str(), 1);

  EXPECT_FALSE(file_exists("tmp.ps"));
  EXPECT_FALSE(file_exists("tmp.pdf"));
  ASSERT_TRUE(file_exists("seen.pdf"));
  if (have_tool("pdftotext")) {
    EXPECT_EQ(command_output("pdftotext seen.pdf -"), "printed\n\n\f");
  }
}

}  // namespace
