// The simulator window, driven offscreen: frame, loading, colours reaction after reaction,
// each with a readable text (registers, an error output, valued signals against a test value
// server), Init, Set/Reset, failed loads, state buttons, title bars and the command line; on
// the X display, the panels sharing a resized window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "commandline.h"
#include "startup.h"
#include "fenetrepricipale.h"
#include "module.h"
#include "module_and_files.h"
#include "test_scope.h"
#include "value_server.h"

static QApplication* application() {
  static int argc = 1;
  static char name[] = "test_window";
  static char* argv[] = {name, nullptr};
  static QApplication* app = nullptr;
  if (!app && QApplication::instance() != nullptr) app = qApp;  // made by another test file
  if (!app) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(ressource);
    app = new QApplication(argc, argv);
  }
  return app;
}

namespace {

const std::string kSourceDir = folder_of(__FILE__) + "../../";

// The contrast ratio of two colours, from their relative luminances (sRGB).
double contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour of a cell or row of view, whose text must read on it at 4.5 : 1 at least.
template <class Item>
QColor readableColour(const Item* item, const QAbstractItemView* view) {
  const QColor back = item->background().color();
  const QColor text =
      item->foreground().style() == Qt::NoBrush ? view->palette().color(QPalette::Text) : item->foreground().color();
  EXPECT_GE(contrast(text, back), 4.5) << item->text().toStdString() << ": " << text.name().toStdString() << " on "
                                       << back.name().toStdString();
  return back;
}

// A copy of a bundled module in a scratch folder, so that its ".log" lands there.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    window = new FenPrincipale();
    window->modalMessages = false;
    window->useFileDialogs = false;
  }
  void TearDown() override {
    delete window;
  }
  std::string copy(const std::string& from) {
    std::string to = dir + "/" + from.substr(from.find_last_of('/') + 1);
    write_file(to, read_file(kSourceDir + from));
    return to;
  }
  void load(const std::string& path) {
    window->nextJxcFile = QString::fromStdString(path);
    window->afficherAll();
  }
  QColor inputColour(int row) {
    QTableWidget* in = window->inputs_panel->tableWidget;
    return readableColour(in->item(row, 0), in);
  }
  QColor outputColour(int row) {
    QTableWidget* out = window->outputs_panel->tableWidget;
    return readableColour(out->item(row, 0), out);
  }
  QColor localColour(const QString& name) {
    QListWidget* l = window->locals_panel->listWidget;
    for (int i = 0; i < l->count(); ++i)
      if (l->item(i)->text() == name) return readableColour(l->item(i), l);
    ADD_FAILURE() << "no local " << name.toStdString();
    return QColor();
  }
  QColor registerColour(int i) {
    QListWidget* regs = window->register_panel->listWidget;
    return readableColour(regs->item(i), regs);
  }
  void selectInput(int row, QRadioButton* state) {
    window->Set_ListColor(window->inputs_panel->tableWidget->model()->index(row, 0));
    state->setChecked(true);
  }

  ScratchDir scratch{"zarim_window"};
  const std::string dir = scratch.path;
  FenPrincipale* window = nullptr;
};

TEST_F(WindowTest, FrameDocksAndButtons) {
  EXPECT_EQ(window->windowTitle(), "ZARS");
  EXPECT_EQ(window->objectName(), "MainWindow");
  EXPECT_EQ(window->title0->titleText(), "Load Panel");
  EXPECT_EQ(window->title1->titleText(), "Inputs Panel");
  EXPECT_EQ(window->title2->titleText(), "Locals Panel");
  EXPECT_EQ(window->title3->titleText(), "Registers Panel");
  EXPECT_EQ(window->title4->titleText(), "Outputs Panel");
  EXPECT_EQ(window->title5->titleText(), "Debugger Panel");
  EXPECT_EQ(window->dock1->titleBarWidget(), window->title1);
  EXPECT_EQ(window->go->text(), "Go");
  EXPECT_EQ(window->set->text(), "Set");
  EXPECT_EQ(window->reset->text(), "Init");
  EXPECT_EQ(window->reset->toolTip(), "Reset");
  EXPECT_EQ(window->config->text(), "Preferences");
  EXPECT_EQ(window->help->toolTip(), "Show about dialog");
  EXPECT_EQ(window->go->property("kind").toString(), "toolbar");
  EXPECT_FALSE(window->go->icon().isNull());
  EXPECT_EQ(window->file_panel->label_4->text(), "Load JXC File:    ");
  EXPECT_EQ(window->file_panel->label_3->text(), "Load JX File :     ");
  EXPECT_TRUE(stringFromResource(":/style/style.qss").contains("QToolButton[kind=\"toolbar\"]"));
  EXPECT_TRUE(stringFromResource(":/nothing").isEmpty());
  // Shown without a module, the load panel's rows are whole above the four panels, and these
  // share the window's width.
  window->resize(945, 680);
  window->show();
  QApplication::processEvents();
  EXPECT_GE(window->file_panel->height(), window->file_panel->verticalLayoutWidget->geometry().bottom());
  EXPECT_LE(window->dock4->geometry().right(), window->width());
  EXPECT_GE(window->dock4->geometry().right(), window->width() - 10);
}

TEST_F(WindowTest, LoadFillsThePanelsWithInitialColours) {
  load(copy("SIMULATOR_JXC/examples/top.jxc"));
  ASSERT_NE(window->pautom, nullptr);
  QTableWidget* in = window->inputs_panel->tableWidget;
  ASSERT_EQ(in->rowCount(), 1);
  EXPECT_EQ(in->item(0, 0)->text(), "A");
  EXPECT_EQ(window->inputs_value[0]->text(), "--");
  EXPECT_EQ(in->horizontalHeaderItem(1)->text(), "Value");
  ASSERT_EQ(window->outputs_panel->tableWidget->rowCount(), 1);
  EXPECT_EQ(window->outputs_panel->tableWidget->item(0, 0)->text(), "O");
  EXPECT_EQ(window->item_empty[0]->text(), "--");
  EXPECT_EQ(window->register_panel->listWidget->count(), 1);
  EXPECT_EQ(window->register_panel->listWidget->item(0)->text(), "R");
  EXPECT_EQ(inputColour(0), QColor(Qt::white));
  EXPECT_EQ(outputColour(0), QColor(Qt::red));
  EXPECT_EQ(localColour("L"), QColor(Qt::red));
  EXPECT_EQ(registerColour(0), QColor(Qt::blue));  // initially true
  EXPECT_TRUE(window->debugger_panel->set->isChecked());
  EXPECT_FALSE(window->debugger_panel->reset->isChecked());
  EXPECT_TRUE(window->debugger_panel->bottom->isHidden());  // finalised: One and Zero only
}

TEST_F(WindowTest, ReactionsColourOutputsLocalsAndRegisters) {
  // "emit O when A" compiled and finalised: O := A and boot, boot register initially true.
  load(copy("SIMULATOR_JXC/examples/pipe.jxc"));
  ASSERT_NE(window->pautom, nullptr);
  EXPECT_EQ(outputColour(0), QColor(Qt::red));
  EXPECT_EQ(registerColour(0), QColor(Qt::blue));
  selectInput(0, window->debugger_panel->one);
  EXPECT_EQ(inputColour(0), QColor(Qt::blue));
  window->Simuler();
  EXPECT_EQ(outputColour(0), QColor(Qt::blue));
  EXPECT_EQ(localColour("O_1"), QColor(Qt::blue));
  EXPECT_EQ(registerColour(0), QColor(Qt::yellow));  // next state shown right after the step
  EXPECT_FALSE(window->debugger_panel->set->isChecked());
  EXPECT_FALSE(window->simulation.flags().get_Set());
  // Past the first instant O stays absent, A present or not.
  window->Simuler();
  EXPECT_EQ(outputColour(0), QColor(Qt::yellow));
  EXPECT_EQ(localColour("boot"), QColor(Qt::yellow));
  selectInput(0, window->debugger_panel->zero);
  window->Simuler();
  EXPECT_EQ(outputColour(0), QColor(Qt::yellow));
  // Ticking Set applies to the next reaction only.
  window->debugger_panel->set->setChecked(true);
  EXPECT_TRUE(window->simulation.flags().get_Set());
  window->Simuler();
  EXPECT_FALSE(window->debugger_panel->set->isChecked());
  EXPECT_FALSE(window->debugger_panel->reset->isChecked());

  window->Initialise();
  EXPECT_EQ(inputColour(0), QColor(Qt::white));
  EXPECT_EQ(outputColour(0), QColor(Qt::red));  // depends on an undetermined input
  EXPECT_EQ(registerColour(0), QColor(Qt::blue));
  EXPECT_TRUE(window->debugger_panel->set->isChecked());
  EXPECT_EQ(window->inputs_value[0]->text(), "--");
  EXPECT_EQ(window->item_empty[0]->text(), "--");
  EXPECT_FALSE(window->debugger_panel->one->isChecked());
}

// Rails: (x and y) = (sx & sy, vx | vy), (x or y) = (sx | sy, vx & vy); Set is (1,0) on the
// first reaction and (0,1) after it.
TEST_F(WindowTest, ErrorOutputIsShownGreen) {
  load(copy("tests/SIMULATOR_JXC/data/error_or.jxc"));
  ASSERT_NE(window->pautom, nullptr);
  EXPECT_FALSE(window->debugger_panel->top->isHidden());  // not finalised: four states
  DebuggerPanel* p = window->debugger_panel;
  // A Top (1,1), B Zero (0,1): L = (1,1), O = (1,1): both error.
  selectInput(0, p->top);
  selectInput(1, p->zero);
  EXPECT_EQ(inputColour(0), QColor(Qt::green));
  window->Simuler();
  EXPECT_EQ(outputColour(0), QColor(Qt::green));
  EXPECT_EQ(localColour("L"), QColor(Qt::green));
  // Set off: L = (0,1), O = (0,1).
  window->Simuler();
  EXPECT_EQ(outputColour(0), QColor(Qt::yellow));
  EXPECT_EQ(localColour("L"), QColor(Qt::yellow));
  // Set ticked, A Bottom (0,0), B One (1,0): L = (0,0), O = (1,0).
  p->set->setChecked(true);
  selectInput(0, p->bottom);
  selectInput(1, p->one);
  window->Simuler();
  EXPECT_EQ(localColour("L"), QColor(Qt::white));
  EXPECT_EQ(outputColour(0), QColor(Qt::blue));
  // Set off, A One, B Top: L = (0,1), O = (1,1): error through B alone.
  selectInput(0, p->one);
  selectInput(1, p->top);
  window->Simuler();
  EXPECT_EQ(localColour("L"), QColor(Qt::yellow));
  EXPECT_EQ(outputColour(0), QColor(Qt::green));
}

// Bnd, bound and first in the input list, has no row; valued input A; C := A > 10 asked
// of the value server; D := C; V := twice(A), O := A + 1, P := V, all emitted when A.
TEST_F(WindowTest, ValuedSignalsShowTheValueServersReplies) {
  ValueServer vs;
  ASSERT_NE(vs.client(), nullptr);
  window->setSocket(vs.client());
  load(copy("tests/SIMULATOR_JXC/data/valued.jxc"));
  ASSERT_NE(window->pautom, nullptr);
  QTableWidget* in = window->inputs_panel->tableWidget;
  QTableWidget* out = window->outputs_panel->tableWidget;
  ASSERT_EQ(in->rowCount(), 1);
  EXPECT_EQ(in->item(0, 0)->text(), "A");
  ASSERT_EQ(out->rowCount(), 3);
  EXPECT_EQ(out->item(2, 0)->text(), "D");
  auto values = [&] {
    return (window->item_empty[0]->text() + " " + window->item_empty[1]->text() + " " + window->item_empty[2]->text())
        .toStdString();
  };
  const QColor blue(Qt::blue), yellow(Qt::yellow), white(Qt::white);
  ::testing::internal::CaptureStderr();

  // A = 41 present: C true, D = C; O = 42, V = P = 82; D has no value.
  selectInput(0, window->debugger_panel->one);
  window->inputs_value[0]->setText("41");
  window->Simuler();
  for (int r = 0; r < 3; ++r) EXPECT_EQ(outputColour(r), blue) << r;
  EXPECT_EQ(localColour("C"), blue);
  EXPECT_EQ(localColour("V"), blue);
  EXPECT_EQ(values(), "42 82 --");
  // A = 3: C false, so D absent; O = 4, V = P = 6.
  window->inputs_value[0]->setText("3");
  window->Simuler();
  EXPECT_EQ(outputColour(2), yellow);
  EXPECT_EQ(localColour("C"), yellow);
  EXPECT_EQ(values(), "4 6 --");
  // A absent: its text is not sent, the server answers "--" for C (bottom, so D too);
  // O and P are absent and keep their values.
  selectInput(0, window->debugger_panel->zero);
  window->inputs_value[0]->setText("1000");
  window->Simuler();
  EXPECT_EQ(localColour("C"), white);
  EXPECT_EQ(outputColour(2), white);
  EXPECT_EQ(outputColour(0), yellow);
  EXPECT_EQ(localColour("V"), yellow);
  EXPECT_EQ(values(), "4 6 --");
  EXPECT_TRUE(window->shownMessages.isEmpty());
  std::vector<std::string> expected{"BOP,41,int, > ,10,int", "MC,twice,41", "BOP,41,int, + ,1,int",
                                    "BOP,3,int, > ,10,int",  "MC,twice,3",  "BOP,3,int, + ,1,int",
                                    "BOP,--,int, > ,10,int"};
  EXPECT_EQ(vs.requests(), expected);

  // A comma cannot travel in a request: a message, and no reaction.
  selectInput(0, window->debugger_panel->one);
  window->inputs_value[0]->setText("4,1");
  window->Simuler();
  ASSERT_EQ(window->shownMessages.size(), 1);
  EXPECT_TRUE(window->shownMessages[0].contains("input A"));
  EXPECT_EQ(vs.requests().size(), expected.size());
  EXPECT_EQ(localColour("C"), white);

  // Without a value server the reaction runs and says so in a message.
  window->setSocket(nullptr);
  window->inputs_value[0]->setText("5");
  window->Simuler();
  ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(window->shownMessages.size(), 2);
  EXPECT_EQ(window->shownMessages[1], "***error: FenPrincipale:Simuler: no value server connected");
  EXPECT_EQ(outputColour(0), blue);
}

TEST_F(WindowTest, ScreenshotAfterTwoReactions) {
  load(copy("SIMULATOR_JXC/examples/pipe.jxc"));
  ASSERT_NE(window->pautom, nullptr);
  window->setFixedSize(945, 680);
  window->setStyleSheet(stringFromResource(":/style/style.qss"));
  window->show();
  selectInput(0, window->debugger_panel->one);
  window->Simuler();
  selectInput(0, window->debugger_panel->zero);
  window->Simuler();
  QApplication::processEvents();
  EXPECT_EQ(window->size(), QSize(945, 680));
  QImage shot = window->grab().toImage();
  EXPECT_EQ(shot.size(), QSize(945, 680));
  EXPECT_TRUE(shot.save("zars_window.png"));
}

TEST_F(WindowTest, FailedOrCancelledLoadsLeaveAUsableWindow) {
  ::testing::internal::CaptureStderr();
  load(dir + "/missing.jxc");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("FILE NOT FOUND !"), std::string::npos);
  EXPECT_EQ(window->pautom, nullptr);
  EXPECT_EQ(window->inputs_panel->tableWidget->rowCount(), 0);

  // A directory is said to be one, as a missing file is, and leaves no ".log".
  ASSERT_EQ(mkdir((dir + "/folder").c_str(), 0700), 0);
  ::testing::internal::CaptureStderr();
  load(dir + "/folder");
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("FILE IS A DIRECTORY !\n"), std::string::npos) << err;
  EXPECT_EQ(window->pautom, nullptr);
  EXPECT_NE(access((dir + "/folder.log").c_str(), F_OK), 0);

  // A cancelled dialog (empty name) reads nothing and leaves no ".log" behind.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  load("");
  EXPECT_NE(access(".log", F_OK), 0);
  ASSERT_EQ(chdir(cwd), 0);

  // Go and Init without a module change nothing.
  ::testing::internal::CaptureStderr();
  window->Simuler();
  window->Initialise();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Jxc file not loaded"), std::string::npos);

  // The load can then succeed, also where its ".log" cannot be written: a ".log" planted as a
  // symbolic link is not followed, and the load says once that no log is written.
  std::string planted = copy("SIMULATOR_JXC/examples/top.jxc");
  ASSERT_EQ(symlink((dir + "/victim").c_str(), (planted + ".log").c_str()), 0);
  ::testing::internal::CaptureStderr();
  load(planted);
  err = ::testing::internal::GetCapturedStderr();
  const std::string note = "no log is written: cannot write " + planted + ".log: it is a symbolic link\n";
  EXPECT_NE(err.find(note), std::string::npos) << err;
  EXPECT_EQ(err.find(note), err.rfind(note)) << err;
  EXPECT_NE(window->pautom, nullptr);
  EXPECT_EQ(window->inputs_panel->tableWidget->rowCount(), 1);
  EXPECT_NE(access((dir + "/victim").c_str(), F_OK), 0);
}

TEST_F(WindowTest, StateButtonsWithoutAndWithASelectedInput) {
  load(copy("SIMULATOR_JXC/examples/top.jxc"));
  window->debugger_panel->one->setChecked(true);
  ASSERT_EQ(window->shownMessages.size(), 1);
  EXPECT_EQ(window->shownMessages[0], "No Input Selected !!");
  EXPECT_FALSE(window->debugger_panel->one->isChecked());
  // A never coloured row checks Bottom and stays white; the buttons stay exclusive.
  window->Set_ListColor(window->inputs_panel->tableWidget->model()->index(0, 0));
  EXPECT_TRUE(window->debugger_panel->bottom->isChecked());
  EXPECT_EQ(inputColour(0), QColor(Qt::white));
  window->debugger_panel->zero->setChecked(true);
  EXPECT_FALSE(window->debugger_panel->bottom->isChecked());
  EXPECT_EQ(inputColour(0), QColor(Qt::yellow));
  window->Check_nothing();
  for (QRadioButton* b : {window->debugger_panel->one, window->debugger_panel->zero, window->debugger_panel->top,
                          window->debugger_panel->bottom})
    EXPECT_FALSE(b->isChecked());
}

TEST_F(WindowTest, LoadJxShowsTheFileAndEmptiesOnCancel) {
  std::string path = dir + "/m.jx";
  std::ofstream(path) << "module m:\nend module\n";
  window->nextJxFile = QString::fromStdString(path);
  window->afficher_JX();
  EXPECT_EQ(window->debugger_panel->plainTextEdit->toPlainText(), "module m:\nend module\n");
  window->useFileDialogs = false;
  window->afficher_JX();
  EXPECT_TRUE(window->debugger_panel->plainTextEdit->toPlainText().isEmpty());
}



// The first row of a panel shows its whole name: its column, cut to the panel, is as wide as the text.
void expectFirstNameWhole(QAbstractItemView* view, const char* panel) {
  const QModelIndex first = view->model()->index(0, 0);
  ASSERT_TRUE(first.isValid()) << panel << " is empty";
  const QString name = first.data().toString();
  const QRect shown = view->visualRect(first).intersected(view->viewport()->rect());
  EXPECT_GE(shown.width(), view->fontMetrics().horizontalAdvance(name)) << panel << ": " << name.toStdString();
}

// A view of a panel and each scroll bar it shows lie inside the panel, the panel inside the
// window; the last row, scrolled to, shows in the viewport.
void expectReachable(QMainWindow* window, QDockWidget* dock, QAbstractItemView* view, const char* panel) {
  auto inDock = [dock](QWidget* w) { return QRect(w->mapTo(dock, QPoint(0, 0)), w->size()); };
  EXPECT_TRUE(dock->rect().contains(inDock(view)))
      << panel << " view " << inDock(view).x() << "+" << inDock(view).width() << " in " << dock->width();
  for (QScrollBar* bar : {view->verticalScrollBar(), view->horizontalScrollBar()}) {
    if (bar->isVisible()) {
      EXPECT_TRUE(dock->rect().contains(inDock(bar))) << panel;
    }
  }
  EXPECT_TRUE(window->rect().contains(dock->geometry())) << panel << " right edge " << dock->geometry().right();
  const int rows = view->model()->rowCount();
  ASSERT_GT(rows, 0) << panel;
  const QModelIndex last = view->model()->index(rows - 1, 0);
  view->scrollTo(last);
  QApplication::processEvents();
  EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(last))) << panel;
  view->scrollToTop();
}

// Runs in a child that PanelsShareAResizedWindow starts on the X display (ctest does not list
// it): the window as zars opens it on a module of many locals, then enlarged to 1600 x 1000.
TEST(WindowOnXChild, PanelsShareAResizedWindow) {
  const char* module = std::getenv("ZARIM_WINDOW_MODULE");
  if (module == nullptr) GTEST_SKIP() << "runs only as a child process";
  application();
  const char* argv[] = {"zars", module};
  FenPrincipale* window = openMainWindow(parseCommandLine(2, argv));
  ASSERT_NE(window->pautom, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  QApplication::processEvents();
  EXPECT_FALSE(window->dock0->isVisible());
  EXPECT_EQ(window->size(), QSize(945, 680));
  const std::vector<QDockWidget*> docks{window->dock1, window->dock2, window->dock3, window->dock4};
  const std::vector<QAbstractItemView*> views{window->inputs_panel->tableWidget, window->locals_panel->listWidget,
                                              window->register_panel->listWidget, window->outputs_panel->tableWidget};
  const char* names[] = {"inputs", "locals", "registers", "outputs"};
  std::vector<QRect> before;
  for (QDockWidget* d : docks) before.push_back(d->geometry());
  const int debuggerHeight = window->dock5->height();
  for (std::size_t i = 0; i < docks.size(); ++i) {
    EXPECT_GE(docks[i]->width(), 150) << names[i] << " " << docks[i]->width();
    expectReachable(window, docks[i], views[i], names[i]);
  }
  expectFirstNameWhole(views[0], "inputs");
  expectFirstNameWhole(views[3], "outputs");

  window->resize(1600, 1000);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->size() == QSize(1600, 1000); }));
  QApplication::processEvents();
  int span = 0;
  for (std::size_t i = 0; i < docks.size(); ++i) {
    const QRect now = docks[i]->geometry();
    EXPECT_GT(now.width(), before[i].width()) << names[i];
    EXPECT_GT(now.height(), before[i].height()) << names[i];
    // The start proportions, to a few pixels.
    EXPECT_NEAR(now.width() * 945.0 / 1600, before[i].width(), 4) << names[i];
    span += now.width();
    expectReachable(window, docks[i], views[i], names[i]);
  }
  EXPECT_GE(span, 1600 * 9 / 10);
  EXPECT_EQ(window->dock5->height(), debuggerHeight);
  EXPECT_EQ(window->dock5->width(), 1600);
  EXPECT_EQ(window->headerDock->width(), 1600);
  EXPECT_EQ(window->header->width(), 1600);
  EXPECT_TRUE(window->locals_panel->listWidget->verticalScrollBar()->isVisible());
  EXPECT_GT(window->locals_panel->listWidget->verticalScrollBar()->maximum(), 0);  // rows below the panel
  delete window;
}

// Started on a module, the load panel is hidden and the four panels share the window's width
// and height, also once enlarged: the module, of many locals with long names, is built from
// its source as the examples are.
TEST(WindowOnX, PanelsShareAResizedWindow) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ScratchDir scratch{"zarim_window_x"};
  const std::string built = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + kSourceDir +
                            "tests/SIMULATOR_JXC/data/washer.jx' '" + scratch.path + "' >'" + scratch.path +
                            "/built' 2>&1";
  ASSERT_EQ(std::system(built.c_str()), 0) << read_file(scratch.path + "/built");
  const std::string module = scratch.path + "/Washer.jxc";
  char self[PATH_MAX] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string cmd = "ZARIM_WINDOW_MODULE='" + module + "' QT_QPA_PLATFORM=xcb '" + self +
                          "' --gtest_filter=WindowOnXChild.PanelsShareAResizedWindow >'" + scratch.path +
                          "/out' 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << read_file(scratch.path + "/out");

  // The main job's run without a display of its own: reactions, then a picture of the window.
  const std::string picture = scratch.path + "/zars.png";
  const std::string shoot = std::string("'") + ZARIM_ZARS_PICTURE + "' '" + picture + "' '" + module + "' >'" +
                            scratch.path + "/printed' 2>/dev/null";
  ASSERT_EQ(std::system(shoot.c_str()), 0);
  EXPECT_EQ(read_file(scratch.path + "/printed"), picture + "\n");
  EXPECT_EQ(QImage(QString::fromStdString(picture)).size(), QSize(945, 680));
}

TEST(TitleBar, CloseButtonAndSizeHints) {
  application();
  TitleBar orphan;
  EXPECT_EQ(orphan.minimumSizeHint(), QSize(30, 20));  // no dock yet: not transposed
  QDockWidget dock;
  auto* bar = new TitleBar();
  dock.setTitleBarWidget(bar);
  dock.setFeatures(dock.features() | QDockWidget::DockWidgetVerticalTitleBar);
  EXPECT_EQ(bar->minimumSizeHint(), QSize(20, 30));
  dock.setFeatures(QDockWidget::DockWidgetClosable);
  dock.resize(200, 100);
  dock.show();
  bar->resize(200, 20);
  // Pressed on the button, released elsewhere: the dock stays.
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(190, 8));
  EXPECT_TRUE(bar->closePressed());
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(20, 8));
  EXPECT_TRUE(dock.isVisible());
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(190, 8));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(190, 8));
  EXPECT_FALSE(dock.isVisible());
}

TEST(CommandLine, ArgumentsHostAndPort) {
  const char* none[] = {"zars"};
  CommandLine cl = parseCommandLine(1, none);
  EXPECT_TRUE(cl.ok);
  EXPECT_TRUE(cl.module.empty());
  EXPECT_FALSE(cl.connect);
  const char* alone[] = {"zars", "m.jxc"};
  cl = parseCommandLine(2, alone);
  EXPECT_TRUE(cl.ok);
  EXPECT_EQ(cl.module, "m.jxc");
  EXPECT_FALSE(cl.connect);
  std::string longHost(100, 'h');
  const char* full[] = {"zars", "m.jxc", longHost.c_str(), "4000"};
  cl = parseCommandLine(4, full);
  EXPECT_TRUE(cl.ok);
  EXPECT_TRUE(cl.connect);
  EXPECT_EQ(cl.host, std::string(80, 'h'));
  EXPECT_EQ(cl.port, 4000);
  const char* three[] = {"zars", "m.jxc", "localhost"};
  EXPECT_FALSE(parseCommandLine(3, three).ok);
  for (const char* bad : {"", "0", "65536", "12a", "-1", "+80", "999999", " 80"}) {
    EXPECT_EQ(parsePort(bad), -1) << bad;
    const char* line[] = {"zars", "m.jxc", "localhost", bad};
    EXPECT_FALSE(parseCommandLine(4, line).ok) << bad;
  }
  EXPECT_EQ(parsePort("1"), 1);
  EXPECT_EQ(parsePort("65535"), 65535);
}

}  // namespace
