#include "inputsdialog.h"

InputsDialog::InputsDialog(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("Inputs_form");
  resize(277, 305);
  setWindowTitle("Dialog");
  tableWidget = new QTableWidget(this);
  tableWidget->setObjectName("tableWidget");
  tableWidget->setGeometry(10, 30, 250, 279);
  tableWidget->setFrameShape(QFrame::Panel);
  tableWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tableWidget->setTabKeyNavigation(false);
  tableWidget->setDropIndicatorShown(false);
  tableWidget->setSelectionMode(QAbstractItemView::MultiSelection);
}
