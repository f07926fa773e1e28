#include "registerpanel.h"

RegisterPanel::RegisterPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("RegisterPanel");
  resize(200, 305);
  setWindowTitle("Dialog");
  listWidget = new QListWidget(this);
  listWidget->setObjectName("listWidget");
  listWidget->setGeometry(10, 30, 189, 250);
  listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
}
