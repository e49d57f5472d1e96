#include "Form1.h"

#include "CaptionProgressBar.h"
#include "SettingValues.h"
#include "WindowTexts.h"
#include "db/ODBCProvider.h"
#include "db/PostgreSQL.h"
#include "db/access/CodePageName.h"
#include "engine/ConversionRun.h"
#include "engine/CouldNotConnect.h"
#include "platform/Error.h"
#include "platform/qt/QtText.h"
#include "shell/core/ErrorReport.h"
#include "shell/core/Helpers.h"
#include "shell/core/Product.h"
#include "shell/core/Trap.h"
#include "shell/widgets/ApplicationIcon.h"
#include "shell/widgets/SecondaryWindow.h"
#include "shell/widgets/WindowColors.h"
#include "shell/widgets/WindowPointer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace tabulant::ui {

namespace {

constexpr const char* LoadLocation = "Form1.Form_Load";
constexpr int BrowseFlags = 0x280001;
constexpr std::string_view AccessFilter =
    "All Microsoft Databases (*.mdb,*.accdb)|*.*db|Microsoft Database (*.mdb)|*.mdb|"
    "Microsoft 2007 Database (*.accdb)|*.accdb|";

std::string text(const QLineEdit* box) { return box->text().toStdString(); }

// A check box's value as it is stored: 0 cleared, 1 checked, 2 grayed.
int checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

} // namespace

QString ShowOpenFileDialog(QWidget* owner, const BrowseRequest& request) {
    QString selected = request.filters.value(0);
    return QFileDialog::getOpenFileName(owner, request.title, request.fileName,
                                        request.filters.join(QStringLiteral(";;")), &selected);
}

Form1::Form1(Form1Services services)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      s_(services), fileDialog_(ShowOpenFileDialog),
      providerCheck_([](const db::Services& db, platform::ShellOpen& shell) {
          return db::CheckDataProvider(db, shell);
      }),
      savedPassword_(services.settings, services.keyring) {
    createControls();
    placeControls();
    connectHandlers();
    run_ = std::make_unique<engine::ConversionRun>(engine::RunPorts{*this, *this, s_.preview,
                                                                    s_.prompts, s_.events,
                                                                    s_.connections, s_.regional},
                                                   std::string(engine::StartConvertingLocation));
}

Form1::~Form1() = default;

db::Services Form1::services() const {
    return db::Services{s_.connections, s_.prompts, s_.events, *this};
}

bool Form1::Open() {
    if (!Form_Load()) return false;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    return true;
}

bool Form1::Form_Load() {
    shell::Trap trap(s_.prompts, LoadLocation);
    trap(100, [&] { ApplySkin(); });
    shell::LoadHandPointer(trap, *pointer_, 104, 106);
    trap(128, [&] { setWindowTitle(platform::ToQString(shell::ProductName)); });
    trap(128, [&] { setWindowIcon(shell::ApplicationIcon()); });
    trap(128, [&] { SetApplicationTitle(); });
    readSettings(trap);
    trap(150, [&] { Check1_Click(); });
    if (trap.Condition(152, [&] { return !providerCheck_(services(), s_.shellOpen); }))
        return false;
    // A settings file from before the box was there has no key for it: the box stays cleared.
    trap(154,
         [&] { setTwoStateValue(Check2, WholeNumberSetting(s_.settings.Read("Check2", "0"))); });
    trap(156,
         [&] { setTwoStateValue(Check3, WholeNumberSetting(s_.settings.Read("Check3", "0"))); });
    trap(157,
         [&] { setTwoStateValue(Check4, WholeNumberSetting(s_.settings.Read("Check4", "0"))); });
    trap(158, [&] { setCodePageValue(s_.settings.Read("AccessCodePage", "")); });
    if (s_.keyring)
        trap(160, [&] { Text7->setText(platform::ToQString(savedPassword_.Load(account()))); });
    return true;
}

void Form1::readSettings(shell::Trap& trap) {
    auto& store = s_.settings;
    trap(130, [&] { setCheckValue(WholeNumberSetting(store.Read("Check1", "1"))); });
    trap(132, [&] { setOptionValue(Option1, BooleanSetting(store.Read("Option1", "1"))); });
    trap(134, [&] { setOptionValue(Option2, BooleanSetting(store.Read("Option2", "0"))); });
    for (const TextSetting& t : textSettings())
        trap(t.line,
             [&] { t.box->setText(platform::ToQString(store.Read(t.key, t.defaultValue))); });
}

void Form1::SetApplicationTitle() {
    platform::SetApplicationTitleText(ShortApplicationTitle(shell::ProductName));
}

void Form1::ApplySkin() {
    // There is no skin engine here: a skin file only brings the system colours.
    if (shell::FileExists(shell::ProgramFolder() + "/x/o.cjs")) shell::SetWindowColors(*this);
}

void Form1::PushButton1_Click() {
    shell::Trap trap(s_.prompts, "Form1.PushButton1_Click");
    BrowseRequest dialog;
    QString chosen;
    trap(100, [&] { dialog.fileName.clear(); });
    trap(102, [&] { dialog.flags = BrowseFlags; });
    trap(104, [&] { dialog.title = QStringLiteral("Select Access Database"); });
    trap(106, [&] { dialog.filters = QtNameFilters(AccessFilter); });
    trap(108, [&] { chosen = fileDialog_(this, dialog); });
    if (trap.Condition(110, [&] { return !chosen.isEmpty(); }))
        trap(112, [&] { Text5->setText(chosen); });
}

void Form1::PushButton2_Click() {
    shell::Trap trap(s_.prompts, "Form1.PushButton2_Click");
    std::string first, second, address;
    trap(100, [&] { first = ConnectionHelpFirstPart(); });
    trap(102, [&] { second = ConnectionHelpSecondPart(); });
    trap(104, [&] { address = std::string(PgAdminDownloadPage); });
    trap(106, [&] { s_.prompts.Message(first + second + "\r\n\r\n" + address); });
}

// Test Connection: steps 102 to 108 share one error branch (110 to 116); the connection is
// released when the handler ends. A conversion run may be yielding below this handler: its busy
// pointer is what the window goes back to.
void Form1::PushButton3_Click() {
    shell::Trap trap(s_.prompts, "Form1.PushButton3_Click");
    keepPassword();
    std::unique_ptr<platform::Connection> connection;
    trap(100, [&] { connection = s_.connections.CreateConnection(); });

    const int rest = run_->Running() ? 11 : 0;
    std::string reason;
    bool failed = false;
    try {
        SetMousePointer(11);
        if (!connection)
            throw platform::Error(platform::errors::Generic, "Object variable not set");
        db::OpenPostgreSQL(*connection, *this);
        s_.prompts.Message("Connection successful.");
        SetMousePointer(rest);
    } catch (const std::exception& e) {
        failed = true;
        reason = shell::DescriptionOf(e);
    } catch (...) {
        failed = true;
    }
    if (failed) {
        s_.prompts.Message(engine::CouldNotConnectText(reason));
        SetMousePointer(rest);
    }
}

void Form1::PushButton4_Click() {
    shell::Trap trap(s_.prompts, "Form1.PushButton4_Click");
    trap(100, [&] {
        Text5->setText(platform::ToQString(shell::ProgramFolder() + "/Samples/sample.mdb"));
    });
}

void Form1::PushButton5_Click() {
    shell::Trap trap(s_.prompts, "Form1.PushButton5_Click");
    trap(100, [&] { s_.prompts.Message(GeneralHelpText()); });
}

void Form1::PushButton7_Click() {
    if (verifying_) return;
    keepPassword();
    if (!run_->Running()) convertedTables_.clear();
    const engine::RunSummary summary = run_->Run();
    if (summary.started && !summary.stopped && VerifyAfterConverting()) VerifyConversion();
    if (std::exchange(endWhenRunStops_, false)) close();
}

void Form1::Check1_Click() {
    const bool checked = Check1->checkState() == Qt::Checked;
    Option1->setEnabled(checked);
    Option2->setEnabled(checked);
    // The bulk load sends rows straight to the server: there is no preview of them.
    Check4->setEnabled(!checked);
    s_.settings.Write("Check1", std::to_string(checkValue(Check1)));
}

void Form1::Check2_Click() { s_.settings.Write("Check2", std::to_string(checkValue(Check2))); }

void Form1::Check3_Click() { s_.settings.Write("Check3", std::to_string(checkValue(Check3))); }

void Form1::Check4_Click() { s_.settings.Write("Check4", std::to_string(checkValue(Check4))); }

void Form1::Option1_Click() {
    s_.settings.Write("Option1", Option1->isChecked() ? "True" : "False");
    s_.settings.Write("Option2", Option2->isChecked() ? "True" : "False");
}

void Form1::Option2_Click() { Option1_Click(); }

void Form1::saveText(const char* key, const QLineEdit* box) {
    if (box == Text7 && s_.keyring) return; // kept by keepPassword()
    s_.settings.Write(key, text(box));
}

platform::ServerAccount Form1::account() const {
    return {text(Text1), text(Text9), text(Text3), text(Text10)};
}

void Form1::keepPassword() {
    if (s_.keyring) savedPassword_.Save(account(), text(Text7));
}

void Form1::setCheckValue(int value) {
    // A check box holds 0 (cleared), 1 (checked) or 2 (grayed).
    if (value < 0 || value > 2) throw platform::Error(380, "Invalid property value");
    Check1->setTristate(value == 2);
    Check1->setCheckState(value == 1   ? Qt::Checked
                          : value == 2 ? Qt::PartiallyChecked
                                       : Qt::Unchecked);
}

void Form1::setTwoStateValue(QCheckBox* box, int value) {
    // Cleared or checked; these boxes have no grayed state.
    if (value < 0 || value > 1) throw platform::Error(380, "Invalid property value");
    box->setChecked(value == 1);
}

void Form1::setCodePageValue(const std::string& value) {
    // A file edited by hand may name the code page ("GBK") rather than give its number.
    const std::optional<int> named = db::CodePageFromName(value);
    const int index = Combo1->findData(value.empty() || !named ? platform::ToQString(value)
                                                               : QString::number(*named));
    if (index < 0) throw platform::Error(380, "Invalid property value");
    Combo1->setCurrentIndex(index);
}

void Form1::setOptionValue(QRadioButton* option, bool value) {
    if (value || !option->isChecked()) {
        option->setChecked(value);
        return;
    }
    // Qt keeps one button of a group checked; the stored state may clear both.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

std::string Form1::AccessFile() const { return text(Text5); }
std::string Form1::AccessPassword() const { return text(Text6); }
std::string Form1::PostgreSQLServer() const { return text(Text1); }
std::string Form1::PostgreSQLPort() const { return text(Text9); }
std::string Form1::PostgreSQLUser() const { return text(Text3); }
std::string Form1::PostgreSQLPassword() const { return text(Text7); }
std::string Form1::PostgreSQLDatabase() const { return text(Text10); }
std::string Form1::AccessCodePage() const { return Combo1->currentData().toString().toStdString(); }
bool Form1::PreviewEnabled() const { return Check1->checkState() == Qt::Checked; }
bool Form1::Option1Selected() const { return Option1->isChecked(); }
bool Form1::Option2Selected() const { return Option2->isChecked(); }
bool Form1::KeepTypes() const { return Check2->isChecked(); }
bool Form1::VerifyAfterConverting() const { return Check3->isChecked(); }

engine::RunMode Form1::Mode() const {
    if (!PreviewEnabled()) return engine::RunMode::Direct;
    return Option2Selected() ? engine::RunMode::PreviewPerTable : engine::RunMode::PreviewPerFile;
}

bool Form1::LoadRowsInBulk() const { return Check4->isChecked(); }

engine::PolicyKind Form1::Policy() const {
    return KeepTypes() ? engine::PolicyKind::Typed : engine::PolicyKind::Specified;
}

void Form1::SetMousePointer(int state) { pointer_->set(state); }

void Form1::SetBusy(bool busy) { SetMousePointer(busy ? 11 : 0); }

void Form1::SetProgressValue(int percent) {
    ProgressBar1->setValueLater(std::clamp(percent, 0, 100));
}

void Form1::SetProgressText(std::string_view t) {
    ProgressBar1->setCaption(platform::ToQString(t));
}

void Form1::Notice(std::string_view text) { s_.prompts.Message(text); }

// Form_Unload: closing the main window ends the program with every window. A conversion run
// that is yielding to the event loop lies below this call on the stack and cannot be unwound from
// here: the user is asked first, and Yes asks the run to stop after the statement under way; the
// window closes (and the program ends) once the run has closed its connections and returned to
// PushButton7_Click. Every setting is already saved.
void Form1::closeEvent(QCloseEvent* event) {
    if (run_->Running()) {
        event->ignore();
        if (endWhenRunStops_) return;
        if (s_.prompts.Question("Would you like to stop converting and quit?") !=
            platform::Prompts::Answer::Yes)
            return;
        endWhenRunStops_ = true;
        run_->RequestStop();
        return;
    }
    keepPassword();
    event->accept();
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace tabulant::ui
