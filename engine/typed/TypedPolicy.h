#pragma once

#include "ComplexTables.h"
#include "RowStatements.h"
#include "TablePlan.h"
#include "TableSchema.h"
#include "ViewStatements.h"

#include "engine/ConversionPolicy.h"

#include <memory>
#include <string>
#include <vector>

namespace tabulant::engine::typed {

// The conversion that keeps the database's shape: real types and full column names
// (TypeMapping.h, TablePlan.h), literals that hold every value (TypedLiterals.h), and after the
// rows the keys, indexes and foreign keys (KeyStatements.h).
//
// The shape is read once per run, at the first table, from the schema record sets of the run's
// Access connection. What cannot be read is reported once (steps 600 to 604) and left out: a
// table without its schema gets the types its fields' codes stand for, and no keys.
// After a table's rows and keys, the tables holding its attachments, multi-valued fields and
// version histories (ComplexTables.h), handed out one statement at a time by NextAfterTable;
// what of them cannot be read is named in one report per table once they are all out. After the
// foreign keys, the saved queries (ViewStatements.h): views, and comments for the queries that are
// not run; those not carried are named in one report, those not run in one notice
// (RunView::Notice). After each table's keys, its defaults, rules and descriptions
// (RuleStatements.h); those not carried are named in one report per table, rows that break a rule
// kept in one notice per table (in the statements, a warning of the server). Steps: 600 to 608 the
// schema, the saved queries and the tables' rules, 610 the table's plan, 612 and 614 a datatype
// row, 616 the yield per field, 618 the CREATE TABLE statement, 620 the start of the rows, 630 a
// row, 640 the statements after the rows, 642 and 644 the defaults, rules and descriptions and
// their report, 650 the foreign keys after the last table, 660 the views, 662 the report of the
// queries not carried and 664 the notice of those not run; 609 the fields kept apart from their
// rows, 632 a row's key for them, 646 their tables, 648 the report of what of them cannot be read;
// 649 the notice of the rows that break a rule.
class TypedPolicy final : public ConversionPolicy {
public:
    explicit TypedPolicy(const PolicyServices& services);

    // DROP TABLE "T" CASCADE;: the foreign keys an earlier typed run made towards the table
    // would otherwise keep it from being replaced.
    std::string DropTable(std::string_view table) override;
    const std::vector<std::string>& CreateTable(shell::Trap& trap,
                                                const SourceTable& table) override;
    void StartRows(shell::Trap& trap, std::string_view table) override;
    const std::string& RowStatement(shell::Trap& trap, const platform::Recordset& records) override;
    BulkRowText RowForBulk(shell::Trap& trap, const platform::Recordset& records) override;
    const std::vector<std::string>& AfterTable(shell::Trap& trap, std::string_view table) override;
    const std::string* NextAfterTable(shell::Trap& trap) override;
    // Rows that break a rule the table keeps: one notice naming each rule with its count.
    void AfterTableExecuted(shell::Trap& trap, platform::Connection& server) override;
    const std::vector<std::string>& AfterLastTable(shell::Trap& trap) override;

private:
    void ReadSchema(shell::Trap& trap, platform::Connection& source);
    void ReportComplexDamage(shell::Trap& trap);

    PreviewPort& preview_;
    platform::EventLoop& events_;
    RunView* view_;
    const std::string schemaName_; // the PostgreSQL schema the tables go into
    DatabaseSchema schema_;
    std::vector<SavedQuery> queries_;
    bool schemaRead_ = false;
    NameSet relationNames_; // tables and indexes share one namespace in PostgreSQL
    std::vector<std::unique_ptr<TablePlan>> converted_;
    TablePlan* current_ = nullptr; // the table being converted; null when it has no plan
    RowStatements rows_;
    ComplexTables complex_;
    // The table's complex values while their statements are handed out, and what of them cannot
    // be read, reported once they are all out.
    std::unique_ptr<platform::Recordset> complexValues_;
    std::vector<std::string> complexDamage_;
    std::string statement_;
    platform::Connection* source_ = nullptr; // the run's Access connection, once a table gave it
    bool validates_ = false;                 // the current table's statements validate rules
    std::vector<std::string> statements_;
};

} // namespace tabulant::engine::typed
