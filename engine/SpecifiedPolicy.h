#pragma once

#include "ConversionPolicy.h"
#include "CreateTableBuilder.h"
#include "RowStatementBuilder.h"

namespace tabulant::engine {

// The conversion as the program has always written it: CreateTableBuilder's TEXT, NUMERIC and
// BOOL columns and RowStatementBuilder's literals, steps numbered as before. Nothing follows a
// table's rows or the last table.
class SpecifiedPolicy final : public ConversionPolicy {
public:
    explicit SpecifiedPolicy(const PolicyServices& services);

    std::string DropTable(std::string_view table) override {
        return DropTableStatement(table, schema_);
    }
    const std::vector<std::string>& CreateTable(shell::Trap& trap,
                                                const SourceTable& table) override;
    void StartRows(shell::Trap& trap, std::string_view table) override;
    const std::string& RowStatement(shell::Trap& trap, const platform::Recordset& records) override;
    const std::vector<std::string>& AfterTable(shell::Trap&, std::string_view) override {
        return none_;
    }
    const std::vector<std::string>& AfterLastTable(shell::Trap&) override { return none_; }

private:
    std::string schema_;
    CreateTableBuilder createTable_;
    RowStatementBuilder rows_;
    std::vector<std::string> create_;
    const std::vector<std::string> none_;
};

} // namespace tabulant::engine
