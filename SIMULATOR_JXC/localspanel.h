// Locals panel: one list item per local signal.
#ifndef LOCALSPANEL_H
#define LOCALSPANEL_H

#include <QDialog>
#include <QListWidget>

class LocalsPanel : public QDialog {
  Q_OBJECT
 public:
  explicit LocalsPanel(QWidget* parent = nullptr);
  QListWidget* listWidget;
};

#endif
