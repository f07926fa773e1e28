// Registers panel: one list item per register (its current-state signal).
#ifndef REGISTERPANEL_H
#define REGISTERPANEL_H

#include <QDialog>
#include <QListWidget>

class RegisterPanel : public QDialog {
  Q_OBJECT
 public:
  explicit RegisterPanel(QWidget* parent = nullptr);
  QListWidget* listWidget;
};

#endif
