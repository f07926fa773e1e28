// Dock title bar: a gradient strip with the title and a close button; Header: the logo band.
#ifndef TITLEBAR_H
#define TITLEBAR_H

#include <QPixmap>
#include <QSize>
#include <QString>
#include <QWidget>

class TitleBar : public QWidget {
  Q_OBJECT
 public:
  explicit TitleBar(QWidget* parent = nullptr);
  void setTitleText(const QString& t);
  const QString& titleText() const { return titleTxt; }
  QSize sizeHint() const override { return minimumSizeHint(); }
  QSize minimumSizeHint() const override;
  bool closePressed() const { return bpress; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void create_pixmap();
  void draw_close_btn();
  bool onCloseButton(int x) const;

  QPixmap centerPm;
  QPixmap rightPm;
  QString titleTxt;
  bool bpress = false;
  bool but_press = false;
};

class Header : public QWidget {
  Q_OBJECT
 public:
  explicit Header(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Whole text of a (resource) file; "" when it cannot be read.
QString stringFromResource(const QString& name);

#endif
