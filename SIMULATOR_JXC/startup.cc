#include "startup.h"

#include <QApplication>
#include <QStyleFactory>
#include <iostream>

#include "fenetrepricipale.h"
#include "sock.h"

FenPrincipale* openMainWindow(const CommandLine& cl) {
  FenPrincipale* window = cl.module.empty() ? new FenPrincipale() : new FenPrincipale(cl.module);
  window->resize(945, 680);
  if (QStyle* style = QStyleFactory::create("plastique")) QApplication::setStyle(style);
  window->setStyleSheet(stringFromResource(":/style/style.qss"));
  window->show();
  if (cl.connect) {
    std::cerr << "hostname choisi: " << cl.host << "\n";
    socket_type* socket = SOCK_make_client(cl.host.c_str(), cl.port);
    std::cerr << "adresse socket: " << static_cast<const void*>(socket) << "\n";
    window->setSocket(socket);
  }
  return window;
}
