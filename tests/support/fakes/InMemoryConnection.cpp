#include "InMemoryConnection.h"

#include "platform/AsciiText.h"
#include "platform/ComplexSchema.h"
#include "platform/RulesSchema.h"
#include "platform/ViewsSchema.h"

namespace tabulant::fakes {

platform::Error ClosedObjectError() {
    return platform::Error(platform::errors::ObjectClosed,
                           "Operation is not allowed when the object is closed.");
}

InMemoryTable& InMemoryDatabase::Add(std::string name, std::vector<ColumnDef> columns,
                                     std::vector<std::vector<platform::Variant>> rows) {
    InMemoryTable t;
    t.name = std::move(name);
    t.columns = std::move(columns);
    t.rows = std::move(rows);
    tables.push_back(std::move(t));
    return tables.back();
}

const InMemoryTable* InMemoryDatabase::Find(std::string_view name) const {
    for (const InMemoryTable& t : tables)
        if (platform::EqualsNoCase(t.name, name)) return &t;
    return nullptr;
}

void InMemoryConnection::requireOpen() const {
    if (!open_) throw ClosedObjectError();
}

void InMemoryConnection::Open(std::string_view connectionString) {
    if (open_)
        throw platform::Error(platform::errors::ObjectClosed,
                              "Operation is not allowed when the object is open.");
    if (db_.openFailure) throw *db_.openFailure;
    open_ = true;
    db_.openedWith.emplace_back(connectionString);
}

std::unique_ptr<platform::Cursor> InMemoryConnection::Execute(std::string_view statement) {
    requireOpen();
    constexpr std::string_view select = "SELECT * FROM `";
    if (statement.substr(0, select.size()) != select || statement.size() < select.size() + 1 ||
        statement.back() != '`')
        throw platform::Error(-2147217900, "Invalid SQL statement; expected 'SELECT * FROM `T`'.");
    const auto name = statement.substr(select.size(), statement.size() - select.size() - 1);
    const InMemoryTable* table = db_.Find(name);
    if (!table)
        throw platform::Error(-2147217865, "The Microsoft Access database engine cannot find the "
                                           "input table or query '" +
                                               std::string(name) + "'.");
    if (!table->readFailure.empty())
        throw platform::Error(platform::errors::Generic, table->readFailure);
    return BorrowingCursor(*table);
}

std::unique_ptr<platform::Cursor> InMemoryConnection::OpenSchema(int schema) {
    requireOpen();
    if (const auto failure = db_.schemaFailures.find(schema); failure != db_.schemaFailures.end())
        throw platform::Error(platform::errors::Generic, failure->second);
    switch (schema) {
    case adSchemaTables:
        break;
    case adSchemaColumns:
        return ColumnsRowset(db_.tables);
    case adSchemaIndexes:
        return IndexesRowset(db_.tables);
    case adSchemaPrimaryKeys:
        return PrimaryKeysRowset(db_.tables);
    case adSchemaForeignKeys:
        return ForeignKeysRowset(db_.relationships);
    case platform::adSchemaViews: {
        // No saved queries.
        InMemoryTable views;
        for (const char* name : {"TABLE_NAME", "VIEW_DEFINITION", "QUERY_TYPE", "DAMAGE"})
            views.columns.push_back({name, platform::adVarWChar});
        views.columns.push_back({"IS_RECORD_SOURCE", platform::adBoolean});
        return OwningCursor(std::move(views));
    }
    case platform::adSchemaCheckConstraints: {
        // No rules, conditions or descriptions.
        InMemoryTable rules;
        for (const char* name : {"TABLE_NAME", "CONSTRAINT_NAME", "CHECK_CLAUSE", "DESCRIPTION"})
            rules.columns.push_back({name, platform::adVarWChar});
        return OwningCursor(std::move(rules));
    }
    case platform::adSchemaComplexColumns: {
        InMemoryTable complex;
        for (const char* name :
             {"TABLE_NAME", "COLUMN_NAME", "COMPLEX_KIND", "VALUE_TYPE", "DAMAGE"})
            complex.columns.push_back({name, platform::adVarWChar});
        complex.rows = db_.complexColumns;
        return OwningCursor(std::move(complex));
    }
    default:
        throw platform::Error(-2146825037, "Object or provider is not capable of performing "
                                           "requested operation.");
    }
    InMemoryTable result;
    result.columns = {{"TABLE_NAME", platform::adVarWChar}, {"TABLE_TYPE", platform::adVarWChar}};
    for (const InMemoryTable& t : db_.tables)
        result.rows.push_back({platform::Variant::text(t.name), platform::Variant::text(t.type)});
    return OwningCursor(std::move(result));
}

std::unique_ptr<platform::Cursor> InMemoryConnection::OpenTableSchema(int schema,
                                                                      std::string_view table) {
    requireOpen();
    if (schema == platform::adSchemaComplexValues && db_.complexValues)
        return db_.complexValues(table);
    return Connection::OpenTableSchema(schema, table);
}

void InMemoryConnection::Close() {
    requireOpen();
    open_ = false;
    ++db_.closes;
}

} // namespace tabulant::fakes
