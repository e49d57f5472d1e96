#include "PreviewWindows.h"

#include "Form2.h"
#include "PreviewListModel.h"
#include "platform/qt/QtText.h"

#include <QStandardItemModel>

#include <stdexcept>

namespace tabulant::ui {

PreviewWindows::PreviewWindows(platform::Prompts& prompts, platform::Clipboard& clipboard,
                               platform::ShellOpen& shellOpen, platform::EventLoop& eventLoop)
    : datatypeRows_(std::make_unique<QStandardItemModel>(0, 4)), context_{prompts, clipboard,
                                                                          shellOpen, eventLoop} {
    context_.datatypeRows = datatypeRows_.get();
}

PreviewWindows::~PreviewWindows() { delete form2_.data(); }

void PreviewWindows::setOwner(QWidget* form1) { owner_ = form1; }

Form2* PreviewWindows::form2() const { return form2_.data(); }

Form2& PreviewWindows::loadedForm2() {
    if (!form2_) form2_ = new Form2(context_, owner_.data());
    return *form2_;
}

void PreviewWindows::ClearPreviewList() { loadedForm2().PreviewList().clear(); }

void PreviewWindows::AddPreviewLine(std::string line) { loadedForm2().PreviewList().append(line); }

void PreviewWindows::ClearDatatypeConversionList() {
    datatypeRows_->removeRows(0, datatypeRows_->rowCount());
}

void PreviewWindows::AddDatatypeRow(std::string_view table, std::string_view field) {
    QList<QStandardItem*> row;
    row << new QStandardItem(platform::ToQString(table))
        << new QStandardItem(platform::ToQString(field)) << new QStandardItem()
        << new QStandardItem();
    datatypeRows_->appendRow(row);
}

void PreviewWindows::SetLastDatatypeRow(std::string_view accessType,
                                        std::string_view postgresType) {
    const int last = datatypeRows_->rowCount() - 1;
    if (last < 0) throw std::out_of_range("Index out of bounds");
    datatypeRows_->setItem(last, 2, new QStandardItem(platform::ToQString(accessType)));
    datatypeRows_->setItem(last, 3, new QStandardItem(platform::ToQString(postgresType)));
}

engine::PreviewOutcome PreviewWindows::ShowPreview(platform::Connection* executeOn) {
    platform::ConnectionStatements statements(executeOn);
    return show(statements);
}

engine::PreviewOutcome PreviewWindows::ShowPreviewThrough(platform::Connection*,
                                                          platform::StatementRunner& statements) {
    return show(statements);
}

engine::PreviewOutcome PreviewWindows::show(platform::StatementRunner& statements) {
    Form2& window = loadedForm2();
    if (owner_ && window.parentWidget() != owner_)
        window.setParent(owner_.data(), window.windowFlags());
    window.PreviewList().publish();
    context_.statements = &statements;
    context_.outcome = engine::PreviewOutcome::Ended;
    window.exec();
    context_.statements = nullptr;
    // Closing the window discards its lines, error text and progress; ErrorLine stays.
    delete form2_.data();
    return context_.outcome;
}

} // namespace tabulant::ui
