// The interface a simulator plug-in implements, known to Qt's plug-in machinery as
// "Plugininterface/1.1".
#ifndef PLUGININTERFACE_H
#define PLUGININTERFACE_H

#include <QString>
#include <QtPlugin>

class PluginInterface {
 public:
  virtual ~PluginInterface() = default;
  // The plug-in's name, for messages.
  virtual QString name() const = 0;
  // One value computed from argument; the worker thread calls it with 0.
  virtual int compute(int argument) = 0;
};

#define PluginInterface_iid "Plugininterface/1.1"
Q_DECLARE_INTERFACE(PluginInterface, PluginInterface_iid)

#endif
