#pragma once

// The whole program wired as the executable wires it: the real main window, preview windows,
// conversion run, Access reader and ODBC connection. Only the message boxes (scripted), the
// clipboard and the shell open are stand-ins. Fixtures are written by our own Access writer into
// a folder of the test's own.

#include "AccessWriter.h"
#include "PreviewTestSupport.h"

#include "db/ProviderConnectionFactory.h"
#include "fakes/CountingConnectionFactory.h"
#include "fakes/ScriptedPrompts.h"
#include "pgserver/TestServer.h"
#include "platform/EventLoop.h"
#include "platform/RegionalText.h"
#include "platform/qt/IniSettingsStore.h"
#include "ui/main/Form1.h"
#include "ui/preview/Form2.h"
#include "ui/preview/PreviewWindows.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tabulant::testing {

// Lets pending Qt events run at every yield of the code under test (no throttling), then calls
// `onEvents`, from which a test acts as something happening while the program works.
class HookedEventLoop final : public platform::EventLoop {
public:
    HookedEventLoop() { setInterval(std::chrono::milliseconds(0)); }
    std::function<void()> onEvents;

protected:
    void processEvents() override;
};

// The preview windows as the run reaches them, keeping how each showing was left.
class OutcomeRecorder final : public engine::PreviewPort {
public:
    explicit OutcomeRecorder(engine::PreviewPort& windows) : windows_(windows) {}
    std::vector<engine::PreviewOutcome> outcomes;

    void ClearPreviewList() override { windows_.ClearPreviewList(); }
    void AddPreviewLine(std::string line) override { windows_.AddPreviewLine(std::move(line)); }
    void ClearDatatypeConversionList() override { windows_.ClearDatatypeConversionList(); }
    void AddDatatypeRow(std::string_view table, std::string_view field) override {
        windows_.AddDatatypeRow(table, field);
    }
    void SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) override {
        windows_.SetLastDatatypeRow(accessType, postgresType);
    }
    engine::PreviewOutcome ShowPreview(platform::Connection* executeOn) override {
        outcomes.push_back(windows_.ShowPreview(executeOn));
        return outcomes.back();
    }
    engine::PreviewOutcome ShowPreviewThrough(platform::Connection* executeOn,
                                              platform::StatementRunner& statements) override {
        outcomes.push_back(windows_.ShowPreviewThrough(executeOn, statements));
        return outcomes.back();
    }

private:
    engine::PreviewPort& windows_;
};

class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Opens the main window and fills in the server's fields, the Access file and its password.
    void open(const TestServer& server, const std::string& accessFile,
              const std::string& accessPassword = {});
    // Fills in the five PostgreSQL fields again (another account, a wrong password).
    void setServerFields(const db::FixedConnectionFields& fields);
    void directMode();
    void previewPerFile();
    void previewPerTable();
    // Presses "Start Converting" and returns when the run has ended.
    void startConverting();

    // A path inside the test's own folder.
    std::string path(const std::string& name) const;
    // Each error report as its handler and step, such as "Form1.PushButton7_Click:124", in order.
    std::vector<std::string> reportedSteps() const;

    QTemporaryDir folder;
    platform::IniSettingsStore settings;
    fakes::ScriptedPrompts prompts;
    FakeClipboard clipboard;
    FakeShellOpen shellOpen;
    HookedEventLoop events;
    db::ProviderConnectionFactory providers{&events};
    fakes::CountingConnectionFactory connections{providers}; // open ones counted
    platform::RegionalText regional;
    ui::PreviewWindows preview;
    OutcomeRecorder shown{preview};
    std::unique_ptr<ui::Form1> form;
};

// Plays the user in each preview window the run shows: the n-th showing gets the n-th action.
// A window the action leaves open is closed by its close box; a showing beyond the actions is
// closed at once and counted, so a test sees that the run showed more than it expected.
class PreviewPlayer {
public:
    using Action = std::function<void(ui::Form2&)>;
    explicit PreviewPlayer(std::vector<Action> actions);

    int shown() const { return shown_; }
    // The lines each showing held when it opened.
    const std::vector<std::vector<std::string>>& linesShown() const { return lines_; }

private:
    void poll();

    std::vector<Action> actions_;
    std::vector<std::vector<std::string>> lines_;
    QTimer timer_;
    QPointer<QWidget> handled_;
    bool acting_ = false;
    int shown_ = 0;
};

// The preview list of a window, line by line.
std::vector<std::string> PreviewLinesOf(ui::Form2& window);
// The 1-based number of the selected line, 0 when none is.
int SelectedLine(ui::Form2& window);
QString ErrorBoxText(ui::Form2& window);
// Clicks line n of the list, which opens the Edit line dialog; `edit` then replaces the line's
// text there and presses OK.
void EditLine(ui::Form2& window, int n, const std::string& text);

// An event hook that stops `server` as soon as `table` holds at least `rows` rows, and keeps the
// count it saw then in `rowsAtStop` (-1 until then). Every later statement meets a stopped server.
std::function<void()> StopServerOnceRows(TestServer& server, const std::string& table, int rows,
                                         int& rowsAtStop);

// A table name as psql needs it to keep its letter case and its double quotes.
std::string Quoted(const std::string& table);

} // namespace tabulant::testing
