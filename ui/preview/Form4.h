#pragma once

#include "PreviewContext.h"

#include <QDialog>

#include <string_view>

class QPlainTextEdit;

namespace tabulant::shell {
class WindowPointer;
}

namespace tabulant::ui {

class PreviewListModel;

// Edits one line of the preview list: the line numbered ListLine (kept in the context) gets the
// whole text of the edit box on OK. Shown modally over the preview window.
class Form4 final : public QDialog {
    Q_OBJECT
public:
    Form4(PreviewContext& context, PreviewListModel& previewList, QWidget* owner);

    void setText(std::string_view text);

    void Form_Load();
    void PushButton1_Click(); // Cancel
    void PushButton2_Click(); // OK

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PreviewContext& context_;
    PreviewListModel& previewList_;
    QPlainTextEdit* text1_;
    shell::WindowPointer* pointer_;
};

} // namespace tabulant::ui
