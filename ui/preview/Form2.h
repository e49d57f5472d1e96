#pragma once

#include "PreviewContext.h"

#include <QDialog>

#include <array>
#include <cstddef>
#include <string>

class QGroupBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tabulant::shell {
class WindowPointer;
}

namespace tabulant::ui {

class PreviewListModel;

// The SQL preview window: the statements of the run, one per line, and the commands that edit,
// execute, copy or skip them. Created when the run first touches its list and destroyed when it
// closes (its lines, error text and progress go with it).
// While "Execute SQL" runs it lets events through between lines; meanwhile the nine buttons are
// disabled, every command handler and a click on the list return at once, and the close box and
// Escape are ignored, so nothing can change or destroy the list under the loop.
// Thread: the user-interface thread.
class Form2 final : public QDialog {
    Q_OBJECT
public:
    Form2(PreviewContext& context, QWidget* owner);
    ~Form2() override;

    PreviewListModel& PreviewList() { return *model_; }
    QTableView& ListView1() { return *list_; }
    bool executing() const { return executing_; }
    shell::WindowPointer& pointer() { return *pointer_; }

    void Form_Load();
    void PushButton1_Click(); // Execute SQL
    void PushButton2_Click(); // Copy SQL To Clipboard
    void PushButton3_Click(); // Find and Replace
    void PushButton4_Click(); // Copy Error Message To Clipboard
    void PushButton5_Click(); // < Back
    void PushButton6_Click(); // Jump To Error Line
    void PushButton7_Click(); // View Datatype Conversion
    void PushButton8_Click(); // Email Error Message
    void PushButton9_Click(); // Skip Table / Do Not Execute SQL
    void ListView1_Click();

    // Selects 1-based line n and scrolls it into view; throws when there is no such line.
    void selectLine(int n);
    void revealLine(int n);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void setProgress(int value, const QString& text);
    void setExecuting(bool on);
    void stopAt(int n, const std::string& description);
    std::string errorText() const;
    void fitColumn();

    PreviewContext& context_;
    PreviewListModel* model_;
    QTableView* list_;
    QGroupBox* frame2_;
    QPlainTextEdit* text1_;
    QProgressBar* progress_;
    std::array<QPushButton*, 9> buttons_{};
    shell::WindowPointer* pointer_;
    bool executing_ = false;
    bool ignoreNextClick_ = false;
    // The longest line last measured (index, bytes) and its width, so that a line marked as run
    // does not measure it again.
    std::size_t measuredLine_ = 0;
    std::size_t measuredBytes_ = 0;
    int measuredWidth_ = 0;
};

} // namespace tabulant::ui
