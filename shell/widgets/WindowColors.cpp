#include "WindowColors.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

namespace tabulant::shell {

namespace {

void paint(QWidget& w, const QColor& colour) {
    // Buttons fill their background with the Button role; option buttons and check boxes are to
    // take the window's colour without changing how their indicators are drawn.
    w.setBackgroundRole(QPalette::Window);
    QPalette p = w.palette();
    p.setColor(QPalette::Window, colour);
    w.setPalette(p);
    w.setAutoFillBackground(true);
}

bool takesWindowColour(const QWidget* w) {
    return qobject_cast<const QRadioButton*>(w) || qobject_cast<const QCheckBox*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QLabel*>(w);
}

} // namespace

void SetBackgroundColors(QWidget& window, const QColor& colour) {
    paint(window, colour);
    for (QWidget* child : window.findChildren<QWidget*>())
        if (takesWindowColour(child)) paint(*child, colour);
}

void SetWindowColors(QWidget& window) {
    // The button face of the application palette, which follows the desktop's colour scheme.
    SetBackgroundColors(window, QApplication::palette().color(QPalette::Active, QPalette::Button));
}

} // namespace tabulant::shell
