#include "inputsdialog.h"

#include "panellayout.h"

InputsDialog::InputsDialog(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("Inputs_form");
  setWindowTitle("Dialog");
  tableWidget = new QTableWidget(this);
  tableWidget->setObjectName("tableWidget");
  tableWidget->setFrameShape(QFrame::Panel);
  tableWidget->setTabKeyNavigation(false);
  tableWidget->setDropIndicatorShown(false);
  tableWidget->setSelectionMode(QAbstractItemView::MultiSelection);
  fillPanel(this, tableWidget);
}
