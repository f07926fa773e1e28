// zars: the simulator of one compiled module.
#include <QApplication>
#include <QStyleFactory>
#include <csignal>
#include <exception>
#include <iostream>

#include "commandline.h"
#include "fenetrepricipale.h"
#include "sock.h"

int main(int argc, char** argv) {
  // A value server that closed its end must give an empty reply, not kill the window.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    Q_INIT_RESOURCE(ressource);
    QApplication app(argc, argv);
    const CommandLine cl = parseCommandLine(argc, argv);
    if (!cl.ok) {
      std::cerr << cl.error << "\n" << kUsage << "\n";
      return 1;
    }
    FenPrincipale* window = cl.module.empty() ? new FenPrincipale() : new FenPrincipale(cl.module);
    window->setFixedSize(945, 680);
    if (QStyle* style = QStyleFactory::create("plastique")) QApplication::setStyle(style);
    window->setStyleSheet(stringFromResource(":/style/style.qss"));
    window->show();
    if (cl.connect) {
      std::cerr << "hostname choisi: " << cl.host << "\n";
      socket_type* socket = SOCK_make_client(cl.host.c_str(), cl.port);
      std::cerr << "adresse socket: " << static_cast<const void*>(socket) << "\n";
      window->setSocket(socket);
    }
    const int status = app.exec();
    delete window;
    return status;
  } catch (const std::exception& e) {
    std::cerr << "zars: " << e.what() << "\n";
    return 1;
  }
}
