#pragma once

#include "ColumnNames.h"
#include "RunPorts.h"
#include "platform/EventLoop.h"
#include "platform/Recordset.h"
#include "shell/core/Trap.h"

#include <string>
#include <string_view>

namespace tabulant::engine {

// Builds the CREATE TABLE statement of one table from the fields of its open record set, adds one
// row per field to the datatype conversion list, and collects NumericColumns ("0, 3, "), which
// tells the row statements which values to write unquoted. Column names are written unquoted
// when the server can read them so; other names (Order, Weight(k) are quoted, in lower case.
//
// Every step runs under the caller's trap (steps 180 to 318): a failed step is reported and
// leaves the value it was to compute as it was, also from the previous table, since one builder
// serves every table of a run. A table without columns (every field long binary) gives
// CREATE TABLE "T"(); which PostgreSQL accepts.
// Thread: the user-interface thread; yields to the event loop once per field.
class CreateTableBuilder {
public:
    // `schema` names the schema the table is created in; empty for the server's default one.
    CreateTableBuilder(PreviewPort& preview, platform::EventLoop& events, std::string schema = {})
        : preview_(preview), events_(events), schema_(std::move(schema)) {}

    void Build(shell::Trap& trap, std::string_view table, const platform::Recordset& records);

    const std::string& Statement() const { return statement_; }
    const std::string& NumericColumns() const { return numericColumns_; }

private:
    PreviewPort& preview_;
    platform::EventLoop& events_;
    std::string schema_;
    std::string statement_;
    std::string numericColumns_;
    ColumnNames usedNames_;
    std::string columnName_;
    std::string fieldName_;
    std::string typeKey_;
};

} // namespace tabulant::engine
