#include "Form4.h"
#include "platform/qt/QtText.h"

#include "PreviewListModel.h"
#include "shell/widgets/SecondaryWindow.h"
#include "shell/widgets/WindowPointer.h"

#include "shell/core/Trap.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <stdexcept>

namespace tabulant::ui {

Form4::Form4(PreviewContext& context, PreviewListModel& previewList, QWidget* owner)
    : QDialog(owner), context_(context), previewList_(previewList) {
    setObjectName("Form4");
    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName("Text1");
    text1_->installEventFilter(this);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("PushButton2");
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("PushButton1");
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    connect(cancel, &QPushButton::clicked, this, &Form4::PushButton1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text1_);
    layout->addLayout(buttons);
    resize(640, 240);
    pointer_ = new shell::WindowPointer(*this);
    pointer_->handOver({cancel, ok});
    pointer_->defaultOver({this});
    Form_Load();
}

void Form4::Form_Load() {
    shell::Trap trap(context_.prompts, "Form4.Form_Load");
    shell::SetUpSecondaryWindow(trap, *this, *pointer_, "Edit Line");
}

void Form4::setText(std::string_view text) { text1_->setPlainText(platform::ToQString(text)); }

void Form4::PushButton1_Click() {
    shell::Trap trap(context_.prompts, "Form4.PushButton1_Click");
    trap(100, [&] { close(); });
}

void Form4::PushButton2_Click() {
    shell::Trap trap(context_.prompts, "Form4.PushButton2_Click");
    trap(100, [&] {
        const int line = context_.ListLine;
        if (line < 1 || static_cast<std::size_t>(line) > previewList_.lines().size())
            throw std::out_of_range("Index out of bounds");
        previewList_.setLineText(static_cast<std::size_t>(line - 1),
                                 text1_->toPlainText().toStdString());
    });
    trap(102, [&] { close(); });
}

bool Form4::eventFilter(QObject* watched, QEvent* event) {
    // Typing replaces the whole line, as in the other text boxes that select all on focus.
    if (watched == text1_ && event->type() == QEvent::FocusIn) {
        QTextCursor cursor = text1_->textCursor();
        cursor.setPosition(0);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        text1_->setTextCursor(cursor);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tabulant::ui
