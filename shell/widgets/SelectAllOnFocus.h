#pragma once

#include <QObject>

#include <initializer_list>

class QLineEdit;

namespace tabulant::shell {

// Text boxes that select their whole text whenever they receive the focus, so that typing
// replaces the content. Installed once per window; a child of the window.
class SelectAllOnFocus final : public QObject {
public:
    SelectAllOnFocus(QObject* owner, std::initializer_list<QLineEdit*> boxes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tabulant::shell
