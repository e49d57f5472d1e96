#pragma once

#include "Cursor.h"

#include <memory>
#include <string>
#include <string_view>

namespace tabulant::platform {

// The ADO-shaped connection both databases are reached through. The provider is chosen by the
// connection string given to Open (an Access file or the ODBC driver); properties are set before
// Open, as ADO requires. Every failure is a platform::Error. Not thread-safe: one thread per
// connection.
class Connection {
public:
    static constexpr int adUseServer = 2;
    static constexpr int adUseClient = 3;
    static constexpr int adModeReadWrite = 3;
    static constexpr int adSchemaTables = 20;

    virtual ~Connection() = default;

    int CursorLocation() const { return cursorLocation_; }
    void CursorLocation(int v) { cursorLocation_ = v; }
    int Mode() const { return mode_; }
    void Mode(int v) { mode_ = v; }
    // Seconds; 0 means no limit.
    int CommandTimeout() const { return commandTimeout_; }
    void CommandTimeout(int v) { commandTimeout_ = v; }
    int ConnectionTimeout() const { return connectionTimeout_; }
    void ConnectionTimeout(int v) { connectionTimeout_ = v; }

    virtual void Open(std::string_view connectionString) = 0;
    // Runs one statement. Returns the rows it produced, or nullptr for a statement without rows.
    virtual std::unique_ptr<Cursor> Execute(std::string_view statement) = 0;
    // Only the tables schema (adSchemaTables) is offered: rows with TABLE_NAME and TABLE_TYPE.
    virtual std::unique_ptr<Cursor> OpenSchema(int schema) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

private:
    int cursorLocation_ = adUseServer;
    int mode_ = 0;
    int commandTimeout_ = 30;
    int connectionTimeout_ = 15;
};

// Creates connection objects ("ADODB.Connection"). The program wires the real providers; tests
// wire in-memory ones. Throws platform::Error when no connection can be created at all.
class ConnectionFactory {
public:
    virtual ~ConnectionFactory() = default;
    virtual std::unique_ptr<Connection> CreateConnection() = 0;
};

} // namespace tabulant::platform
