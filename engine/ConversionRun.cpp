#include "ConversionRun.h"

#include "CannotOpenAccess.h"
#include "CouldNotConnect.h"
#include "SqlText.h"
#include "db/ReopeningConnection.h"
#include "db/copy/LibpqStatements.h"
#include "platform/Error.h"
#include "platform/Wipe.h"
#include "shell/core/ErrorReport.h"

namespace tabulant::engine {

ConversionRun::ConversionRun(RunPorts ports, std::string location, RunOptions options)
    : ports_(ports), location_(std::move(location)), database_(std::move(options.database)),
      statementsTo_(options.statementsTo), makePolicy_(std::move(options.makePolicy)),
      previewList_(PreviewListSink(ports_.preview)),
      delivery_(statementsTo_
                    ? OutputSink(*statementsTo_)
                    : ConnectionSink([this]() -> platform::Connection& { return Postgres(); })),
      rejectsFile_(std::move(options.rejectsFile)), bulkLimits_(options.bulkLimits),
      rowTap_(options.rowTap), makePreviewStatements_(std::move(options.previewStatements)) {}

ConversionRun::~ConversionRun() = default;

db::Services ConversionRun::Services() const {
    return db::Services{ports_.connections, ports_.prompts, ports_.events, ports_.settings};
}

namespace {
platform::Connection& Existing(const std::unique_ptr<platform::Connection>& connection) {
    if (!connection) throw platform::Error(91, "Object variable or With block variable not set");
    return *connection;
}
} // namespace

platform::Connection& ConversionRun::Postgres() const { return Existing(postgres_); }
platform::Connection& ConversionRun::Access() const { return Existing(access_); }

void ConversionRun::RequestStop() {
    if (running_) stopRequested_ = true;
}

std::unique_ptr<platform::StatementRunner>
LibpqPreviewStatements(const db::ConnectionFields& fields, platform::Connection& postgres) {
    return std::make_unique<db::LibpqStatements>(fields, postgres);
}

PreviewOutcome ConversionRun::ShowPreview() {
    if (!postgres_ || !makePreviewStatements_) return ports_.preview.ShowPreview(postgres_.get());
    if (!previewStatements_)
        previewStatements_ = makePreviewStatements_(ports_.settings, *postgres_);
    return ports_.preview.ShowPreviewThrough(postgres_.get(), *previewStatements_);
}

RunSummary ConversionRun::Run() {
    shell::Trap trap(ports_.prompts, location_);
    if (running_) return {}; // 100
    trap(102, [&] { running_ = true; });
    closeAtEnd_ = false;
    answer_ = Answer::None;
    table_.clear();
    connectionLost_ = false;
    stopRequested_ = false;
    summary_ = RunSummary{};
    bulk_.reset();
    previewStatements_.reset();
    bulkRun_ = ports_.settings.LoadRowsInBulk();
    postgres_.reset();
    if (ToServer())
        trap(104, [&] {
            postgres_ =
                std::make_unique<db::ReopeningConnection>(ports_.connections.CreateConnection());
        });
    trap(106, [&] { access_ = ports_.connections.CreateConnection(); });
    trap(108, [&] { records_ = platform::Recordset(); });
    // Each run gets a policy of its own: what one keeps of its tables is no other run's concern.
    // Should it fail to come, the run writes as specified rather than not at all.
    policy_.reset();
    schema_.clear();
    trap(710, [&] { schema_ = ports_.settings.Schema(); });
    const PolicyServices services{ports_.preview, ports_.events, ports_.regional, schema_,
                                  &ports_.view};
    trap(110, [&] { policy_ = makePolicy_(ports_.settings.Policy(), services); });
    if (!policy_) policy_ = MakePolicy(PolicyKind::Specified, services);

    std::optional<std::string> refused;
    if (ToServer() && trap.Condition(114, [&] {
            refused = database_.postgreSQLConnectFailure(Services());
            return refused.has_value();
        })) {
        // The user would otherwise see nothing at all, and the reason only in the server's log.
        if (refused) trap(114, [&] { ports_.prompts.Message(CouldNotConnectText(*refused)); });
        running_ = false;
        summary_.failures = trap.reports();
        return summary_;
    }
    summary_.started = true;
    if (!Open(trap)) {
        summary_.started = false;
        summary_.failures = trap.reports();
        return summary_;
    }
    if (!schema_.empty())
        HandStatement(trap, 714, 716, CreateSchemaStatement(schema_), Role::Schema);

    // A failing loop head enters the loop: its body then runs once, for the last entry.
    int count = 1;
    trap.Assign(142, count, [&] { return ports_.view.SourceTables().ListCount(); });
    bool walkedThrough = true;
    for (int i = count - 1; i >= 0; --i) {
        if (!ConvertTable(trap, i)) {
            walkedThrough = false;
            break;
        }
    }
    if (walkedThrough && !Halted()) AfterLastTable(trap);

    Finish(trap);
    summary_.failures = trap.reports();
    summary_.connectionLost = connectionLost_;
    summary_.stopped = stopRequested_;
    return summary_;
}

bool ConversionRun::Open(shell::Trap& trap) {
    RunView& view = ports_.view;
    trap(116, [&] { view.SetBusy(true); });
    trap(118, [&] { view.ExistingTables().Clear(); });
    trap(120, [&] { view.SourceTables().Clear(); });
    if (ToServer())
        trap(122, [&] {
            database_.fillPostgreSQLTableList(Services(), view.ExistingTables(),
                                              StoredTableName(schema_));
        });
    // A file that does not open would fail every step after this one, each with a box of its
    // own and the next step's words; one box says why instead, and the run ends here.
    std::optional<std::string> refused;
    trap(124, [&] {
        const std::string path = ports_.settings.AccessFile();
        try {
            database_.fillAccessTableList(Services(), view.SourceTables(), path);
        } catch (const std::exception& e) {
            const bool passwordGiven = !ports_.settings.AccessPassword().empty();
            refused = CannotOpenAccessText(db::ClassifyAccessFailure(path, e, passwordGiven),
                                           shell::DescriptionOf(e));
        }
    });
    if (refused) {
        trap(124, [&] { ports_.prompts.Message(*refused); });
        RestView(trap);
        running_ = false;
        return false;
    }

    trap(126, [&] { Access().CursorLocation(platform::Connection::adUseClient); });
    trap(128, [&] { Access().Mode(platform::Connection::adModeReadWrite); });
    trap(130, [&] {
        std::string text = database_.accessConnectionString(ports_.settings, "", "");
        const platform::WipeOnExit forgetText(text);
        Access().Open(text);
    });
    if (ToServer()) {
        trap(132, [&] { Postgres().CursorLocation(platform::Connection::adUseServer); });
        trap(134, [&] { Postgres().CommandTimeout(5000); });
        trap(136, [&] { Postgres().ConnectionTimeout(5000); });
        trap(138, [&] {
            std::string text = database_.postgreSQLConnectionString(ports_.settings);
            const platform::WipeOnExit forgetText(text);
            Postgres().Open(text);
        });
    }
    trap(140, [&] { closeAtEnd_ = true; });
    trap(144, [&] { ports_.preview.ClearPreviewList(); });
    trap(146, [&] { ports_.preview.ClearDatatypeConversionList(); });
    return true;
}

void ConversionRun::RestView(shell::Trap& trap) {
    trap(478, [&] { ports_.view.SetBusy(false); });
    trap(480, [&] { ports_.view.SetProgressValue(0); });
    trap(482, [&] { ports_.view.SetProgressText("Progress Bar"); });
}

void ConversionRun::AfterLastTable(shell::Trap& trap) {
    const std::vector<std::string>* after = nullptr;
    trap(496, [&] { after = &policy_->AfterLastTable(trap); });
    if (!after || after->empty()) return;
    // The per-table preview has shown the last table's lines: these get a window of their own.
    if (trap.Condition(498, [&] { return PerTable(); }))
        trap(500, [&] { ports_.preview.ClearPreviewList(); });
    HandStatements(trap, 504, 506, *after, Role::After);
    if (trap.Condition(508, [&] { return PerTable(); })) trap(510, [&] { ShowPreview(); });
}

void ConversionRun::Finish(shell::Trap& trap) {
    if (!stopRequested_ && trap.Condition(454, [&] { return Previewing(); }) &&
        trap.Condition(456, [&] { return PerFile(); })) {
        trap(458, [&] { outcome_ = PreviewOutcome::Ended; });
        trap(460, [&] { outcome_ = ShowPreview(); });
        if (trap.Condition(462, [&] { return outcome_ != PreviewOutcome::RanToEnd; })) {
            if (ToServer()) trap(464, [&] { Postgres().Close(); });
            trap(466, [&] { Access().Close(); });
            trap(468, [&] { closeAtEnd_ = false; });
            trap(470, [&] { ports_.view.SetProgressText(""); });
        }
    }
    if (trap.Condition(472, [&] { return closeAtEnd_; })) {
        if (ToServer()) trap(474, [&] { Postgres().Close(); });
        trap(476, [&] { Access().Close(); });
    }
    bulk_.reset(); // its connection closes with the others, and so does the preview's
    previewStatements_.reset();
    RestView(trap);
    // A run stopped because the program is ending has nothing to announce.
    if (!stopRequested_) trap(484, [&] { ports_.prompts.Message("Done."); });
    trap(486, [&] { running_ = false; });
}

} // namespace tabulant::engine
