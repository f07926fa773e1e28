#include "registerpanel.h"

#include "panellayout.h"

RegisterPanel::RegisterPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("RegisterPanel");
  setWindowTitle("Dialog");
  listWidget = new QListWidget(this);
  listWidget->setObjectName("listWidget");
  fillPanel(this, listWidget);
}
