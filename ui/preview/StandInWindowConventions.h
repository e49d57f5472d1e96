#pragma once

// Temporary: the shared window conventions (set-up steps, pointer states, twips) until the
// widget shell library provides them.

#include "shell/core/Helpers.h"
#include "shell/core/Product.h"
#include "shell/core/Trap.h"

#include <QApplication>
#include <QCursor>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

namespace tabulant::ui::standin {

inline int TwipsToPixels(int twips, const QWidget* w) {
    const double dpi = w ? w->logicalDpiX() : 96.0;
    return static_cast<int>(twips * dpi / 1440.0 + 0.5);
}

// Pointer states 0 default, 11 busy, 99 hand.
inline void SetMousePointer(QWidget& w, int state) {
    w.setProperty("MousePointer", state);
    if (state == 11)
        w.setCursor(Qt::WaitCursor);
    else
        w.unsetCursor();
}

inline int MousePointer(const QWidget& w) { return w.property("MousePointer").toInt(); }

// Colours, icon, title and hand pointer, as numbered steps from `firstLine` on.
inline void SetUpSecondaryWindow(shell::Trap& trap, int firstLine, QWidget& w, std::string_view role) {
    trap(firstLine, [&] {
        QPalette p = w.palette();
        p.setColor(QPalette::Window, p.color(QPalette::Button));
        w.setPalette(p);
    });
    trap(firstLine + 2, [&] { w.setWindowIcon(QApplication::windowIcon()); });
    trap(firstLine + 4, [&] {
        w.setWindowTitle(QString::fromUtf8(std::string(role) + " - " + std::string(shell::ProductName)));
    });
    trap(firstLine + 6, [&] {
        const std::string path = shell::ProgramFolder() + "/HAND-M.CUR";
        if (shell::FileExists(path)) {
            QPixmap image(QString::fromStdString(path));
            if (image.isNull()) throw std::runtime_error("Invalid picture");
        }
    });
}

} // namespace tabulant::ui::standin
