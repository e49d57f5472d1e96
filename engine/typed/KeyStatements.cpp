#include "KeyStatements.h"

#include "engine/SqlText.h"

#include <algorithm>

namespace tabulant::engine::typed {

namespace {

std::string AlterTable(const TablePlan& plan) {
    std::string s = "ALTER TABLE ";
    AppendTableName(s, plan.schema, plan.table);
    return s;
}

void AppendColumnList(std::string& s, const TablePlan& plan, const std::vector<IndexColumn>& keys,
                      bool withOrder) {
    s += " (";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) s += ", ";
        AppendQuotedName(s, plan.ColumnName(keys[i].name));
        if (withOrder && !keys[i].ascending) s += " DESC";
    }
    s += ')';
}

bool InPrimaryKey(const TablePlan& plan, std::string_view column) {
    for (const Index& x : plan.indexes)
        if (x.primaryKey)
            for (const IndexColumn& c : x.columns)
                if (SameName(c.name, column)) return true;
    return false;
}

std::string IndexStatement(TablePlan& plan, const Index& x, NameSet& relationNames) {
    std::string wanted(StoredTableName(plan.table));
    wanted += '_';
    wanted += x.name;
    std::string name = relationNames.Unique(wanted);
    plan.constraintNames.Take(name);
    const bool ascending = std::all_of(x.columns.begin(), x.columns.end(),
                                       [](const IndexColumn& c) { return c.ascending; });
    std::string s;
    if (x.primaryKey || (x.unique && ascending)) {
        s = AlterTable(plan) + " ADD CONSTRAINT ";
        AppendQuotedName(s, name);
        s += x.primaryKey ? " PRIMARY KEY" : " UNIQUE";
        AppendColumnList(s, plan, x.columns, false);
    } else {
        s = x.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
        AppendQuotedName(s, name);
        s += " ON ";
        AppendTableName(s, plan.schema, plan.table);
        AppendColumnList(s, plan, x.columns, true);
    }
    s += ';';
    return s;
}

TablePlan* Converted(const std::vector<std::unique_ptr<TablePlan>>& converted,
                     std::string_view table) {
    for (const auto& plan : converted)
        if (SameName(plan->table, table)) return plan.get();
    return nullptr;
}

} // namespace

std::vector<std::string> AfterRowsStatements(TablePlan& plan,
                                             std::optional<std::int64_t> highestIdentity,
                                             NameSet& relationNames) {
    std::vector<std::string> out;
    if (plan.identityColumn >= 0) {
        const std::int64_t last = std::max<std::int64_t>(
            {plan.autoNumberCounter.value_or(0), highestIdentity.value_or(0), 0});
        // A sequence that has handed out nothing starts at 1 already.
        if (last > 0) {
            std::string s = AlterTable(plan) + " ALTER COLUMN ";
            AppendQuotedName(s, plan.names[static_cast<std::size_t>(plan.identityColumn)]);
            s += " RESTART WITH " + std::to_string(last + 1) + ';';
            out.push_back(std::move(s));
        }
    }
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        if (!plan.mappings[i].notNull || InPrimaryKey(plan, plan.columns[i].name)) continue;
        std::string s = AlterTable(plan) + " ALTER COLUMN ";
        AppendQuotedName(s, plan.names[i]);
        s += " SET NOT NULL;";
        out.push_back(std::move(s));
    }
    // The primary key first: a unique index over the same columns may follow it.
    for (const Index& x : plan.indexes)
        if (x.primaryKey && !x.columns.empty())
            out.push_back(IndexStatement(plan, x, relationNames));
    for (const Index& x : plan.indexes)
        if (!x.primaryKey && !x.columns.empty())
            out.push_back(IndexStatement(plan, x, relationNames));
    return out;
}

std::vector<std::string>
ForeignKeyStatements(const std::vector<ForeignKey>& keys,
                     const std::vector<std::unique_ptr<TablePlan>>& converted) {
    std::vector<std::string> out;
    for (const ForeignKey& key : keys) {
        if (!key.enforced || key.columns.empty()) continue;
        TablePlan* from = Converted(converted, key.table);
        const TablePlan* to = Converted(converted, key.referencedTable);
        if (!from || !to) continue;
        std::string s = AlterTable(*from) + " ADD CONSTRAINT ";
        AppendQuotedName(s, from->constraintNames.Unique(key.name));
        s += " FOREIGN KEY (";
        for (std::size_t i = 0; i < key.columns.size(); ++i) {
            if (i > 0) s += ", ";
            AppendQuotedName(s, from->ColumnName(key.columns[i].first));
        }
        s += ") REFERENCES ";
        AppendTableName(s, to->schema, to->table);
        s += " (";
        for (std::size_t i = 0; i < key.columns.size(); ++i) {
            if (i > 0) s += ", ";
            AppendQuotedName(s, to->ColumnName(key.columns[i].second));
        }
        s += ')';
        // Only the rules PostgreSQL knows are written; NO ACTION is its default.
        if (key.updateRule == "CASCADE") s += " ON UPDATE CASCADE";
        if (key.deleteRule == "CASCADE" || key.deleteRule == "SET NULL")
            s += " ON DELETE " + key.deleteRule;
        s += ';';
        out.push_back(std::move(s));
    }
    return out;
}

} // namespace tabulant::engine::typed
