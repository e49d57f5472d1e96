#include "MessageBoxPrompts.h"

#include "platform/qt/QtText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace tabulant::platform {

namespace {

QString captionOr(std::string_view title) {
    return ToQString(title.empty() ? std::string_view(ApplicationTitle()) : title);
}

// Builds the box; the caller adds the buttons and runs it.
QMessageBox* makeBox(QMessageBox::Icon icon, const QString& caption, std::string_view text) {
    auto* box = new QMessageBox(QApplication::activeWindow());
    box->setIcon(icon);
    box->setWindowTitle(caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(MessageBoxPrompts::DisplayText(text));
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

} // namespace

QString MessageBoxPrompts::DisplayText(std::string_view text) {
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void MessageBoxPrompts::Message(std::string_view text) {
    std::unique_ptr<QMessageBox> box(makeBox(QMessageBox::NoIcon, captionOr({}), text));
    box->setStandardButtons(QMessageBox::Ok);
    box->exec();
}

Prompts::Answer MessageBoxPrompts::Question(std::string_view text, std::string_view title) {
    std::unique_ptr<QMessageBox> box(makeBox(QMessageBox::NoIcon, captionOr(title), text));
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::Yes);
    // The title-bar close box of a Yes/No question is disabled on the desktop this design comes
    // from; Escape and the close box here count as No, the answer that changes nothing.
    box->setEscapeButton(QMessageBox::No);
    return box->exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void MessageBoxPrompts::ErrorReport(std::string_view text) {
    std::unique_ptr<QMessageBox> box(
        makeBox(QMessageBox::Warning, QStringLiteral("Application Error"), text));
    box->setStandardButtons(QMessageBox::Ok);
    box->exec();
}

} // namespace tabulant::platform
