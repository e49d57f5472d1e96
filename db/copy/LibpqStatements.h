#pragma once

#include "db/ConnectionFields.h"
#include "platform/Connection.h"
#include "platform/StatementRunner.h"

#include <string>

struct pg_conn;

namespace tabulant::db {

// Statements sent through libpq, each as one simple query of its own, on one session made with
// the five PostgreSQL fields (LibpqConnect.h) when the first statement comes and kept for the
// statements after it. The session starts as the ODBC driver starts its own (ISO dates,
// extra_float_digits 2, `odbc`'s CommandTimeout as statement_timeout), and a failure is worded
// as the driver words it ("SQLException: [SQLSTATE] ERROR: ...\nDETAIL: ..."), so that a
// statement reads and behaves the same whichever way it went.
//
// `odbc` is the run's own connection to the same server. Statements go there instead
// (platform::ConnectionStatements) while it is not open, when libpq cannot reach the server at
// the first statement (and then for good), and when a statement holds a NUL, which only the
// connection can refuse in its own words. A session the server ended is made anew by the next
// statement; a statement whose sending failed is not sent again.
// Thread: one at a time. `fields` and `odbc` must outlive this object.
class LibpqStatements final : public platform::StatementRunner {
public:
    LibpqStatements(const ConnectionFields& fields, platform::Connection& odbc);
    ~LibpqStatements() override;
    LibpqStatements(const LibpqStatements&) = delete;
    LibpqStatements& operator=(const LibpqStatements&) = delete;

    void Run(std::string_view statement) override;
    // True once a statement went through libpq and none has been handed to `odbc` for good.
    bool ThroughLibpq() const { return tried_ && !onConnection_; }

private:
    void connect();
    void send(const char* text);

    const ConnectionFields& fields_;
    platform::Connection& odbc_;
    platform::ConnectionStatements onOdbc_;
    pg_conn* conn_ = nullptr;
    bool tried_ = false;        // the first statement has come
    bool onConnection_ = false; // libpq could not connect at first: every statement goes to odbc_
    std::string text_;          // the statement with its terminating NUL
};

} // namespace tabulant::db
