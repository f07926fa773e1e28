// zars: the simulator of one compiled module.
#include <QApplication>
#include <csignal>
#include <exception>
#include <iostream>

#include "fenetrepricipale.h"
#include "formspp.h"
#include "startup.h"

int main(int argc, char** argv) {
  // A value server that closed its end must give an empty reply, not kill the window.
  std::signal(SIGPIPE, SIG_IGN);
  forms_install_display_sink();  // the library's messages in FLTK boxes when there is a display
  try {
    Q_INIT_RESOURCE(ressource);
    QApplication app(argc, argv);
    const CommandLine cl = parseCommandLine(argc, argv);
    if (!cl.ok) {
      std::cerr << cl.error << "\n" << kUsage << "\n";
      return 1;
    }
    FenPrincipale* window = openMainWindow(cl);
    const int status = app.exec();
    delete window;
    return status;
  } catch (const std::exception& e) {
    std::cerr << "zars: " << e.what() << "\n";
    return 1;
  }
}
