#include "QueryConnection.h"

#include "LibpqConnect.h"

#include "platform/Error.h"

#include <libpq-fe.h>

namespace tabulant::db {

namespace {

std::string reasonOf(const PGresult* result, const pg_conn* conn) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    std::string message = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
    while (!message.empty() && message.back() == '\n') message.pop_back();
    if (message.empty()) message = "the connection to the server was lost";
    return "SQLException: [" + std::string(state ? state : "08006") + "] " + message;
}

} // namespace

QueryConnection::QueryConnection(const ConnectionFields& fields) : conn_(ConnectLibpq(fields)) {}

QueryConnection::~QueryConnection() { PQfinish(conn_); }

std::vector<TextRow> QueryConnection::Rows(const std::string& sql) {
    Send(sql);
    return Receive();
}

void QueryConnection::Send(const std::string& sql) {
    if (waiting_) Receive();
    if (PQsendQuery(conn_, sql.c_str()) != 1) throw platform::Error(-1, reasonOf(nullptr, conn_));
    waiting_ = true;
}

std::vector<TextRow> QueryConnection::Receive() {
    if (!waiting_) return {};
    waiting_ = false;
    std::vector<TextRow> rows;
    std::string failure;
    bool any = false;
    while (PGresult* result = PQgetResult(conn_)) {
        any = true;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK) {
            rows.clear();
            const int columns = PQnfields(result);
            for (int r = 0; r < PQntuples(result); ++r) {
                TextRow& row = rows.emplace_back();
                for (int c = 0; c < columns; ++c)
                    row.push_back(PQgetisnull(result, r, c)
                                      ? std::nullopt
                                      : std::optional<std::string>(PQgetvalue(result, r, c)));
            }
        } else if (status != PGRES_COMMAND_OK && failure.empty()) {
            failure = reasonOf(result, conn_);
        }
        PQclear(result);
    }
    if (failure.empty() && (!any || PQstatus(conn_) != CONNECTION_OK))
        failure = reasonOf(nullptr, conn_);
    if (!failure.empty()) throw platform::Error(-1, failure);
    return rows;
}

} // namespace tabulant::db
