#include "Verifier.h"

#include "FileFacts.h"
#include "LoadSums.h"
#include "RowSums.h"
#include "ServerQuery.h"

#include "db/Access.h"
#include "db/copy/QueryConnection.h"
#include "engine/ConversionPolicy.h"
#include "engine/SqlText.h"
#include "platform/Recordset.h"
#include "shell/core/ErrorReport.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace tabulant::engine::verify {

namespace {

// The datatype view of a conversion, which a verification does not show.
class NoPreview final : public PreviewPort {
public:
    void ClearPreviewList() override {}
    void AddPreviewLine(std::string) override {}
    void ClearDatatypeConversionList() override {}
    void AddDatatypeRow(std::string_view, std::string_view) override {}
    void SetLastDatatypeRow(std::string_view, std::string_view) override {}
    PreviewOutcome ShowPreview(platform::Connection*) override { return PreviewOutcome::Ended; }
};

// Keeps what the policy's steps report instead of showing it: the verifier tells it with the
// table it belongs to.
class HeldReports final : public platform::Prompts {
public:
    void Message(std::string_view) override {}
    Answer Question(std::string_view, std::string_view) override { return Answer::No; }
    void ErrorReport(std::string_view text) override {
        if (first.empty()) first = text;
    }
    std::string first;
};

void addProblem(TableCheck& table, const std::string& text) {
    if (text.empty()) return;
    if (!table.problem.empty()) table.problem += "; ";
    table.problem += text;
}

class TableWalk {
public:
    TableWalk(ConversionPolicy& policy, shell::Trap& trap, platform::EventLoop& events,
              VerifyView* view)
        : policy_(policy), trap_(trap), events_(events), view_(view) {}

    // Reads every row of the table and fills the Access side of `check`; the column forms are
    // those of the server's table, or texts when it has none.
    void Read(TableCheck& check, platform::Connection& access,
              const std::vector<ServerColumn>* server) {
        std::vector<ColumnForm> forms;
        if (server)
            for (const ServerColumn& c : *server) forms.push_back(FormOfType(c.type));
        sums_.Start(std::move(forms));
        platform::Recordset records;
        records.Open(SelectAllStatement(check.name), access);
        policy_.CreateTable(trap_, {check.name, records, &access});
        policy_.StartRows(trap_, check.name);
        const std::int64_t reported = records.RecordCount();
        if (view_) view_->TableStarted(check.name, reported);
        while (!records.Eof()) {
            events_.yield();
            sums_.Add(policy_.RowStatement(trap_, records));
            if (view_) view_->RowRead(sums_.rows(), reported);
            records.MoveNext();
        }
        check.accessRows = sums_.rows();
        check.accessRowSum = sums_.rowSum();
        check.accessColumns = sums_.rows() > 0 ? sums_.columns() : server ? server->size() : 0;
        for (const platform::Error& w : records.TakeWarnings()) addProblem(check, w.description());
        records.Close();
    }

    const std::vector<ColumnSum>& Sums() const { return sums_.sums(); }

private:
    ConversionPolicy& policy_;
    shell::Trap& trap_;
    platform::EventLoop& events_;
    VerifyView* view_;
    RowSums sums_;
};

void judge(TableCheck& check, const std::vector<ColumnSum>& access) {
    if (check.accessColumns != check.columns.size()) {
        addProblem(check, std::to_string(check.columns.size()) + " columns in PostgreSQL, " +
                              std::to_string(check.accessColumns) + " written per row");
        check.columns.clear();
        check.state = TableCheck::State::Different;
        return;
    }
    for (std::size_t k = 0; k < check.columns.size(); ++k)
        check.columns[k].access = k < access.size() ? access[k] : ColumnSum{};
    // A table without rows has no sums on our side: they are those of nothing.
    const bool same = check.accessRows == check.serverRows &&
                      check.accessRowSum == check.serverRowSum && check.DifferingColumns().empty();
    check.state = same ? TableCheck::State::Identical : TableCheck::State::Different;
}

} // namespace

VerifyReport Verifier::Run(const VerifyRequest& request, VerifyView* view) {
    VerifyReport facts;
    facts.file = request.fields.AccessFile();
    VerifyReport report;
    {
        // The file's size and SHA-256 are read beside the tables' work: a large file takes a
        // while, and the server sums meanwhile.
        std::jthread reading([&facts] { ReadFileFacts(facts); });
        report = Check(request, view);
    }
    report.fileSize = facts.fileSize;
    report.fileSha256 = std::move(facts.fileSha256);
    return report;
}

VerifyReport Verifier::Check(const VerifyRequest& request, VerifyView* view) {
    VerifyReport report;
    const db::ConnectionFields& fields = request.fields;
    report.file = fields.AccessFile();
    report.server = fields.PostgreSQLServer();
    report.port = fields.PostgreSQLPort();
    report.database = fields.PostgreSQLDatabase();
    report.user = fields.PostgreSQLUser();
    report.schema = request.schema;
    report.mapping = request.policy == PolicyKind::Typed ? "typed" : "specified";
    report.time = UtcNow();

    const db::Services services{ports_.connections, ports_.prompts, ports_.events, fields};
    std::unique_ptr<platform::Connection> access;
    std::vector<std::string> names = request.tables;
    // Tables whose sums were all taken as they were loaded need no reading of the file.
    const bool allTaken = request.taken && !names.empty() &&
                          std::all_of(names.begin(), names.end(), [&](const std::string& name) {
                              return request.taken->Find(name) != nullptr;
                          });
    const auto openAccess = [&] {
        access = ports_.connections.CreateConnection();
        access->CursorLocation(platform::Connection::adUseClient);
        access->Mode(platform::Connection::adModeReadWrite);
        access->Open(db::AccessConnectionString(fields));
    };
    if (!allTaken) {
        try {
            openAccess();
            if (names.empty())
                names = db::GetAccessTableNames(services, report.file).value_or(names);
        } catch (const std::exception& e) {
            report.problem = "The Access file could not be read: " + shell::DescriptionOf(e);
            return report;
        }
    }
    std::unique_ptr<db::QueryConnection> postgres;
    ServerTables tables;
    std::string schema = request.schema;
    try {
        postgres = std::make_unique<db::QueryConnection>(fields);
        ServerQuery query(*postgres);
        query.SetTextForms();
        tables = query.Tables(schema);
        if (report.schema.empty()) report.schema = query.CurrentSchema();
    } catch (const std::exception& e) {
        report.problem = "PostgreSQL could not be read: " + shell::DescriptionOf(e);
        return report;
    }

    NoPreview preview;
    HeldReports held;
    shell::Trap trap(held, "Verify");
    const auto policy = MakePolicy(request.policy, {preview, ports_.events, ports_.regional});
    TableWalk walk(*policy, trap, ports_.events, view);
    ServerQuery query(*postgres);
    for (const std::string& name : names) {
        TableCheck check;
        check.name = name;
        check.serverTable = std::string(StoredTableName(name));
        const auto found = tables.find(check.serverTable);
        const bool onServer = found != tables.end();
        const LoadSums::Table* taken = request.taken ? request.taken->Find(name) : nullptr;
        // Sums taken while the rows were loaded hold for the columns the table had then.
        if (taken && (!onServer || taken->columns != found->second)) taken = nullptr;
        held.first.clear();
        try {
            // The server sums its table while the file is read.
            if (onServer) query.SendSums(schema, *found);
            if (taken) {
                check.accessRows = taken->rows;
                check.accessRowSum = taken->rowSum;
                check.accessColumns = taken->accessColumns;
                addProblem(check, taken->problem);
            } else {
                if (!access) openAccess();
                walk.Read(check, *access, onServer ? &found->second : nullptr);
                addProblem(check, held.first);
            }
            if (!onServer) {
                check.state = TableCheck::State::Missing;
            } else {
                query.TakeSums(*found, check);
                judge(check, taken ? taken->sums : walk.Sums());
            }
        } catch (const std::exception& e) {
            check.state = TableCheck::State::NotVerified;
            check.columns.clear();
            addProblem(check, shell::DescriptionOf(e));
            // An answer still under way is taken, so that the next table's query can go.
            try {
                postgres->Receive();
            } catch (const std::exception&) {}
        }
        if (view) view->TableVerified(check);
        report.tables.push_back(std::move(check));
    }
    postgres.reset();
    if (access) access->Close();
    return report;
}

} // namespace tabulant::engine::verify
