#pragma once
// Ends the application once the watched window has painted for the first time.
#include <QCoreApplication>
#include <QEvent>

struct EndAtFirstPaint : QObject {
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) QCoreApplication::exit(0);
    return false;
  }
};
