#include "outputspanel.h"

#include "panellayout.h"

OutputsPanel::OutputsPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("OutputsPanel");
  setWindowTitle("Dialog");
  tableWidget = new QTableWidget(0, 0, this);
  tableWidget->setObjectName("tableWidget");
  tableWidget->setSelectionMode(QAbstractItemView::SingleSelection);
  fillPanel(this, tableWidget);
}
