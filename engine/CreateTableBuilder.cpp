#include "CreateTableBuilder.h"

#include "Datatype.h"
#include "SqlText.h"

namespace tabulant::engine {

namespace {

// The numbered lines of the deciding rule: its test, the append to the statement, the datatype
// row, and the append to NumericColumns. Rules 1, 2, 9 and 10 have four lines, the numeric rules
// five; rule 11 is the final else without a test of its own.
struct RuleLines {
    int statement;
    int datatypeRow;
    int numericColumns;
};

RuleLines LinesOf(int order) {
    int test = 0;
    if (order <= 2)
        test = 216 + (order - 1) * 8;
    else if (order <= 8)
        test = 232 + (order - 3) * 10;
    else if (order <= 10)
        test = 292 + (order - 9) * 8;
    else
        return {308, 310, 0};
    return {test + 2, test + 4, test + 8};
}

} // namespace

void CreateTableBuilder::Build(shell::Trap& trap, std::string_view table,
                               const platform::Recordset& records) {
    trap(180, [&] {
        std::string s = "CREATE TABLE ";
        AppendTableName(s, schema_, table);
        s += '(';
        statement_ = std::move(s);
    });
    trap(182, [&] { usedNames_ = ColumnNames(); });
    trap(184, [&] { columnName_.clear(); });
    trap(186, [&] { numericColumns_.clear(); });

    // A failing loop head enters the loop: its body then runs once.
    int fieldCount = 1;
    trap.Assign(188, fieldCount, [&] { return records.Fields().Count(); });
    for (int j = 0; j < fieldCount; ++j) {
        std::string listName;
        trap(192, [&] { listName = records.Fields().Item(j).name; });
        trap(190, [&] { preview_.AddDatatypeRow(table, listName); });
        trap(194, [&] { events_.yield(); });
        trap(196, [&] { fieldName_ = records.Fields().Item(j).name; });

        std::string candidate;
        trap(198, [&] { candidate = BaseColumnName(fieldName_); });
        trap(202, [&] { candidate = usedNames_.FirstFree(candidate); });
        trap(208, [&] { usedNames_.Use(candidate); });
        trap(210, [&] { columnName_ = candidate; });
        trap(212, [&] { typeKey_ = TypeKey(records.Fields().Item(j).type); });

        const TypeRule& rule = TypeRuleFor(typeKey_);
        if (rule.leftOut) continue;
        const RuleLines lines = LinesOf(rule.order);
        trap(lines.statement, [&] {
            AppendColumnName(statement_, columnName_);
            statement_.append(" ").append(rule.postgresType).append(",");
        });
        trap(lines.datatypeRow,
             [&] { preview_.SetLastDatatypeRow(rule.keyword, rule.postgresType); });
        if (rule.numeric)
            trap(lines.numericColumns,
                 [&] { numericColumns_.append(std::to_string(j)).append(", "); });
    }

    // Only the comma after the last column goes; without any column the "(" stays.
    trap(316, [&] {
        if (!statement_.empty() && statement_.back() == ',') statement_.pop_back();
    });
    trap(318, [&] { statement_ += ");"; });
}

} // namespace tabulant::engine
