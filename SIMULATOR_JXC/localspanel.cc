#include "localspanel.h"

#include "panellayout.h"

LocalsPanel::LocalsPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("LocalsPanel");
  setWindowTitle("Dialog");
  listWidget = new QListWidget(this);
  listWidget->setObjectName("listWidget");
  fillPanel(this, listWidget);
}
