// The layout the four side panels share.
#ifndef PANELLAYOUT_H
#define PANELLAYOUT_H

#include <QAbstractItemView>
#include <QDialog>
#include <QVBoxLayout>

// view fills panel within a margin as the panel grows and shrinks, so that the view and its
// scroll bars stay inside the panel; its vertical bar is always shown and its cells are not
// edited in place.
inline void fillPanel(QDialog* panel, QAbstractItemView* view) {
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(view);
  view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

#endif
