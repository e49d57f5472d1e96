#include "AccessConnection.h"

#include "AccessConnectionString.h"
#include "AccessDatabase.h"
#include "AccessErrors.h"
#include "ComplexSchemas.h"
#include "QuerySchema.h"
#include "ShapeReader.h"
#include "ShapeSchemas.h"

#include "platform/ComplexSchema.h"
#include "platform/Error.h"
#include "platform/RulesSchema.h"
#include "platform/ViewsSchema.h"
#include "platform/Wipe.h"

#include <optional>
#include <sys/stat.h>

namespace tabulant::db {

namespace {

// The Access file behind a connection; the properties ADO knows are accepted and have no effect
// on a read-only file reader.
class AccessConnection final : public platform::Connection {
public:
    explicit AccessConnection(platform::EventLoop* events) : events_(events) {}

    void Open(std::string_view connectionString) override {
        if (db_)
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is open.");
        std::optional<AccessSource> source = ParseAccessConnectionString(connectionString);
        if (!source)
            throw platform::Error(accesserrors::Failure,
                                  "The connection string names no data source.");
        const platform::WipeOnExit forgetPassword(source->password);
        auto bytes = ByteSource::File(source->dataSource);
        if (!bytes) {
            // A file that is there but cannot be opened is not "not found".
            struct stat st {};
            if (::stat(source->dataSource.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                throw CannotReadFile(source->dataSource);
            throw CannotOpenFile(source->dataSource);
        }
        db_ = AccessDatabase::Open(std::move(bytes), source->dataSource, source->password,
                                   source->codePage);
    }

    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override {
        AccessDatabase& db = opened();
        const auto table = ParseSelectAll(statement);
        if (!table) throw UnsupportedStatement(statement);
        return db.OpenTable(*table, events_);
    }

    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override {
        AccessDatabase& db = opened();
        switch (schema) {
        case adSchemaTables:
            return db.TablesSchema();
        case adSchemaColumns:
            return ColumnsSchema(tables(db));
        case adSchemaIndexes:
            return IndexesSchema(tables(db));
        case adSchemaPrimaryKeys:
            return PrimaryKeysSchema(tables(db));
        case adSchemaForeignKeys:
            return ForeignKeysSchema(relationships(db), tables(db));
        case platform::adSchemaCheckConstraints:
            return CheckConstraintsSchema(tables(db));
        case platform::adSchemaViews:
            return ViewsSchema(db);
        case platform::adSchemaComplexColumns:
            return ComplexColumnsSchema(db);
        default:
            throw platform::Error(accesserrors::Failure,
                                  "Object or provider is not capable of performing requested "
                                  "operation.");
        }
    }

    std::unique_ptr<platform::Cursor> OpenTableSchema(int schema, std::string_view table) override {
        AccessDatabase& db = opened();
        if (schema == platform::adSchemaComplexValues) return ComplexValuesSchema(db, table);
        return Connection::OpenTableSchema(schema, table);
    }

    void Close() override {
        opened();
        db_.reset();
        tables_.reset();
        relationships_.reset();
    }
    bool IsOpen() const override { return db_ != nullptr; }

private:
    AccessDatabase& opened() {
        if (!db_)
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is closed.");
        return *db_;
    }

    // Read once per connection, the tables apart from the relationships, so that damage to one
    // does not take the other's rowsets with it.
    const std::vector<TableShape>& tables(AccessDatabase& db) {
        if (!tables_) tables_ = ReadTableShapes(db);
        return *tables_;
    }
    const std::vector<RelationshipShape>& relationships(AccessDatabase& db) {
        if (!relationships_) relationships_ = ReadRelationships(db);
        return *relationships_;
    }

    platform::EventLoop* events_;
    std::shared_ptr<AccessDatabase> db_;
    std::optional<std::vector<TableShape>> tables_;
    std::optional<std::vector<RelationshipShape>> relationships_;
};

} // namespace

std::unique_ptr<platform::Connection> CreateAccessConnection(platform::EventLoop* events) {
    return std::make_unique<AccessConnection>(events);
}

} // namespace tabulant::db
