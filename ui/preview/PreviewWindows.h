#pragma once

#include "PreviewContext.h"
#include "engine/RunPorts.h"

#include <QPointer>

#include <memory>
#include <string>
#include <string_view>

class QStandardItemModel;
class QWidget;

namespace tabulant::ui {

class Form2;

// The SQL preview window, its dialogs and the datatype list, as the conversion run drives them.
// The object lives as long as the program; the preview window itself is created (and set up) when
// the run first touches its list, and destroyed with its lines when it closes, while the last
// failed line number (ErrorLine) and the datatype rows stay here.
// The references given to the constructor must outlive this object. Thread: the user-interface
// thread.
class PreviewWindows final : public engine::PreviewPort {
public:
    PreviewWindows(platform::Prompts& prompts, platform::Clipboard& clipboard,
                   platform::ShellOpen& shellOpen, platform::EventLoop& eventLoop);
    ~PreviewWindows() override;
    PreviewWindows(const PreviewWindows&) = delete;
    PreviewWindows& operator=(const PreviewWindows&) = delete;

    // The main window: owner of the preview window.
    void setOwner(QWidget* form1);

    void ClearPreviewList() override;
    void AddPreviewLine(std::string line) override;
    void ClearDatatypeConversionList() override;
    void AddDatatypeRow(std::string_view table, std::string_view field) override;
    void SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) override;
    // Runs the lines on `executeOn`, or fails each as on a closed connection when it is null.
    engine::PreviewOutcome ShowPreview(platform::Connection* executeOn) override;
    engine::PreviewOutcome ShowPreviewThrough(platform::Connection* executeOn,
                                              platform::StatementRunner& statements) override;

    int ErrorLine() const { return context_.ErrorLine; }
    // The preview window while it exists (loaded), else null.
    Form2* form2() const;
    QStandardItemModel& datatypeRows() { return *datatypeRows_; }

private:
    Form2& loadedForm2();
    engine::PreviewOutcome show(platform::StatementRunner& statements);

    std::unique_ptr<QStandardItemModel> datatypeRows_;
    PreviewContext context_;
    QPointer<QWidget> owner_;
    QPointer<Form2> form2_;
};

} // namespace tabulant::ui
