// The simulator's main window: six docks under the logo band, five tool buttons, the
// loading of one compiled module into the panels, and the Go/Init steps rendered from the
// Qt-free Simulation.
#ifndef FENETREPRICIPALE_H
#define FENETREPRICIPALE_H

#include <QDockWidget>
#include <QLineEdit>
#include <QMainWindow>
#include <QModelIndex>
#include <QStringList>
#include <QTableWidgetItem>
#include <QToolButton>
#include <string>
#include <vector>

#include "debuggerpanel.h"
#include "evaluation.h"
#include "filepanel.h"
#include "inputsdialog.h"
#include "localspanel.h"
#include "outputspanel.h"
#include "plugins.h"
#include "registerpanel.h"
#include "titlebar.h"

class Module;
class Signal;
struct socket_type;

class FenPrincipale : public QMainWindow {
  Q_OBJECT
 public:
  FenPrincipale();
  // Loads path at once; the load panel is hidden when the module was loaded.
  explicit FenPrincipale(const std::string& path);

  // Reads a compiled module (log in file + ".log"); null when the name is empty, the file
  // is missing or does not parse, or its log is refused (a line on standard error).
  Module* parse(const std::string& file, std::string instance);
  void setSocket(socket_type* s) { simulation.setSocket(s); }

  void Check_nothing();
  void Check_bleu(bool b);
  void Check_jaune(bool b);
  void Check_vert(bool b);
  void Check_noir(bool b);
  void No_input_selected();

  // Message boxes are modal unless modalMessages is false; every text shown is kept.
  bool modalMessages = true;
  QStringList shownMessages;

  // File names for the next "Load JXC" / "Load JX" instead of a dialog (empty: a dialog).
  QString nextJxcFile;
  QString nextJxFile;
  bool useFileDialogs = true;

  Simulation simulation;
  Module* pautom = nullptr;
  std::vector<Signal*> shownInputs;   // inputs-table row -> input
  std::vector<Signal*> shownOutputs;  // outputs-table row -> output
  std::vector<Signal*> shownLocals;
  std::vector<Signal*> shownRegisters;
  std::vector<QLineEdit*> inputs_value;          // value field of each input row
  std::vector<QTableWidgetItem*> item_empty;     // value cell of each output row
  int selectedRow = -1;                          // inputs row last clicked
  bool valued = false;
  bool valuedO = false;
  QString message;

  QToolButton *go, *reset, *set, *config, *help;
  Header* header;
  TitleBar *title0, *title1, *title2, *title3, *title4, *title5;
  QDockWidget *dock0, *dock1, *dock2, *dock3, *dock4, *dock5, *headerDock;
  FilePanel* file_panel;
  InputsDialog* inputs_panel;
  LocalsPanel* locals_panel;
  RegisterPanel* register_panel;
  OutputsPanel* outputs_panel;
  DebuggerPanel* debugger_panel;

  // Worker thread and plug-in loader; unset unless the owner starts them. The thread is
  // joined before the window closes.
  CalculValue* thread_calcul = nullptr;
  PluginManager* pluginManager = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 public slots:
  void afficherAll();
  void afficher_JX();
  void Set_ListColor(QModelIndex index);
  void set_ColorBleu(bool b);
  void set_ColorVert(bool b);
  void set_ColorJaune(bool b);
  void set_ColorNoir(bool b);
  void set_checked(bool b);
  void reset_checked(bool b);
  void Simuler();
  void Initialise();
  void messageReceived(QString m);

 signals:
  void Module_Parsed(Module*);

 private:
  void buildFrame();
  void create_gui();
  void load_data_ui();
  void inform(const QString& text);
  void clearPanels();
  void setBoxes(bool set_on, bool reset_on);
  void chooseColour(Colour c, bool b);
  void colourInputRow(int row);
  void colourOutputsAndLocals();
  void colourRegisters();
  void fitPanelsToWidth();
};

#endif
