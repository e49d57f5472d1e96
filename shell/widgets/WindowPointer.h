#pragma once

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <initializer_list>
#include <optional>

namespace tabulant::shell {

// The pointer state of one window: 0 default, 11 busy, 99 the window's custom (hand) pointer.
// Hovering a registered push button asks for the hand, hovering the window's background or a
// registered control asks for the default; neither replaces the busy pointer, which only the
// operation that set it takes away again. Without a custom image, state 99 shows the default
// pointer. Lives as long as the window it is given (it is that window's child).
class WindowPointer final : public QObject {
public:
    static constexpr int Default = 0;
    static constexpr int Busy = 11;
    static constexpr int Custom = 99;

    explicit WindowPointer(QWidget& window);

    int state() const { return state_; }
    void set(int state);

    void setCustomCursor(const QCursor& cursor);
    bool hasCustomCursor() const { return custom_.has_value(); }

    // Controls over which the pointer becomes the hand.
    void handOver(std::initializer_list<QWidget*> buttons);
    // Controls (and the window itself) over which the pointer returns to the default.
    void defaultOver(std::initializer_list<QWidget*> areas);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hover(int wanted);
    void apply();

    QPointer<QWidget> window_;
    int state_ = Default;
    std::optional<QCursor> custom_;
};

} // namespace tabulant::shell
