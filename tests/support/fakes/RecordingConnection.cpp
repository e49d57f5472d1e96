#include "RecordingConnection.h"

#include "InMemoryConnection.h"
#include "InMemoryTable.h"

namespace tabulant::fakes {

std::string RecordingServer::SqlException(std::string_view sqlstate, std::string_view message) {
    std::string s = "SQLException: [";
    s.append(sqlstate).append("] ").append(message);
    return s;
}

void RecordingServer::FailWhenStartsWith(std::string prefix, std::string description) {
    if (description.empty()) description = SqlException("42601", "ERROR: rejected by the test");
    failures.push_back({std::move(prefix), -1, std::move(description)});
}

void RecordingServer::FailAt(int index, std::string description) {
    if (description.empty()) description = SqlException("42601", "ERROR: rejected by the test");
    failures.push_back({{}, index, std::move(description)});
}

void RecordingConnection::Open(std::string_view connectionString) {
    if (open_)
        throw platform::Error(platform::errors::ObjectClosed,
                              "Operation is not allowed when the object is open.");
    if (server_.openFailure) throw *server_.openFailure;
    open_ = true;
    server_.openedWith.emplace_back(connectionString);
    server_.commandTimeout = CommandTimeout();
    server_.connectionTimeout = ConnectionTimeout();
}

std::unique_ptr<platform::Cursor> RecordingConnection::Execute(std::string_view statement) {
    if (!open_)
        throw platform::Error(platform::errors::Generic,
                              RecordingServer::SqlException("08003", "connection not open"));
    if (statement == CatalogueQuery) {
        ++server_.catalogueQueries;
        InMemoryTable result;
        result.columns = {{"tablename", platform::adVarWChar}};
        for (const std::string& name : server_.existingTables)
            result.rows.push_back({platform::Variant::text(name)});
        return OwningCursor(std::move(result));
    }
    const int index = static_cast<int>(server_.statements.size());
    server_.statements.emplace_back(statement);
    for (const StatementFailure& f : server_.failures) {
        const bool byIndex = f.index == index;
        const bool byPrefix = f.index < 0 && statement.substr(0, f.prefix.size()) == f.prefix;
        if (byIndex || byPrefix) {
            server_.rejected.emplace_back(statement);
            throw platform::Error(platform::errors::Generic, f.description);
        }
    }
    return nullptr;
}

std::unique_ptr<platform::Cursor> RecordingConnection::OpenSchema(int) {
    throw platform::Error(-2146825037,
                          "Object or provider is not capable of performing requested operation.");
}

void RecordingConnection::Close() {
    if (!open_) throw ClosedObjectError();
    open_ = false;
    ++server_.closes;
}

} // namespace tabulant::fakes
