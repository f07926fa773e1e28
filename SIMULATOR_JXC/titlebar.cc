#include "titlebar.h"

#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>

TitleBar::TitleBar(QWidget* parent) : QWidget(parent) {
  create_pixmap();
  draw_close_btn();
}

void TitleBar::setTitleText(const QString& t) {
  titleTxt = t;
  update();
}

void TitleBar::create_pixmap() {
  centerPm = QPixmap(10, 20);
  centerPm.fill(Qt::transparent);
  QPainter p(&centerPm);
  QLinearGradient g(0, 20, 0, 0);
  g.setColorAt(0, QColor(10, 1, 1));
  g.setColorAt(0.5, QColor(87, 87, 89));
  g.setColorAt(1, QColor(142, 143, 146));
  p.fillRect(centerPm.rect(), g);
}

void TitleBar::draw_close_btn() {
  rightPm = QPixmap(30, 13);
  QPainter p(&rightPm);
  QLinearGradient g(0, 13, 0, 0);
  g.setColorAt(0, QColor(131, 3, 3));
  g.setColorAt(1, bpress ? QColor(237, 26, 86) : QColor(243, 115, 115));
  p.fillRect(rightPm.rect(), g);
  QColor cross;
  if (bpress) {
    p.setPen(Qt::black);
    p.drawLine(0, 0, 30, 0);
    p.drawLine(0, 0, 0, 12);
    p.drawLine(0, 12, 30, 12);
    cross = QColor(83, 31, 31);
  } else {
    p.setPen(QColor(66, 67, 70));
    p.drawLine(0, 0, 30, 0);
    p.setPen(QColor(71, 71, 74));
    p.drawLine(0, 0, 0, 12);
    p.setPen(QColor(88, 88, 90));
    p.drawLine(0, 12, 30, 12);
    cross = Qt::white;
  }
  p.setPen(cross);
  p.drawLine(19, 3, 14, 8);
  p.drawLine(14, 3, 19, 8);
}

QSize TitleBar::minimumSizeHint() const {
  QSize s(rightPm.width(), centerPm.height());
  // Asked before the dock adopts the bar: the parent may be absent or not a dock.
  auto* dock = qobject_cast<QDockWidget*>(parentWidget());
  if (dock && (dock->features() & QDockWidget::DockWidgetVerticalTitleBar)) s.transpose();
  return s;
}

bool TitleBar::onCloseButton(int x) const { return (width() - 8 - x) / 20 == 0; }

void TitleBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(QRect(0, 0, width(), centerPm.height()), QBrush(centerPm));
  p.setPen(Qt::white);
  p.drawText(4, height() - 6, titleTxt);
  draw_close_btn();
  p.drawPixmap(width() - 1 - rightPm.width(), 2, rightPm);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
  but_press = true;
  if (onCloseButton(event->position().toPoint().x())) {
    bpress = true;
    event->accept();
  } else {
    event->ignore();
  }
  update();
}

void TitleBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const bool inside = (height() - 10 - pos.y()) / 10 == 0 && (width() - 16 - pos.x()) / 15 == 0;
  if (but_press && !inside) {
    bpress = false;
    event->ignore();
  } else if (but_press && inside) {
    bpress = true;
    event->accept();
  } else {
    event->ignore();
  }
  update();
}

void TitleBar::mouseReleaseEvent(QMouseEvent* event) {
  if (!bpress) {
    event->ignore();
    return;
  }
  but_press = false;
  if (onCloseButton(event->position().toPoint().x())) {
    event->accept();
    if (auto* dock = qobject_cast<QDockWidget*>(parentWidget())) dock->close();
  } else {
    event->ignore();
  }
  bpress = false;
  update();
}

Header::Header(QWidget* parent) : QWidget(parent) { setFixedHeight(80); }

void Header::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QApplication::palette().window());
  QLinearGradient g(0, 0, 0, 100);
  g.setColorAt(0, QColor(15, 15, 15));
  g.setColorAt(1, QColor(111, 113, 111));
  p.fillRect(QRect(0, 0, width(), 200), g);
  p.drawPixmap(500, 10, QPixmap(":/img/Logo.png"));
}

QString stringFromResource(const QString& name) {
  QFile f(name);
  if (!f.open(QFile::ReadOnly | QFile::Text)) return QString();
  QTextStream ts(&f);
  return ts.readAll();
}
