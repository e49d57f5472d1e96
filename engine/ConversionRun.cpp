#include "ConversionRun.h"

#include "platform/Error.h"
#include "shell/core/Helpers.h"

namespace tabulant::engine {

ConversionRun::ConversionRun(MainWindowPort& window, PreviewPort& preview,
                             platform::Prompts& prompts, platform::EventLoop& events,
                             platform::ConnectionFactory& connections,
                             const platform::RegionalText& regional, RunDatabase database)
    : window_(window), preview_(preview), prompts_(prompts), events_(events),
      connections_(connections), database_(std::move(database)), createTable_(preview, events),
      rows_(regional, events) {}

db::Services ConversionRun::Services() const {
    return db::Services{connections_, prompts_, events_, window_};
}

namespace {
platform::Connection& Existing(const std::unique_ptr<platform::Connection>& connection) {
    if (!connection) throw platform::Error(91, "Object variable or With block variable not set");
    return *connection;
}
} // namespace

platform::Connection& ConversionRun::Postgres() const { return Existing(postgresql_conn); }
platform::Connection& ConversionRun::Access() const { return Existing(accessConn_); }

void ConversionRun::PushButton7_Click() {
    shell::Trap trap(prompts_, Location);
    if (running_) return; // 100
    trap(102, [&] { running_ = true; });
    closeAtEnd_ = false;
    answer_ = Answer::None;
    table_.clear();
    trap(104, [&] { postgresql_conn = connections_.CreateConnection(); });
    trap(106, [&] { accessConn_ = connections_.CreateConnection(); });
    trap(108, [&] { records_ = platform::Recordset(); });

    if (trap.Condition(114, [&] { return !database_.canConnectPostgreSQL(Services()); })) {
        running_ = false;
        return;
    }
    trap(116, [&] { window_.SetMousePointer(11); });
    trap(118, [&] { window_.List1().Clear(); });
    trap(120, [&] { window_.List2().Clear(); });
    trap(122, [&] { database_.fillPostgreSQLTableList(Services(), window_.List1()); });
    trap(124,
         [&] { database_.fillAccessTableList(Services(), window_.List2(), window_.AccessFile()); });

    trap(126, [&] { Access().CursorLocation(platform::Connection::adUseClient); });
    trap(128, [&] { Access().Mode(platform::Connection::adModeReadWrite); });
    trap(130, [&] { Access().Open(database_.accessConnectionString(window_, "", "")); });
    trap(132, [&] { Postgres().CursorLocation(platform::Connection::adUseServer); });
    trap(134, [&] { Postgres().CommandTimeout(5000); });
    trap(136, [&] { Postgres().ConnectionTimeout(5000); });
    trap(138, [&] { Postgres().Open(database_.postgreSQLConnectionString(window_)); });
    trap(140, [&] { closeAtEnd_ = true; });
    trap(144, [&] { preview_.ClearPreviewList(); });
    trap(146, [&] { preview_.ClearDatatypeConversionList(); });

    // A failing loop head enters the loop: its body then runs once, for the last entry.
    int count = 1;
    trap.Assign(142, count, [&] { return window_.List2().ListCount(); });
    for (int i = count - 1; i >= 0; --i)
        if (!ConvertTable(trap, i)) break;

    Finish(trap);
}

void ConversionRun::Finish(shell::Trap& trap) {
    if (trap.Condition(454, [&] { return window_.PreviewEnabled(); }) &&
        trap.Condition(456, [&] { return window_.Option1Selected(); })) {
        trap(458, [&] { SQLFormOK = false; });
        trap(460, [&] { preview_.ShowPreview(); });
        if (trap.Condition(462, [&] { return !SQLFormOK; })) {
            trap(464, [&] { Postgres().Close(); });
            trap(466, [&] { Access().Close(); });
            trap(468, [&] { closeAtEnd_ = false; });
            trap(470, [&] { window_.SetProgressText(""); });
        }
    }
    if (trap.Condition(472, [&] { return closeAtEnd_; })) {
        trap(474, [&] { Postgres().Close(); });
        trap(476, [&] { Access().Close(); });
    }
    trap(478, [&] { window_.SetMousePointer(0); });
    trap(480, [&] { window_.SetProgressValue(0); });
    trap(482, [&] { window_.SetProgressText("Progress Bar"); });
    trap(484, [&] { prompts_.Message("Done."); });
    trap(486, [&] { running_ = false; });
}

} // namespace tabulant::engine
