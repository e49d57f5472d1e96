#include "Form3.h"

#include "CaselessReplace.h"
#include "PreviewListModel.h"
#include "shell/widgets/SecondaryWindow.h"
#include "shell/widgets/Twips.h"
#include "shell/widgets/WindowPointer.h"

#include "shell/core/Trap.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tabulant::ui {

Form3::Form3(PreviewContext& context, PreviewListModel& previewList, QWidget* owner)
    : QDialog(owner), context_(context), previewList_(previewList) {
    setObjectName("Form3");
    auto* label1 = new QLabel("Find what:", this);
    auto* label2 = new QLabel("Replace with:", this);
    text1_ = new QLineEdit(this);
    text1_->setObjectName("Text1");
    text2_ = new QLineEdit(this);
    text2_->setObjectName("Text2");
    label1->setBuddy(text1_);
    label2->setBuddy(text2_);
    text1_->setMinimumWidth(shell::TwipsToPixels(6360));
    text2_->setMinimumWidth(shell::TwipsToPixels(6360));
    auto* replace = new QPushButton("Replace", this);
    replace->setObjectName("PushButton2");
    replace->setAutoDefault(false);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("PushButton1");
    cancel->setAutoDefault(false);
    connect(replace, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(cancel, &QPushButton::clicked, this, &Form3::PushButton1_Click);

    replace->setMinimumWidth(shell::TwipsToPixels(3840));
    cancel->setMinimumWidth(shell::TwipsToPixels(3840));
    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(text1_, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(text2_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(replace);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    setTabOrder(text1_, text2_);
    setTabOrder(text2_, replace);
    setTabOrder(replace, cancel);
    text1_->setFocus();
    pointer_ = new shell::WindowPointer(*this);
    pointer_->handOver({cancel, replace});
    pointer_->defaultOver({this});
    Form_Load();
}

void Form3::Form_Load() {
    shell::Trap trap(context_.prompts, "Form3.Form_Load");
    shell::SetUpSecondaryWindow(trap, *this, *pointer_, "Find and Replace");
}

void Form3::PushButton1_Click() {
    shell::Trap trap(context_.prompts, "Form3.PushButton1_Click");
    trap(100, [&] { close(); });
}

void Form3::reject() {
    if (!replacing_) QDialog::reject();
}

void Form3::closeEvent(QCloseEvent* event) {
    if (replacing_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

// The rewrite lets events run between lines: a second Replace or a Cancel arriving then would
// rewrite lines twice or leave the preview usable under a running rewrite.
void Form3::setReplacing(bool replacing) {
    replacing_ = replacing;
    for (const char* name : {"PushButton1", "PushButton2"})
        if (auto* button = findChild<QWidget*>(name)) button->setEnabled(!replacing);
}

// An empty find text is taken as found nowhere: every line stays as it is and "Done." follows.
void Form3::PushButton2_Click() {
    if (replacing_) return;
    shell::Trap trap(context_.prompts, "Form3.PushButton2_Click");
    PreviewLines& lines = previewList_.lines();
    if (trap.Condition(100, [&] { return lines.empty(); })) {
        trap(102, [&] { context_.prompts.Message("No SQL to run."); });
        return;
    }
    trap(104, [&] { pointer_->set(shell::WindowPointer::Busy); });
    const CaselessReplace replace(text1_->text().toStdString(), text2_->text().toStdString());
    std::size_t n = 0;
    trap(106, [&] { n = lines.size(); });
    setReplacing(true);
    trap(108, [&] {
        lines.rewrite(
            [&](std::size_t index, std::string& out) {
                if (index >= n) return false;
                trap(110, [&] { context_.eventLoop.yield(); });
                bool changed = false;
                trap(112, [&] { changed = replace.apply(lines.line(index), out); });
                return changed;
            },
            [&](std::size_t first, std::size_t last) { previewList_.linesChanged(first, last); });
    });
    setReplacing(false);
    trap(114, [&] { context_.prompts.Message("Done."); });
    trap(116, [&] { close(); });
}

} // namespace tabulant::ui
