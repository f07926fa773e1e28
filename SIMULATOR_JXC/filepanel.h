// Load panel: the "Load JXC" and "Load JX" rows.
#ifndef FILEPANEL_H
#define FILEPANEL_H

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

class FilePanel : public QDialog {
  Q_OBJECT
 public:
  explicit FilePanel(QWidget* parent = nullptr);

  QWidget* verticalLayoutWidget;
  QVBoxLayout* verticalLayout_4;
  QHBoxLayout* horizontalLayout_8;
  QLabel* label_4;
  QLineEdit* lineEdit_4;
  QPushButton* pushButton_3;  // "Load JXC"
  QHBoxLayout* horizontalLayout_10;
  QLabel* label_3;
  QLineEdit* lineEdit_3;
  QPushButton* pushButton_2;  // "Load JX"
  QString fichier;

 signals:
  void NewFile(QString);
};

#endif
