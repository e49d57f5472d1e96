#pragma once

#include "CreateTableBuilder.h"
#include "RowStatementBuilder.h"
#include "RunDatabase.h"
#include "RunPorts.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Prompts.h"
#include "platform/Recordset.h"
#include "platform/RegionalText.h"
#include "shell/core/Trap.h"

#include <memory>
#include <string>

namespace tabulant::engine {

// "Start Converting" (Form1.PushButton7_Click): copies every table of the Access file named on
// the main window into PostgreSQL, last listed table first. Statements are executed at once
// (preview disabled) or collected in the preview list and shown once per file or once per table.
//
// Every numbered step runs under the standard error report with the location
// "Form1.PushButton7_Click": a failure is reported and the run goes on with the next step. A run
// that got past the connection probe always ends with both connections closed, the pointer and
// progress bar at rest and "Done.".
//
// Ownership: the run owns postgresql_conn and its own Access connection for the length of a run;
// the preview window executes on postgresql_conn while it is shown. The references given to the
// constructor must outlive the run object.
// Thread: the user-interface thread only. The run yields to the event loop at fixed points; a
// click that arrives meanwhile returns at once (ConversionRunning()).
class ConversionRun {
public:
    ConversionRun(MainWindowPort& window, PreviewPort& preview, platform::Prompts& prompts,
                  platform::EventLoop& events, platform::ConnectionFactory& connections,
                  const platform::RegionalText& regional,
                  RunDatabase database = DefaultRunDatabase());

    void PushButton7_Click();
    bool ConversionRunning() const { return running_; }

    // The PostgreSQL connection of the current (or last) run.
    std::unique_ptr<platform::Connection> postgresql_conn;
    // Set false before the per-file preview; the preview sets it true when its execution ran to
    // its end.
    bool SQLFormOK = false;

    static constexpr const char* Location = "Form1.PushButton7_Click";

private:
    enum class Answer { None, Yes, No };
    class Sink;

    db::Services Services() const;
    platform::Connection& Postgres() const;
    platform::Connection& Access() const;
    // Steps 148 to 450 for entry i of List2; false when the walk is to end here.
    bool ConvertTable(shell::Trap& trap, int i);
    void HandStatement(shell::Trap& trap, int previewLine, int executeLine,
                       const std::string& statement);
    void Finish(shell::Trap& trap);

    MainWindowPort& window_;
    PreviewPort& preview_;
    platform::Prompts& prompts_;
    platform::EventLoop& events_;
    platform::ConnectionFactory& connections_;
    RunDatabase database_;

    bool running_ = false;
    std::unique_ptr<platform::Connection> accessConn_;
    platform::Recordset records_;
    bool closeAtEnd_ = false;
    Answer answer_ = Answer::None;
    std::string table_;
    CreateTableBuilder createTable_;
    RowStatementBuilder rows_;
};

} // namespace tabulant::engine
