#pragma once

#include "PreviewContext.h"

#include <QDialog>

class QLineEdit;

namespace tabulant::shell {
class WindowPointer;
}

namespace tabulant::ui {

class PreviewListModel;

// Find and replace over every line of the preview list: at most one replacement per line and
// press, then "Done." and the dialog closes. Shown modally over the preview window.
class Form3 final : public QDialog {
    Q_OBJECT
public:
    Form3(PreviewContext& context, PreviewListModel& previewList, QWidget* owner);

    void Form_Load();
    void PushButton1_Click(); // Cancel
    void PushButton2_Click(); // Replace

protected:
    // While the lines are being rewritten the dialog stays: Escape and the close box wait.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setReplacing(bool replacing);

    bool replacing_ = false;
    PreviewContext& context_;
    PreviewListModel& previewList_;
    QLineEdit* text1_;
    QLineEdit* text2_;
    shell::WindowPointer* pointer_;
};

} // namespace tabulant::ui
