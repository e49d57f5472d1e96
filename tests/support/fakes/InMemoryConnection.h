#pragma once

#include "InMemoryTable.h"
#include "platform/Connection.h"
#include "platform/Error.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::fakes {

// An Access database held in memory: the tables a connection lists and reads, and what was
// done to it. Table names are found regardless of letter case, as Access does.
struct InMemoryDatabase {
    std::vector<InMemoryTable> tables;
    std::optional<platform::Error> openFailure; // when set, every Open throws it
    std::vector<RelationshipShape> relationships;
    std::map<int, std::string> schemaFailures; // a schema number's record set fails with the text
    // The complex-columns rowset's rows (platform/ComplexSchema.h), and the complex-values
    // rowset of a table; none by default.
    std::vector<std::vector<platform::Variant>> complexColumns;
    std::function<std::unique_ptr<platform::Cursor>(std::string_view table)> complexValues;

    std::vector<std::string> openedWith; // connection strings of successful opens
    int closes = 0;

    InMemoryTable& Add(std::string name, std::vector<ColumnDef> columns,
                       std::vector<std::vector<platform::Variant>> rows = {});
    const InMemoryTable* Find(std::string_view name) const;
};

// A connection to an InMemoryDatabase, shaped like the Access reader: any connection string is
// accepted as given; Execute understands "SELECT * FROM `T`" only; OpenSchema(20) gives rows of
// TABLE_NAME and TABLE_TYPE, and the columns, indexes, primary-keys and foreign-keys schemas
// give the tables' shapes (InMemoryShape.h), the views schema no rows; using or closing it while it
// is not open fails as ADO does.
class InMemoryConnection final : public platform::Connection {
public:
    explicit InMemoryConnection(InMemoryDatabase& database) : db_(database) {}

    void Open(std::string_view connectionString) override;
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override;
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override;
    std::unique_ptr<platform::Cursor> OpenTableSchema(int schema, std::string_view table) override;
    void Close() override;
    bool IsOpen() const override { return open_; }

private:
    void requireOpen() const;

    InMemoryDatabase& db_;
    bool open_ = false;
};

// The failure every provider gives for an object used while closed.
platform::Error ClosedObjectError();

} // namespace tabulant::fakes
