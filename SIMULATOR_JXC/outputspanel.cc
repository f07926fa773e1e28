#include "outputspanel.h"

OutputsPanel::OutputsPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("OutputsPanel");
  resize(329, 305);
  setWindowTitle("Dialog");
  tableWidget = new QTableWidget(0, 0, this);
  tableWidget->setObjectName("tableWidget");
  tableWidget->setGeometry(15, 11, 305, 251);
  tableWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tableWidget->setSelectionMode(QAbstractItemView::SingleSelection);
}
