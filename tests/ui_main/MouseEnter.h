#pragma once

#include <QCoreApplication>
#include <QEnterEvent>
#include <QWidget>

namespace tabulant::testing {

// What the window system sends when the mouse moves onto a widget.
inline void MouseEnter(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(w, &e);
}

} // namespace tabulant::testing
