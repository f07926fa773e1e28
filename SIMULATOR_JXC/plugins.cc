#include "plugins.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <iostream>

MyThread::MyThread() : QThread(nullptr) {}

void MyThread::FileUploaded(QString f) {
  fname = f;
  std::cout << "fname :" << fname.toLocal8Bit().constData() << "\n";
}

PluginManager::PluginManager(QObject* parent) : QObject(parent) {}

void PluginManager::LoadAllPlugins() {
  QDir folder(QDir::currentPath() + "/plugins");
  qDebug() << "current path is :" << QDir::currentPath();
  qDebug() << "absolute path is :" << folder.absolutePath();
  for (const QString& name : folder.entryList(QDir::Files, QDir::Unsorted)) {
    qDebug() << "file Name:" << name;
    LoadPlugin(folder.absolutePath() + "/" + name);
  }
}

void PluginManager::LoadPlugin(QString path) {
  qDebug() << "loading :" << path;
  QPluginLoader loader(path);
  if (QObject* root = loader.instance()) {
    qDebug() << "pluging is loaded...";
    plugin = qobject_cast<PluginInterface*>(root);
    if (plugin != nullptr) return;
  }
  qDebug() << "Not a plugin :" << path << "=" << loader.errorString();
}

CalculValue::CalculValue() : QThread(nullptr) {}

CalculValue::~CalculValue() { wait(); }

void CalculValue::evaluer() {
  bdd_eval.reset(new Signal_eval());
  if (pautom != nullptr) bdd_eval->bdds_evaluate(pautom, context);
}

void CalculValue::run() {
  evaluer();
  pluginManager.reset(new PluginManager(nullptr));
  pluginManager->LoadAllPlugins();
  if (pluginManager->plugin == nullptr) {
    report = "no plugin";
    std::cerr << report << "\n";
    return;
  }
  value = pluginManager->plugin->compute(0);
  computed = true;
}
