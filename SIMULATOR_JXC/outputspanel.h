// Outputs panel: the outputs table (name, value).
#ifndef OUTPUTSPANEL_H
#define OUTPUTSPANEL_H

#include <QDialog>
#include <QTableWidget>

class OutputsPanel : public QDialog {
  Q_OBJECT
 public:
  explicit OutputsPanel(QWidget* parent = nullptr);
  QTableWidget* tableWidget;
};

#endif
