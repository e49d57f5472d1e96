#pragma once

#include "platform/Connection.h"
#include "platform/Error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::fakes {

// A statement the server is to reject: by the start of its text, or by its 0-based position among
// all statements executed on this server (the catalogue query not counted).
struct StatementFailure {
    std::string prefix;
    int index = -1;
    std::string description;
};

// The PostgreSQL side as tests see it: what was executed, in order, and which statements were
// rejected. The catalogue query "select tablename from pg_tables;" is answered from
// `existingTables` and counted apart.
struct RecordingServer {
    std::vector<std::string> existingTables;
    std::vector<StatementFailure> failures;
    std::optional<platform::Error> openFailure; // when set, every Open throws it

    std::vector<std::string> statements; // every statement executed, rejected ones included
    std::vector<std::string> rejected;
    std::vector<std::string> openedWith;
    int commandTimeout = -1, connectionTimeout = -1; // of the last connection opened
    int catalogueQueries = 0;
    int closes = 0;

    void FailWhenStartsWith(std::string prefix, std::string description = {});
    void FailAt(int index, std::string description = {});

    // A rejection as the ODBC layer words it: "SQLException", the SQLSTATE, the message.
    static std::string SqlException(std::string_view sqlstate, std::string_view message);
};

// A connection to a RecordingServer. Open accepts any string; using or closing it while it is
// not open fails (an Execute then with an "SQLException" description, as the real driver does).
class RecordingConnection final : public platform::Connection {
public:
    explicit RecordingConnection(RecordingServer& server) : server_(server) {}

    void Open(std::string_view connectionString) override;
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override;
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override;
    void Close() override;
    bool IsOpen() const override { return open_; }

    static constexpr std::string_view CatalogueQuery = "select tablename from pg_tables;";

private:
    RecordingServer& server_;
    bool open_ = false;
};

} // namespace tabulant::fakes
