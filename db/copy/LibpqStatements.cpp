#include "LibpqStatements.h"

#include "LibpqConnect.h"
#include "db/odbc/OdbcDiagnostics.h"

#include "platform/Error.h"

#include <libpq-fe.h>

#include <cstdint>

namespace tabulant::db {

namespace {

// The server's refusal as the ODBC driver words it: the severity and the primary message, then
// the detail (hints and context it leaves out), then what became of the statement. A failure
// libpq made up itself, such as a socket that closed, has no fields: its message is libpq's text.
std::string describe(const PGresult* result, const pg_conn* conn, bool lost) {
    const auto field = [&](int code) -> const char* {
        return result ? PQresultErrorField(result, code) : nullptr;
    };
    const char* state = field(PG_DIAG_SQLSTATE);
    const char* severity = field(PG_DIAG_SEVERITY);
    const char* primary = field(PG_DIAG_MESSAGE_PRIMARY);
    const char* detail = field(PG_DIAG_MESSAGE_DETAIL);
    std::string message;
    if (primary && severity) {
        message.append(severity).append(": ").append(primary);
        if (detail) message.append("\nDETAIL: ").append(detail);
    } else {
        message = primary ? primary : PQerrorMessage(conn);
    }
    message += lost ? ";\nThe connection has been lost" : ";\nError while executing the query";
    return SqlExceptionText(state ? state : "08S01", message);
}

void ignoreNotice(void*, const PGresult*) {}

} // namespace

LibpqStatements::LibpqStatements(const ConnectionFields& fields, platform::Connection& odbc)
    : fields_(fields), odbc_(odbc), onOdbc_(&odbc) {}

LibpqStatements::~LibpqStatements() {
    if (conn_) PQfinish(conn_);
}

void LibpqStatements::Run(std::string_view statement) {
    if (onConnection_ || !odbc_.IsOpen() || statement.find('\0') != std::string_view::npos)
        return onOdbc_.Run(statement);
    if (!conn_ && !tried_) {
        tried_ = true;
        try {
            connect();
        } catch (const platform::Error&) {
            if (conn_) PQfinish(conn_);
            conn_ = nullptr;
            onConnection_ = true;
            return onOdbc_.Run(statement);
        }
    } else if (!conn_) {
        connect();
    }
    text_.assign(statement);
    send(text_.c_str());
}

void LibpqStatements::connect() {
    conn_ = ConnectLibpq(fields_);
    PQsetNoticeReceiver(conn_, ignoreNotice, nullptr);
    std::string setup = "SET DateStyle = 'ISO';SET extra_float_digits = 2";
    if (odbc_.CommandTimeout() > 0)
        setup += ";SET statement_timeout = " +
                 std::to_string(std::int64_t{odbc_.CommandTimeout()} * 1000);
    send(setup.c_str());
}

void LibpqStatements::send(const char* text) {
    const bool sent = PQsendQuery(conn_, text) == 1;
    PGresult* refusal = nullptr; // the first statement of the text that the server refused
    while (PGresult* result = PQgetResult(conn_)) {
        switch (PQresultStatus(result)) {
        case PGRES_FATAL_ERROR:
            if (!refusal) {
                refusal = result;
                continue;
            }
            break;
        case PGRES_COPY_IN: // no data comes with a line: the server is told so
            PQputCopyEnd(conn_, "no data follows the statement");
            break;
        case PGRES_COPY_OUT: {
            char* data = nullptr;
            while (PQgetCopyData(conn_, &data, 0) > 0) PQfreemem(data);
            break;
        }
        default:
            break;
        }
        PQclear(result);
    }
    const bool lost = PQstatus(conn_) == CONNECTION_BAD;
    std::string failure;
    if (refusal || !sent || lost) failure = describe(refusal, conn_, lost);
    PQclear(refusal);
    if (lost) {
        PQfinish(conn_);
        conn_ = nullptr;
    }
    if (!failure.empty()) throw platform::Error(platform::errors::Generic, failure);
}

} // namespace tabulant::db
