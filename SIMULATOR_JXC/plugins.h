// The simulator's worker threads and its plug-in loader. The window owns them; nothing
// in the reaction flow uses them.
#ifndef PLUGINS_H
#define PLUGINS_H

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>
#include <string>

#include "evaluation.h"
#include "plugininterface.h"

class Module;

// A thread that only records the name of an uploaded file.
class MyThread : public QThread {
  Q_OBJECT
 public:
  MyThread();
  bool Stop = false;
  QString fname;

 public slots:
  // fname := f, and "fname :" + f on standard output.
  void FileUploaded(QString f);

 signals:
  void ModuleParsed(Module*);

 protected:
  void run() override {}
};

// Finds and loads the plug-ins of the folder "plugins" under the current directory.
class PluginManager : public QObject {
  Q_OBJECT
 public:
  explicit PluginManager(QObject* parent);
  // Loads every plain file of the folder; the last one that yields the interface decides
  // plugin. Trace lines on Qt's debug output.
  void LoadAllPlugins();
  // Loads one file; plugin is set when its root object has the interface.
  void LoadPlugin(QString path);

  // The interface of the loaded plug-in (owned by its loader's root object); null until
  // one is found.
  PluginInterface* plugin = nullptr;
};

// Evaluates a module's equations on a context, then loads the plug-ins and calls the
// plug-in with 0, all on its own thread. The owner sets pautom and context before start()
// and reads them only after wait(): nothing else guards them.
class CalculValue : public QThread {
  Q_OBJECT
 public:
  CalculValue();
  ~CalculValue() override;

  // context := the equations evaluated under it; nothing without a module.
  void evaluer();

  Module* pautom = nullptr;
  Context context;
  std::unique_ptr<Signal_eval> bdd_eval;
  std::unique_ptr<PluginManager> pluginManager;
  // After the run: the plug-in's value, or the report of what went wrong ("no plugin").
  bool computed = false;
  int value = 0;
  std::string report;

 protected:
  void run() override;
};

#endif
