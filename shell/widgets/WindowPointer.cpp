#include "WindowPointer.h"

#include <QMouseEvent>

namespace tabulant::shell {

namespace {
// Marks which request a watched widget makes when the mouse moves over it.
constexpr const char* HoverProperty = "tabulantHoverPointer";
} // namespace

WindowPointer::WindowPointer(QWidget& window) : QObject(&window), window_(&window) {}

void WindowPointer::set(int state) {
    state_ = state;
    apply();
}

void WindowPointer::setCustomCursor(const QCursor& cursor) {
    custom_ = cursor;
    apply();
}

void WindowPointer::handOver(std::initializer_list<QWidget*> buttons) {
    for (QWidget* w : buttons) {
        w->setProperty(HoverProperty, Custom);
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

void WindowPointer::defaultOver(std::initializer_list<QWidget*> areas) {
    for (QWidget* w : areas) {
        w->setProperty(HoverProperty, Default);
        // Moving from a child back onto its parent sends the parent no Enter, only moves.
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool WindowPointer::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::Enter || type == QEvent::MouseMove) {
        // A move that a child ignored is passed on to its parent; it is over the child, not over
        // the parent's background.
        auto* widget = static_cast<QWidget*>(watched);
        const bool overChild =
            type == QEvent::MouseMove &&
            widget->childAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        const QVariant wanted = watched->property(HoverProperty);
        if (wanted.isValid() && !overChild) hover(wanted.toInt());
    }
    return QObject::eventFilter(watched, event);
}

void WindowPointer::hover(int wanted) {
    if (state_ == Busy || state_ == wanted) return;
    set(wanted);
}

void WindowPointer::apply() {
    if (!window_) return;
    if (state_ == Busy)
        window_->setCursor(Qt::WaitCursor);
    else if (state_ == Custom && custom_)
        window_->setCursor(*custom_);
    else
        window_->unsetCursor();
}

} // namespace tabulant::shell
