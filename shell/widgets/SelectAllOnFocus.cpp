#include "SelectAllOnFocus.h"

#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace tabulant::shell {

SelectAllOnFocus::SelectAllOnFocus(QObject* owner, std::initializer_list<QLineEdit*> boxes)
    : QObject(owner) {
    for (QLineEdit* box : boxes) box->installEventFilter(this);
}

bool SelectAllOnFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            box->selectAll();
            // A click that gave the focus places the caret after this event; select again once
            // the click has been handled.
            QTimer::singleShot(0, box, [box] {
                if (box->hasFocus()) box->selectAll();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tabulant::shell
