#include "TypedPolicy.h"

#include "KeyStatements.h"
#include "RuleStatements.h"
#include "SchemaReader.h"
#include "ViewStatements.h"

#include "engine/SqlText.h"
#include "platform/ComplexSchema.h"
#include "platform/Error.h"
#include "platform/Recordset.h"

namespace tabulant::engine::typed {

TypedPolicy::TypedPolicy(const PolicyServices& services)
    : preview_(services.preview), events_(services.events), view_(services.view),
      schemaName_(services.schema) {}

void TypedPolicy::ReadSchema(shell::Trap& trap, platform::Connection& source) {
    bool columns = false;
    trap(600, [&] {
        ReadColumns(source, schema_);
        columns = true;
    });
    // What keeps the columns from being read (a damaged table definition) keeps the rest too:
    // reported once is enough.
    if (!columns) return;
    trap(602, [&] { ReadIndexes(source, schema_); });
    trap(604, [&] { ReadForeignKeys(source, schema_); });
    trap(608, [&] { ReadTableRules(source, schema_); });
    trap(606, [&] { queries_ = ReadSavedQueries(source); });
    trap(609, [&] { ReadComplexColumns(source, schema_); });
    for (const TableSchema& t : schema_.tables)
        relationNames_.Take(std::string(StoredTableName(t.name)));
}

std::string TypedPolicy::DropTable(std::string_view table) {
    return DropTableStatement(table, schemaName_) + " CASCADE;";
}

const std::vector<std::string>& TypedPolicy::CreateTable(shell::Trap& trap,
                                                         const SourceTable& table) {
    statements_.clear();
    if (table.source) source_ = table.source;
    if (!schemaRead_ && table.source) {
        schemaRead_ = true;
        ReadSchema(trap, *table.source);
    }
    relationNames_.Take(std::string(StoredTableName(table.name)));
    current_ = nullptr;
    complex_ = {};
    complexValues_.reset();
    trap(610, [&] {
        converted_.push_back(std::make_unique<TablePlan>(
            PlanTable(table.name, table.records.Fields(), schema_.FindTable(table.name))));
        current_ = converted_.back().get();
        current_->schema = schemaName_;
        complex_.Start(*current_, schema_.complexColumns);
    });
    if (!current_) return statements_;

    for (std::size_t j = 0; j < current_->columns.size(); ++j) {
        trap(612, [&] { preview_.AddDatatypeRow(table.name, current_->columns[j].name); });
        trap(614, [&] {
            std::string postgres = current_->mappings[j].definition;
            if (current_->mappings[j].notNull) postgres += " NOT NULL";
            preview_.SetLastDatatypeRow(AccessTypeText(current_->columns[j]), postgres);
        });
        trap(616, [&] { events_.yield(); });
    }
    trap(618, [&] { statements_.push_back(CreateTableStatement(*current_)); });
    return statements_;
}

void TypedPolicy::StartRows(shell::Trap& trap, std::string_view table) {
    trap(620, [&] { rows_.Start(table, current_ ? current_->identityColumn : -1, schemaName_); });
}

namespace {
// The statement of a row whose values could not be read.
const std::string noStatement;
} // namespace

const std::string& TypedPolicy::RowStatement(shell::Trap& trap,
                                             const platform::Recordset& records) {
    const std::string* statement = &noStatement;
    trap(630, [&] { statement = &rows_.Build(records); });
    if (complex_.Active()) trap(632, [&] { complex_.AddRow(records); });
    return *statement;
}

BulkRowText TypedPolicy::RowForBulk(shell::Trap& trap, const platform::Recordset& records) {
    BulkRowText row{.statement = &noStatement};
    trap(630, [&] {
        row.copy = rows_.BuildCopy(records);
        if (!row.copy) row.statement = &rows_.Build(records);
    });
    if (complex_.Active()) trap(632, [&] { complex_.AddRow(records); });
    return row;
}

const std::vector<std::string>& TypedPolicy::AfterTable(shell::Trap& trap, std::string_view) {
    statements_.clear();
    validates_ = false;
    if (!current_) return statements_;
    trap(640, [&] {
        statements_ = AfterRowsStatements(*current_, rows_.HighestIdentity(), relationNames_);
    });
    RulePlan rules;
    trap(642, [&] { rules = PlanRules(*current_, schema_.FindTable(current_->table)); });
    validates_ = rules.validates;
    statements_.insert(statements_.end(), rules.statements.begin(), rules.statements.end());
    // One report per table for the defaults and rules that are not carried.
    trap(644, [&] {
        if (rules.refused.empty()) return;
        std::string text =
            "Defaults and rules of the table '" + current_->table + "' not carried over:";
        for (const std::string& r : rules.refused) text += "\n" + r;
        throw platform::Error(platform::errors::Generic, text);
    });
    complexValues_.reset();
    complexDamage_.clear();
    if (complex_.Active() && source_) {
        trap(646, [&] {
            complexValues_ = std::make_unique<platform::Recordset>(
                source_->OpenTableSchema(platform::adSchemaComplexValues, current_->table));
            complex_.Begin(*complexValues_, relationNames_, complexDamage_);
        });
        // Without its values no child statement follows: what cannot be read is told now.
        if (!complexValues_) ReportComplexDamage(trap);
    }
    return statements_;
}

const std::string* TypedPolicy::NextAfterTable(shell::Trap& trap) {
    if (!complexValues_) return nullptr;
    bool more = false;
    trap(646, [&] {
        // A table's files may take long to read: the window stays responsive meanwhile.
        events_.yield();
        more = complex_.Next(statement_, complexDamage_);
    });
    if (more) return &statement_;
    complexValues_.reset();
    ReportComplexDamage(trap);
    return nullptr;
}

void TypedPolicy::ReportComplexDamage(shell::Trap& trap) {
    trap(648, [&] {
        if (complexDamage_.empty()) return;
        std::string text = "Attachments and multiple values of the table '" + current_->table +
                           "' not carried over:";
        for (const std::string& d : complexDamage_) text += "\n" + d;
        complexDamage_.clear();
        throw platform::Error(platform::errors::Generic, text);
    });
}

void TypedPolicy::AfterTableExecuted(shell::Trap& trap, platform::Connection& server) {
    if (!validates_) return;
    validates_ = false;
    trap(649, [&] {
        platform::Recordset answer(server.Execute(BrokenRulesQuery()));
        const platform::Variant& broken = answer.Fields().Item(0).value;
        if (!broken.isNull() && !broken.payload().empty() && view_) view_->Notice(broken.payload());
    });
}

const std::vector<std::string>& TypedPolicy::AfterLastTable(shell::Trap& trap) {
    statements_.clear();
    trap(650, [&] { statements_ = ForeignKeyStatements(schema_.foreignKeys, converted_); });
    ViewPlan views;
    trap(660, [&] { views = PlanViews(queries_, converted_, relationNames_); });
    // A view names its tables as the server finds them unqualified; in a schema of the run's
    // own, the views and functions are made with that schema on the search path, so all are
    // found there (and a function keeps that path for its calls).
    const bool inSchema = !schemaName_.empty() && !views.statements.empty();
    if (inSchema) {
        std::string set = "SET search_path TO ";
        AppendQuotedName(set, schemaName_);
        statements_.push_back(set + ";");
    }
    statements_.insert(statements_.end(), views.statements.begin(), views.statements.end());
    if (inSchema) statements_.push_back("RESET search_path;");
    // One report for the queries that are not carried. Those not run are where the user can
    // find them, as comments: no failure, so one notice names them.
    trap(662, [&] {
        if (views.refused.empty()) return;
        std::string text = "Saved queries not carried over:";
        for (const std::string& r : views.refused) text += "\n" + r;
        throw platform::Error(platform::errors::Generic, text);
    });
    trap(664, [&] {
        if (views.notRun.empty()) return;
        std::string text = "Action queries are not run; their Access SQL is a comment among the "
                           "statements:";
        for (const std::string& n : views.notRun) text += "\n'" + n + "'";
        if (view_) view_->Notice(text);
    });
    return statements_;
}

} // namespace tabulant::engine::typed
