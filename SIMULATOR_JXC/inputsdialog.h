// Inputs panel: the inputs table (name, value field).
#ifndef INPUTSDIALOG_H
#define INPUTSDIALOG_H

#include <QDialog>
#include <QTableWidget>

class InputsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit InputsDialog(QWidget* parent = nullptr);
  QTableWidget* tableWidget;
};

#endif
