// A plug-in for the loader's tests: its value says whether it ran off the GUI thread.
#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include "plugininterface.h"

class TestPlugin : public QObject, public PluginInterface {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID PluginInterface_iid)
  Q_INTERFACES(PluginInterface)
 public:
  QString name() const override { return "test plugin"; }
  // 1000 + argument on a worker thread, -1 on the application's thread.
  int compute(int argument) override {
    bool worker = QCoreApplication::instance() == nullptr ||
                  QThread::currentThread() != QCoreApplication::instance()->thread();
    return worker ? 1000 + argument : -1;
  }
};

#include "test_plugin.moc"
