#include "localspanel.h"

LocalsPanel::LocalsPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("LocalsPanel");
  resize(200, 305);
  setWindowTitle("Dialog");
  listWidget = new QListWidget(this);
  listWidget->setObjectName("listWidget");
  listWidget->setGeometry(10, 20, 189, 240);
  listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
}
