#include "debuggerpanel.h"

DebuggerPanel::DebuggerPanel(QWidget* parent) : QDialog(parent) {
  if (objectName().isEmpty()) setObjectName("DebuggerPanel");
  resize(757, 120);
  setWindowTitle("Dialog");
  horizontalLayout = new QHBoxLayout(this);
  groupBox = new QGroupBox("State :", this);
  gridLayout = new QGridLayout(groupBox);
  zero = new QRadioButton("Zero", groupBox);
  one = new QRadioButton("One", groupBox);
  top = new QRadioButton("Top", groupBox);
  bottom = new QRadioButton("Bottom", groupBox);
  // Exclusivity is kept by the main window, so that "no state selected" stays reachable.
  for (QRadioButton* b : {zero, one, top, bottom}) b->setAutoExclusive(false);
  gridLayout->addWidget(zero, 0, 0);
  gridLayout->addWidget(one, 0, 1);
  gridLayout->addWidget(top, 1, 0);
  gridLayout->addWidget(bottom, 1, 1);
  horizontalLayout->addWidget(groupBox);
  groupBox_2 = new QGroupBox("Set or Reset", this);
  groupBox_2->setEnabled(true);
  groupBox_2->setMinimumWidth(116);
  layoutWidget = new QWidget(groupBox_2);
  layoutWidget->setGeometry(10, 30, 96, 79);
  verticalLayout_4 = new QVBoxLayout(layoutWidget);
  verticalLayout_4->setContentsMargins(0, 0, 0, 0);
  set = new QCheckBox("Set", layoutWidget);
  reset = new QCheckBox("Reset", layoutWidget);
  verticalLayout_4->addWidget(set);
  verticalLayout_4->addWidget(reset);
  horizontalLayout->addWidget(groupBox_2);
  plainTextEdit = new QPlainTextEdit(this);
  plainTextEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  horizontalLayout->addWidget(plainTextEdit);
  verticalLayout = new QVBoxLayout();
  horizontalLayout->addLayout(verticalLayout);
}
