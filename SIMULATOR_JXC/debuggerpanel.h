// Debugger panel: the four state buttons, the Set and Reset boxes and a text area.
#ifndef DEBUGGERPANEL_H
#define DEBUGGERPANEL_H

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>

class DebuggerPanel : public QDialog {
  Q_OBJECT
 public:
  explicit DebuggerPanel(QWidget* parent = nullptr);

  QHBoxLayout* horizontalLayout;
  QGroupBox* groupBox;
  QGridLayout* gridLayout;
  QRadioButton* zero;
  QRadioButton* one;
  QRadioButton* top;
  QRadioButton* bottom;
  QGroupBox* groupBox_2;
  QWidget* layoutWidget;
  QVBoxLayout* verticalLayout_4;
  QCheckBox* set;
  QCheckBox* reset;
  QPlainTextEdit* plainTextEdit;
  QVBoxLayout* verticalLayout;
};

#endif
