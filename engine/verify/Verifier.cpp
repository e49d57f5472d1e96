#include "Verifier.h"

#include "FileFacts.h"
#include "ServerHash.h"
#include "ServerQuery.h"
#include "ServerText.h"

#include "db/Access.h"
#include "db/PostgreSQL.h"
#include "engine/ConversionPolicy.h"
#include "engine/SqlText.h"
#include "platform/Recordset.h"
#include "shell/core/ErrorReport.h"

#include <memory>

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
        forms_.clear();
        if (server)
            for (const ServerColumn& c : *server) forms_.push_back(FormOfType(c.type));
        platform::Recordset records;
        records.Open(SelectAllStatement(check.name), access);
        policy_.CreateTable(trap_, {check.name, records, &access});
        policy_.StartRows(trap_, check.name);
        const std::int64_t reported = records.RecordCount();
        if (view_) view_->TableStarted(check.name, reported);
        sums_.clear();
        bool first = true;
        while (!records.Eof()) {
            events_.yield();
            const std::string& statement = policy_.RowStatement(trap_, records);
            if (!ReadInsertValues(statement, literals_))
                throw platform::Error(-1, "A row statement could not be read back: " +
                                              statement.substr(0, 200));
            if (first) {
                check.accessColumns = literals_.size();
                sums_.assign(literals_.size(), ColumnSum{});
                first = false;
            } else if (literals_.size() != sums_.size()) {
                throw platform::Error(-1, "Rows of the table write different numbers of values");
            }
            AddRow(check);
            if (view_) view_->RowRead(check.accessRows, reported);
            records.MoveNext();
        }
        if (first) check.accessColumns = server ? server->size() : 0;
        for (const platform::Error& w : records.TakeWarnings()) addProblem(check, w.description());
        records.Close();
    }

    const std::vector<ColumnSum>& Sums() const { return sums_; }

private:
    void AddRow(TableCheck& check) {
        std::uint64_t mixed = 0;
        for (std::size_t k = 0; k < literals_.size(); ++k) {
            const ColumnForm form = k < forms_.size() ? forms_[k] : ColumnForm{};
            const std::uint64_t seed = k + 1;
            text_.clear();
            if (AppendServerText(text_, literals_[k], form)) {
                const std::uint64_t h = TextHash(text_, seed);
                sums_[k].sum += h;
                mixed ^= h;
            } else {
                ++sums_[k].nulls;
                mixed ^= seed;
            }
        }
        check.accessRowSum += WholeHash(static_cast<std::int64_t>(mixed), 0);
        ++check.accessRows;
    }

    ConversionPolicy& policy_;
    shell::Trap& trap_;
    platform::EventLoop& events_;
    VerifyView* view_;
    std::vector<ColumnForm> forms_;
    std::vector<Literal> literals_;
    std::vector<ColumnSum> sums_;
    std::string text_;
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
    ReadFileFacts(report);

    const db::Services services{ports_.connections, ports_.prompts, ports_.events, fields};
    std::unique_ptr<platform::Connection> access;
    std::vector<std::string> names = request.tables;
    try {
        access = ports_.connections.CreateConnection();
        access->CursorLocation(platform::Connection::adUseClient);
        access->Mode(platform::Connection::adModeReadWrite);
        access->Open(db::AccessConnectionString(fields));
        if (names.empty()) names = db::GetAccessTableNames(services, report.file).value_or(names);
    } catch (const std::exception& e) {
        report.problem = "The Access file could not be read: " + shell::DescriptionOf(e);
        return report;
    }
    std::unique_ptr<platform::Connection> postgres;
    ServerTables tables;
    std::string schema = request.schema;
    try {
        postgres = ports_.connections.CreateConnection();
        db::OpenPostgreSQL(*postgres, fields);
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
        held.first.clear();
        try {
            walk.Read(check, *access, found == tables.end() ? nullptr : &found->second);
            addProblem(check, held.first);
            if (found == tables.end()) {
                check.state = TableCheck::State::Missing;
            } else {
                query.Sums(schema, *found, check);
                judge(check, walk.Sums());
            }
        } catch (const std::exception& e) {
            check.state = TableCheck::State::NotVerified;
            check.columns.clear();
            addProblem(check, shell::DescriptionOf(e));
        }
        if (view) view->TableVerified(check);
        report.tables.push_back(std::move(check));
    }
    postgres->Close();
    access->Close();
    return report;
}

} // namespace tabulant::engine::verify
