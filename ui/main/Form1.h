#pragma once

#include "ListBoxStringList.h"
#include "db/Services.h"
#include "engine/RunPorts.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Keyring.h"
#include "platform/Prompts.h"
#include "platform/RegionalText.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpen.h"
#include "shell/core/SavedPassword.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tabulant::engine {
class ConversionRun;
}
namespace tabulant::engine::verify {
struct VerifyReport;
}
namespace tabulant::shell {
class Trap;
class WindowPointer;
} // namespace tabulant::shell

namespace tabulant::ui {

class CaptionProgressBar;

// What the main window reaches outside itself. Every reference must outlive the window.
struct Form1Services {
    platform::Prompts& prompts;
    platform::SettingsStore& settings;
    platform::ConnectionFactory& connections;
    platform::EventLoop& events;
    platform::ShellOpen& shellOpen;
    const platform::RegionalText& regional;
    engine::PreviewPort& preview;
    // Where the PostgreSQL password is kept instead of the settings file; none: the file.
    platform::Keyring* keyring = nullptr;
};

// What the "Select Access Database" dialog is asked to show. Flags keep the design's value
// (read-only box checked, explorer style, long names); Qt's dialog has no use for them.
struct BrowseRequest {
    QString fileName;
    int flags = 0;
    QString title;
    QStringList filters; // the first one is selected
};

// The main window: the connection settings of both databases, the preview options and "Start
// Converting"; it carries the hidden lists and the progress bar of the conversion run, and its
// opening (Form_Load) is the program's start-up. Every field and option is saved to the settings
// store on each change. Handlers keep the names they have in the error reports.
// Thread: the user-interface thread.
class Form1 final : public QWidget, public engine::RunSettings, public engine::RunView {
public:
    // Shows the dialog and answers the chosen file, or an empty text when cancelled.
    using FileDialog = std::function<QString(QWidget* owner, const BrowseRequest& request)>;

    explicit Form1(Form1Services services);
    ~Form1() override;

    // Runs Form_Load and shows the window centred on the screen. False when the data-provider
    // check ended the program: the window is not shown and the caller ends the program.
    bool Open();

    bool Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton7_Click();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Option1_Click();
    void Option2_Click();
    void SetApplicationTitle();
    void ApplySkin();

    engine::ConversionRun& run() { return *run_; }
    shell::WindowPointer& pointer() { return *pointer_; }
    void setFileDialog(FileDialog dialog) { fileDialog_ = std::move(dialog); }
    // The start-up check of the data provider (step 152); db::CheckDataProvider unless replaced.
    using ProviderCheck = std::function<bool(const db::Services&, platform::ShellOpen&)>;
    void setProviderCheck(ProviderCheck check) { providerCheck_ = std::move(check); }
    db::Services services() const;
    // Shows the report of a verification after converting; app/ gives the report window.
    using ReportViewer = std::function<void(engine::verify::VerifyReport)>;
    void setReportViewer(ReportViewer viewer) { reportViewer_ = std::move(viewer); }

    bool PreviewEnabled() const;                      // Check1 has value 1
    bool Option1Selected() const;                     // "Show SQL Preview For Each File"
    bool Option2Selected() const;                     // "Show SQL Preview For Each Table"
    bool KeepTypes() const;                           // "Keep types, keys and relationships"
    bool VerifyAfterConverting() const;               // "Verify after converting"
    platform::StringList& List1() { return *list1_; } // tables that exist in PostgreSQL
    platform::StringList& List2() { return *list2_; } // tables of the Access file
    void SetMousePointer(int state);                  // 0 default, 11 busy, 99 hand

    // The conversion run's view of the window: the fields and options as they are at the
    // moment of each call. Preview enabled with neither option selected (only a settings file
    // edited by hand gives that) counts as the preview per file.
    std::string AccessFile() const override;
    std::string AccessPassword() const override;
    std::string PostgreSQLServer() const override;
    std::string PostgreSQLPort() const override;
    std::string PostgreSQLUser() const override;
    std::string PostgreSQLPassword() const override;
    std::string PostgreSQLDatabase() const override;
    std::string AccessCodePage() const override; // "Access 97 text": empty for the file's own
    engine::RunMode Mode() const override;
    engine::PolicyKind Policy() const override; // typed when "Keep types..." is checked
    bool LoadRowsInBulk() const override;       // "Load rows in bulk (COPY)" is checked
    platform::StringList& ExistingTables() override { return *list1_; }
    platform::StringList& SourceTables() override { return *list2_; }
    void SetBusy(bool busy) override; // the busy pointer (11) or the default one (0)
    void SetProgressValue(int percent) override;
    void SetProgressText(std::string_view text) override;
    void TableStarted(std::string_view table) override;
    void Notice(std::string_view text) override; // an information box, application title, OK

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A text box, the settings key it is saved under, its default, and the opening step that
    // reads it.
    struct TextSetting {
        int line;
        QLineEdit* box;
        const char* key;
        const char* defaultValue;
    };
    std::array<TextSetting, 7> textSettings() const;

    void createControls();
    void placeControls();
    void connectHandlers();
    void saveText(const char* key, const QLineEdit* box);
    void setCheckValue(int value);
    static void setTwoStateValue(QCheckBox* box, int value);
    void setCodePageValue(const std::string& value);
    static void setOptionValue(QRadioButton* option, bool value);
    void readSettings(shell::Trap& trap);
    void VerifyConversion();
    platform::ServerAccount account() const;
    // Puts the password where it is kept (with a keyring, at a connection and at the end rather
    // than at every key, so that no half-typed server name gets an entry of its own).
    void keepPassword();

    Form1Services s_;
    FileDialog fileDialog_;
    ProviderCheck providerCheck_;
    ReportViewer reportViewer_;
    bool verifying_ = false;
    std::vector<std::string> convertedTables_; // by the last run: those a verification reads
    shell::SavedPassword savedPassword_;
    bool endWhenRunStops_ = false; // the window was closed during a run and the user said Yes
    shell::WindowPointer* pointer_ = nullptr;

    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblPassword = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLineEdit* Text9 = nullptr;
    QLineEdit* Text10 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr; // "Load rows in bulk (COPY)", usable without the preview
    QLabel* Label10 = nullptr;
    QComboBox* Combo1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    CaptionProgressBar* ProgressBar1 = nullptr;
    QListWidget* List1Box = nullptr;
    QListWidget* List2Box = nullptr;

    std::unique_ptr<ListBoxStringList> list1_;
    std::unique_ptr<ListBoxStringList> list2_;
    std::unique_ptr<engine::ConversionRun> run_;
};

// The dialog the window uses unless a test gives it another.
QString ShowOpenFileDialog(QWidget* owner, const BrowseRequest& request);

} // namespace tabulant::ui
