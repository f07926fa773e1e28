#include "filepanel.h"

FilePanel::FilePanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("Load_Form");
  resize(557, 113);
  setWindowTitle("Dialog");
  verticalLayoutWidget = new QWidget(this);
  verticalLayoutWidget->setGeometry(10, 0, 550, 100);
  // The rows are placed by hand: this keeps them from being cut when the panels below grow.
  setMinimumHeight(verticalLayoutWidget->height());
  verticalLayout_4 = new QVBoxLayout(verticalLayoutWidget);
  verticalLayout_4->setContentsMargins(0, 0, 0, 0);
  horizontalLayout_8 = new QHBoxLayout();
  label_4 = new QLabel("Load JXC File:    ", verticalLayoutWidget);
  lineEdit_4 = new QLineEdit(verticalLayoutWidget);
  pushButton_3 = new QPushButton("Load JXC", verticalLayoutWidget);
  horizontalLayout_8->addWidget(label_4);
  horizontalLayout_8->addWidget(lineEdit_4);
  horizontalLayout_8->addWidget(pushButton_3);
  verticalLayout_4->addLayout(horizontalLayout_8);
  horizontalLayout_10 = new QHBoxLayout();
  label_3 = new QLabel("Load JX File :     ", verticalLayoutWidget);
  lineEdit_3 = new QLineEdit(verticalLayoutWidget);
  pushButton_2 = new QPushButton("Load JX", verticalLayoutWidget);
  horizontalLayout_10->addWidget(label_3);
  horizontalLayout_10->addWidget(lineEdit_3);
  horizontalLayout_10->addWidget(pushButton_2);
  verticalLayout_4->addLayout(horizontalLayout_10);
}
