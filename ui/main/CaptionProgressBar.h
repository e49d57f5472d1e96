#pragma once

#include <QProgressBar>

namespace tabulant::ui {

// A progress bar that shows a caption exactly as given. QProgressBar's own format would read
// "%p", "%v" and "%m" inside a caption (a table named "100%values") as placeholders.
class CaptionProgressBar final : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

    void setCaption(const QString& caption) {
        caption_ = caption;
        update();
    }
    QString text() const override { return caption_; }

    // QProgressBar paints itself on the spot at each step it can show; a run sets the value as
    // it goes, and a table of fewer rows than steps would be painted after every row. The new
    // value is painted with the next round of events instead.
    void setValueLater(int value) {
        if (value == this->value()) return;
        setUpdatesEnabled(false);
        setValue(value);
        setUpdatesEnabled(true);
    }

private:
    QString caption_;
};

} // namespace tabulant::ui
