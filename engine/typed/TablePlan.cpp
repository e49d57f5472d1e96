#include "TablePlan.h"

#include "SchemaReader.h"

#include "engine/SqlText.h"

namespace tabulant::engine::typed {

std::string TablePlan::ColumnName(std::string_view accessName) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (SameName(columns[i].name, accessName)) return names[i];
    return FitName(accessName);
}

TablePlan PlanTable(std::string_view table, const platform::FieldList& fields,
                    const TableSchema* schema) {
    TablePlan plan;
    plan.table = std::string(table);
    NameSet columnNames;
    const int count = fields.Count();
    for (int j = 0; j < count; ++j) {
        const platform::Field& field = fields.Item(j);
        const Column* described = schema ? schema->FindColumn(field.name) : nullptr;
        Column c = described ? *described : Column{};
        if (!described) c.type = AccessTypeOfAdoCode(field.type);
        c.name = field.name;
        plan.names.push_back(columnNames.Unique(c.name));
        plan.mappings.push_back(MapColumn(c));
        if (plan.mappings.back().identity && plan.identityColumn < 0) plan.identityColumn = j;
        plan.columns.push_back(std::move(c));
    }
    if (schema) {
        plan.indexes = schema->indexes;
        plan.autoNumberCounter = schema->autoNumberCounter;
    }
    return plan;
}

std::string CreateTableStatement(const TablePlan& plan) {
    std::string s = "CREATE TABLE ";
    AppendTableName(s, plan.schema, plan.table);
    s += '(';
    for (std::size_t i = 0; i < plan.names.size(); ++i) {
        if (i > 0) s += ", ";
        AppendQuotedName(s, plan.names[i]);
        s += ' ';
        s += plan.mappings[i].definition;
    }
    s += ");";
    return s;
}

} // namespace tabulant::engine::typed
