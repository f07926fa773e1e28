// zars_picture: zars as the main job runs it without a display of its own, on a virtual X
// server: the same start-up on the same arguments, then a few reactions with the inputs set
// (present and absent in turn, valued ones given a number), and a PNG picture of the window.
//
//   zars_picture <picture.png> module.jxc [host port]
//
// Prints the picture's path; status 1 when the module does not load or the picture cannot
// be written. No message box is shown (it would wait for a click): the window's and the
// library's texts go to standard error (the library's default sink, no display sink installed).
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <iostream>
#include <string>

#include "fenetrepricipale.h"
#include "module_signal.h"
#include "startup.h"

namespace {

const int kReactions = 3;
const char* const kValues[kReactions] = {"21", "3", "12"};

// Reaction k: input r present unless (k + r) % 3 == 1; a present valued input gets kValues[k].
void setInputs(FenPrincipale* w, int k) {
  for (int r = 0; r < static_cast<int>(w->shownInputs.size()); ++r) {
    const bool present = (k + r) % 3 != 1;
    w->Set_ListColor(w->inputs_panel->tableWidget->model()->index(r, 0));
    (present ? w->debugger_panel->one : w->debugger_panel->zero)->setChecked(true);
    if (w->shownInputs[r]->isValued(w->pautom)) w->inputs_value[r]->setText(present ? kValues[k] : "--");
  }
  w->Check_nothing();
}

int takePicture(FenPrincipale* w, const std::string& path) {
  if (w->pautom == nullptr) {
    std::cerr << "zars_picture: no module loaded\n";
    return 1;
  }
  for (int k = 0; k < kReactions; ++k) {
    setInputs(w, k);
    w->go->click();
    QApplication::processEvents();
  }
  for (const QString& m : w->shownMessages) std::cerr << m.toStdString() << "\n";
  QPixmap picture = w->screen()->grabWindow(w->winId());
  if (picture.isNull()) picture = w->grab();
  if (!picture.save(QString::fromStdString(path), "PNG")) {
    std::cerr << "zars_picture: cannot write " << path << "\n";
    return 1;
  }
  std::cout << path << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  if (argc != 3 && argc != 5) {
    std::cerr << "usage: zars_picture <picture.png> module.jxc [host port]\n";
    return 1;
  }
  Q_INIT_RESOURCE(ressource);
  QApplication app(argc, argv);
  const std::string path = argv[1];
  const CommandLine cl = parseCommandLine(argc - 1, argv + 1);
  if (!cl.ok) {
    std::cerr << cl.error << "\n";
    return 1;
  }
  FenPrincipale* window = openMainWindow(cl);
  window->modalMessages = false;
  int status = 1;
  // Once the window is mapped and laid out.
  QTimer::singleShot(300, [&] {
    status = takePicture(window, path);
    QApplication::quit();
  });
  app.exec();
  delete window;
  return status;
}
