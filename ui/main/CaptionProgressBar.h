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

private:
    QString caption_;
};

} // namespace tabulant::ui
