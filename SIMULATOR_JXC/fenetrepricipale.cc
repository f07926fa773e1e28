#include "fenetrepricipale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextStream>
#include <iostream>

#include "load_jxc.h"
#include "module.h"
#include "module_signal.h"

namespace {

QColor qtColour(Colour c) {
  switch (c) {
    case Colour::Bleu: return Qt::blue;
    case Colour::Jaune: return Qt::yellow;
    case Colour::Vert: return Qt::green;
    case Colour::Noir: return Qt::white;
    case Colour::Rouge: break;
  }
  return Qt::red;
}

// Black on yellow, green, red and white, white on blue: at least 4.5 : 1 on each (black on
// pure blue is 2.4 : 1).
QColor textColourOn(Colour c) { return c == Colour::Bleu ? Qt::white : Qt::black; }

// A table cell or list row in colour c, its text readable on it.
template <class Item>
void paint(Item* item, Colour c) {
  item->setBackground(qtColour(c));
  item->setForeground(textColourOn(c));
}

// The start widths of the inputs, locals, registers and outputs panels, whose proportions
// they keep as the window is resized.
const int kPanelWidths[] = {260, 200, 200, 329};

QString declaredName(Signal* s) { return QString::fromStdString(s->getOriginalName()); }

// A dock of parent holding panel under a title bar of its own (stored in title).
QDockWidget* makeDock(QMainWindow* parent, const char* name, QWidget* panel, TitleBar*& title,
                      Qt::DockWidgetAreas allowed) {
  auto* dock = new QDockWidget(parent);
  dock->setObjectName(name);
  dock->setWidget(panel);
  title = new TitleBar();
  dock->setTitleBarWidget(title);
  dock->setAllowedAreas(allowed);
  return dock;
}

// A tool button of the header at x, its tip as tool and status tip.
QToolButton* makeButton(QWidget* header, const char* icon, const char* tip, int x) {
  auto* b = new QToolButton(header);
  b->setIcon(QIcon(icon));
  b->setIconSize(QSize(40, 40));
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setToolTip(tip);
  b->setStatusTip(tip);
  b->setProperty("kind", "toolbar");
  b->move(x, 10);
  return b;
}

void textColour(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::All, QPalette::WindowText, c);
  w->setPalette(p);
}

}  // namespace

void FenPrincipale::closeEvent(QCloseEvent* event) {
  if (thread_calcul != nullptr) thread_calcul->wait();
  QMainWindow::closeEvent(event);
}

void FenPrincipale::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  fitPanelsToWidth();
}

void FenPrincipale::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  fitPanelsToWidth();
}

// Left to itself the dock layout gives a wider window's room to the empty central widget:
// the panels shown in the left dock area share the window's width in the proportions of
// their start widths instead. Their height is the left area's, all that the header and the
// debugger panel leave.
void FenPrincipale::fitPanelsToWidth() {
  QDockWidget* const all[] = {dock1, dock2, dock3, dock4};
  QList<QDockWidget*> panels;
  QList<int> widths;
  int total = 0;
  for (int i = 0; i < 4; ++i) {
    if (all[i]->isHidden() || all[i]->isFloating()) continue;
    panels << all[i];
    widths << kPanelWidths[i];
    total += kPanelWidths[i];
  }
  if (panels.isEmpty()) return;
  const int separator = style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
  const int room = width() - separator * static_cast<int>(panels.size());
  for (int& w : widths) w = w * room / total;
  resizeDocks(panels, widths, Qt::Horizontal);
}

FenPrincipale::FenPrincipale() {
  buildFrame();
  create_gui();
  load_data_ui();
}

FenPrincipale::FenPrincipale(const std::string& path) {
  buildFrame();
  std::cerr << "Call from zarim with argument:" << path << "\n";
  pautom = parse(path, "");
  create_gui();
  load_data_ui();
  if (pautom) afficherAll();
}

void FenPrincipale::buildFrame() {
  if (objectName().isEmpty()) setObjectName("MainWindow");
  resize(1056, 424);
  auto* central = new QWidget(this);
  central->setObjectName("centralwidget");
  setCentralWidget(central);
  auto* bar = new QMenuBar(this);
  bar->setObjectName("menuBar");
  bar->setGeometry(0, 0, 1055, 20);
  setMenuBar(bar);
  setWindowTitle(QApplication::translate("MainWindow", "ZARS"));
}

void FenPrincipale::create_gui() {
  header = new Header();
  headerDock = new QDockWidget(this);
  headerDock->setObjectName("header");
  headerDock->setWidget(header);
  headerDock->setTitleBarWidget(new QWidget());
  headerDock->setFloating(false);
  headerDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
  addDockWidget(Qt::TopDockWidgetArea, headerDock);

  const Qt::DockWidgetAreas leftOrBottom = Qt::LeftDockWidgetArea | Qt::BottomDockWidgetArea;
  file_panel = new FilePanel();
  inputs_panel = new InputsDialog();
  locals_panel = new LocalsPanel();
  register_panel = new RegisterPanel();
  outputs_panel = new OutputsPanel();
  debugger_panel = new DebuggerPanel();
  dock0 = makeDock(this, "Inputs_Dialog", file_panel, title0, leftOrBottom);
  dock0->setMaximumHeight(120);
  dock1 = makeDock(this, "Inputs_Dialog", inputs_panel, title1, leftOrBottom);
  dock2 = makeDock(this, "Locals_Dialog", locals_panel, title2, leftOrBottom);
  dock3 = makeDock(this, "Locals_Dialog", register_panel, title3, leftOrBottom);
  dock4 = makeDock(this, "Outputs_Dialog", outputs_panel, title4, leftOrBottom);
  dock5 = makeDock(this, "Outputs_Dialog", debugger_panel, title5, Qt::BottomDockWidgetArea);
  dock5->setMaximumHeight(180);
  addDockWidget(Qt::LeftDockWidgetArea, dock0);
  addDockWidget(Qt::LeftDockWidgetArea, dock1);
  splitDockWidget(dock1, dock2, Qt::Horizontal);
  splitDockWidget(dock2, dock3, Qt::Horizontal);
  splitDockWidget(dock3, dock4, Qt::Horizontal);
  addDockWidget(Qt::BottomDockWidgetArea, dock5);

  go = makeButton(header, ":/img/go.png", "Go", 40);
  set = makeButton(header, ":/img/init.png", "Set", 100);
  reset = makeButton(header, ":/img/init.png", "Reset", 200);
  config = makeButton(header, ":/img/preferences.png", "Configure Personal finances", 300);
  help = makeButton(header, ":/img/help.png", "Show about dialog", 400);

  textColour(debugger_panel->one, Qt::blue);
  textColour(debugger_panel->zero, Qt::yellow);
  textColour(debugger_panel->bottom, Qt::black);
  textColour(debugger_panel->top, Qt::green);
  // The names column is as wide as its longest name (a horizontal scroll bar past the panel's
  // width); the values column takes the rest of the panel.
  for (QTableWidget* t : {inputs_panel->tableWidget, outputs_panel->tableWidget})
    t->horizontalHeader()->setStretchLastSection(true);

  connect(file_panel->pushButton_3, &QPushButton::clicked, this, &FenPrincipale::afficherAll);
  connect(debugger_panel->one, &QRadioButton::toggled, this, &FenPrincipale::set_ColorBleu);
  connect(debugger_panel->zero, &QRadioButton::toggled, this, &FenPrincipale::set_ColorJaune);
  connect(debugger_panel->bottom, &QRadioButton::toggled, this, &FenPrincipale::set_ColorNoir);
  connect(debugger_panel->top, &QRadioButton::toggled, this, &FenPrincipale::set_ColorVert);
  connect(inputs_panel->tableWidget, &QTableWidget::clicked, this, &FenPrincipale::Set_ListColor);
  connect(go, &QToolButton::clicked, this, &FenPrincipale::Simuler);
  connect(debugger_panel->set, &QCheckBox::toggled, this, &FenPrincipale::set_checked);
  connect(debugger_panel->reset, &QCheckBox::toggled, this, &FenPrincipale::reset_checked);
  connect(reset, &QToolButton::clicked, this, &FenPrincipale::Initialise);
  connect(file_panel->pushButton_2, &QPushButton::clicked, this, &FenPrincipale::afficher_JX);
}

void FenPrincipale::load_data_ui() {
  title1->setTitleText(tr("Inputs Panel"));
  title0->setTitleText(tr("Load Panel"));
  title2->setTitleText(tr("Locals Panel"));
  title3->setTitleText(tr("Registers Panel"));
  title4->setTitleText(tr("Outputs Panel"));
  title5->setTitleText(tr("Debugger Panel"));
  if (pautom) {
    title0->hide();
    file_panel->hide();
    dock0->hide();
  }
  go->setText("Go");
  set->setText("Set");
  reset->setText("Init");
  config->setText("Preferences");
  help->setText("Help");
}

void FenPrincipale::inform(const QString& text) {
  shownMessages << text;
  if (modalMessages) QMessageBox::information(this, "ZARS", text);
}

void FenPrincipale::No_input_selected() { inform("No Input Selected !!"); }

void FenPrincipale::messageReceived(QString m) {
  message = m;
  qDebug() << m;
}

Module* FenPrincipale::parse(const std::string& file, std::string instance) {
  if (file.empty()) return nullptr;  // a cancelled dialog: no read, no stray ".log"
  jxc_load_request request;
  request.instance = instance;
  jxc_load_result loaded = jxc_load(file, request);
  switch (loaded.failure) {
    case jxc_load_result::none:
      break;
    case jxc_load_result::not_found:
      std::cerr << "FILE NOT FOUND !\n";
      break;
    case jxc_load_result::directory:
      std::cerr << "FILE IS A DIRECTORY !\n";
      break;
    case jxc_load_result::rejected:
      std::cerr << "ERROR about loading file : " << file << "\n";
      break;
  }
  if (!loaded.no_log.empty()) std::cerr << loaded.no_log << "\n";
  return loaded.module;
}

void FenPrincipale::clearPanels() {
  valued = valuedO = false;
  selectedRow = -1;
  inputs_panel->tableWidget->clearContents();
  inputs_panel->tableWidget->setRowCount(0);
  outputs_panel->tableWidget->clearContents();
  outputs_panel->tableWidget->setRowCount(0);
  locals_panel->listWidget->clear();
  register_panel->listWidget->clear();
  inputs_value.clear();
  item_empty.clear();
  shownInputs.clear();
  shownOutputs.clear();
  shownLocals.clear();
  shownRegisters.clear();
}

void FenPrincipale::afficherAll() {
  clearPanels();
  if (!pautom) {
    QString name = nextJxcFile;
    nextJxcFile.clear();
    if (name.isEmpty() && useFileDialogs)
      name = QFileDialog::getOpenFileName(this, "Ouvrir un fichier JXC", QString(), "Fichier ( *.jxc)");
    std::cerr << "Start parsing :" << name.toStdString() << "\n";
    pautom = parse(name.toStdString(), "");
  }
  if (!pautom) {
    // No module: empty panels, "Load JXC" stays usable.
    simulation.load(nullptr);
    return;
  }
  Module* m = pautom;
  const bool finalised = m->getFinalised() != 0;
  debugger_panel->bottom->setVisible(!finalised);
  debugger_panel->top->setVisible(!finalised);

  simulation.load(m);
  for (Signal* s : simulation.inputs())
    if (s->isValued(m)) valued = true;
  for (Signal* s : simulation.outputs())
    if (s->isValued(m, m->getBddWood())) valuedO = true;

  shownInputs = simulation.shownInputs();
  QTableWidget* in = inputs_panel->tableWidget;
  in->setRowCount(static_cast<int>(shownInputs.size()));
  in->setColumnCount(2);
  in->setHorizontalHeaderLabels({"Name", "Value"});
  for (int r = 0; r < static_cast<int>(shownInputs.size()); ++r) {
    auto* field = new QLineEdit(in);
    field->setMaxLength(static_cast<int>(Simulation::MaxValueText));
    field->setText("--");
    inputs_value.push_back(field);
    in->setItem(r, 0, new QTableWidgetItem(declaredName(shownInputs[r])));
    in->setCellWidget(r, 1, field);
  }
  in->resizeColumnToContents(0);

  shownOutputs = simulation.shownOutputs();
  QTableWidget* out = outputs_panel->tableWidget;
  out->setRowCount(static_cast<int>(shownOutputs.size()));
  out->setColumnCount(2);
  out->setHorizontalHeaderLabels({"Name", "Value"});
  for (int r = 0; r < static_cast<int>(shownOutputs.size()); ++r) {
    out->setItem(r, 0, new QTableWidgetItem(declaredName(shownOutputs[r])));
    auto* value = new QTableWidgetItem("--");
    item_empty.push_back(value);
    out->setItem(r, 1, value);
  }
  out->resizeColumnToContents(0);

  shownLocals = simulation.locals();
  for (Signal* s : shownLocals) {
    locals_panel->listWidget->addItem(declaredName(s));
    if (s->isValued(m)) valued = true;
  }
  shownRegisters = simulation.registers();
  for (Signal* s : shownRegisters) register_panel->listWidget->addItem(declaredName(s));

  Check_nothing();
  for (int r = 0; r < static_cast<int>(shownInputs.size()); ++r) colourInputRow(r);
  setBoxes(true, false);
  colourOutputsAndLocals();
  colourRegisters();
  emit Module_Parsed(m);
}

void FenPrincipale::afficher_JX() {
  QString name = nextJxFile;
  nextJxFile.clear();
  if (name.isEmpty() && useFileDialogs)
    name = QFileDialog::getOpenFileName(this, "Ouvrir un fichier JX", QString(), "Fichier ( *.jx)");
  QString text;
  QFile f(name);
  if (!name.isEmpty() && f.open(QFile::ReadOnly | QFile::Text)) text = QTextStream(&f).readAll();
  debugger_panel->plainTextEdit->setPlainText(text);
}

void FenPrincipale::setBoxes(bool set_on, bool reset_on) {
  simulation.flags().set_Set(set_on);
  simulation.flags().set_Reset(reset_on);
  QSignalBlocker b1(debugger_panel->set), b2(debugger_panel->reset);
  debugger_panel->set->setChecked(set_on);
  debugger_panel->reset->setChecked(reset_on);
}

void FenPrincipale::set_checked(bool b) {
  QSignalBlocker blocker(debugger_panel->set);
  debugger_panel->set->setChecked(b);
  simulation.flags().set_Set(b);
}

void FenPrincipale::reset_checked(bool b) {
  QSignalBlocker blocker(debugger_panel->reset);
  debugger_panel->reset->setChecked(b);
  simulation.flags().set_Reset(b);
}

// The four state buttons are not auto-exclusive: these keep at most one checked, with the
// buttons' own signals blocked so that no slot runs again.
void FenPrincipale::Check_nothing() {
  for (QRadioButton* r : {debugger_panel->one, debugger_panel->zero, debugger_panel->top, debugger_panel->bottom}) {
    QSignalBlocker blocker(r);
    r->setChecked(false);
  }
}

static void checkOnly(DebuggerPanel* p, QRadioButton* chosen, bool b) {
  for (QRadioButton* r : {p->one, p->zero, p->top, p->bottom}) {
    QSignalBlocker blocker(r);
    r->setChecked(r == chosen ? b : false);
  }
}

void FenPrincipale::Check_bleu(bool b) { checkOnly(debugger_panel, debugger_panel->one, b); }
void FenPrincipale::Check_jaune(bool b) { checkOnly(debugger_panel, debugger_panel->zero, b); }
void FenPrincipale::Check_vert(bool b) { checkOnly(debugger_panel, debugger_panel->top, b); }
void FenPrincipale::Check_noir(bool b) { checkOnly(debugger_panel, debugger_panel->bottom, b); }

void FenPrincipale::colourInputRow(int row) {
  if (row < 0 || row >= static_cast<int>(shownInputs.size())) return;
  if (QTableWidgetItem* item = inputs_panel->tableWidget->item(row, 0))
    paint(item, simulation.inputColour(shownInputs[row]));
}

void FenPrincipale::Set_ListColor(QModelIndex index) {
  selectedRow = index.isValid() && index.row() < static_cast<int>(shownInputs.size()) ? index.row() : -1;
  if (selectedRow < 0) return;
  switch (simulation.inputColour(shownInputs[selectedRow])) {
    case Colour::Bleu: Check_bleu(true); break;
    case Colour::Jaune: Check_jaune(true); break;
    case Colour::Vert: Check_vert(true); break;
    default:
      Check_noir(true);
      simulation.setInputColour(shownInputs[selectedRow], Colour::Noir);
      break;
  }
  colourInputRow(selectedRow);
}

void FenPrincipale::chooseColour(Colour c, bool b) {
  QRadioButton* button = c == Colour::Bleu    ? debugger_panel->one
                         : c == Colour::Jaune ? debugger_panel->zero
                         : c == Colour::Vert  ? debugger_panel->top
                                              : debugger_panel->bottom;
  checkOnly(debugger_panel, button, b);
  if (!b) return;
  if (selectedRow < 0) {
    No_input_selected();
    Check_nothing();
    return;
  }
  simulation.setInputColour(shownInputs[selectedRow], c);
  colourInputRow(selectedRow);
}

void FenPrincipale::set_ColorBleu(bool b) { chooseColour(Colour::Bleu, b); }
void FenPrincipale::set_ColorJaune(bool b) { chooseColour(Colour::Jaune, b); }
void FenPrincipale::set_ColorVert(bool b) { chooseColour(Colour::Vert, b); }
void FenPrincipale::set_ColorNoir(bool b) { chooseColour(Colour::Noir, b); }

void FenPrincipale::colourOutputsAndLocals() {
  QTableWidget* out = outputs_panel->tableWidget;
  for (int r = 0; r < static_cast<int>(shownOutputs.size()); ++r)
    if (QTableWidgetItem* item = out->item(r, 0)) paint(item, simulation.colourOf(shownOutputs[r]));
  QListWidget* locals = locals_panel->listWidget;
  for (int i = 0; i < static_cast<int>(shownLocals.size()) && i < locals->count(); ++i)
    paint(locals->item(i), simulation.colourOf(shownLocals[i]));
}

void FenPrincipale::colourRegisters() {
  QListWidget* regs = register_panel->listWidget;
  for (int i = 0; i < static_cast<int>(shownRegisters.size()) && i < regs->count(); ++i)
    paint(regs->item(i), simulation.colourOf(shownRegisters[i]));
}

void FenPrincipale::Simuler() {
  if (!pautom) {
    std::cerr << "Jxc file not loaded\n";
    return;
  }
  for (std::size_t r = 0; r < shownInputs.size() && r < inputs_value.size(); ++r)
    simulation.setInputValue(shownInputs[r], inputs_value[r]->text().toStdString());
  ReactionReport report = simulation.react([this] { colourOutputsAndLocals(); });
  if (!report.ran) {
    if (!report.refusal.empty()) inform(QString::fromStdString(report.refusal));
    return;
  }
  colourRegisters();
  setBoxes(false, false);
  for (std::size_t r = 0; r < shownOutputs.size() && r < item_empty.size(); ++r)
    item_empty[r]->setText(QString::fromStdString(simulation.outputValue(shownOutputs[r])));
  if (!report.warnings.empty()) {
    QStringList lines;
    for (const std::string& w : report.warnings) lines << QString::fromStdString(w);
    inform(lines.join("\n"));
  }
}

void FenPrincipale::Initialise() {
  if (!pautom) {
    std::cerr << "Jxc file not loaded\n";
    return;
  }
  Check_nothing();
  selectedRow = -1;
  for (Signal* s : shownInputs) {
    simulation.setInputColour(s, Colour::Noir);
    simulation.setInputValue(s, "--");
  }
  simulation.init([this] { colourOutputsAndLocals(); });
  for (int r = 0; r < static_cast<int>(shownInputs.size()); ++r) colourInputRow(r);
  colourRegisters();
  setBoxes(true, false);
  for (QLineEdit* field : inputs_value) field->setText("--");
  for (QTableWidgetItem* item : item_empty) item->setText("--");
}
