#include "CopyConnection.h"

#include "LibpqConnect.h"

#include <libpq-fe.h>

#include <charconv>

namespace tabulant::db {

namespace {

std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }

} // namespace

std::optional<std::int64_t> CopyLineOf(std::string_view context) {
    // The innermost context comes first; a trigger or a function may add lines after it.
    const auto copy = context.find("COPY ");
    if (copy == std::string_view::npos) return std::nullopt;
    constexpr std::string_view Marker = ", line ";
    const auto at = context.find(Marker, copy);
    if (at == std::string_view::npos) return std::nullopt;
    const char* first = context.data() + at + Marker.size();
    const char* last = context.data() + context.size();
    std::int64_t line = 0;
    const auto [end, error] = std::from_chars(first, last, line);
    if (error != std::errc() || end == first || line < 1) return std::nullopt;
    return line;
}

CopyConnection::CopyConnection(const ConnectionFields& fields) : conn_(ConnectLibpq(fields)) {}

CopyConnection::~CopyConnection() {
    if (conn_) PQfinish(conn_);
}

CopyResult CopyConnection::Lost() const {
    CopyResult r;
    r.ok = false;
    r.connectionLost = true;
    r.state = "08006";
    r.message = TextOf(PQerrorMessage(conn_));
    while (!r.message.empty() && r.message.back() == '\n') r.message.pop_back();
    if (r.message.empty()) r.message = "the connection to the server was lost";
    return r;
}

CopyResult CopyConnection::Failure(PGresult* result) const {
    CopyResult r;
    r.ok = false;
    r.state = TextOf(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    r.message = TextOf(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        r.message += std::string(" (") + detail + ")";
    if (r.message.empty()) r.message = TextOf(PQresultErrorMessage(result));
    if (const char* context = PQresultErrorField(result, PG_DIAG_CONTEXT))
        r.line = CopyLineOf(context);
    // A server that shuts down ends the COPY with a message of its own before going.
    r.connectionLost = PQstatus(conn_) != CONNECTION_OK || r.state.starts_with("08") ||
                       r.state == "57P01" || r.state == "57P02" || r.state == "57P03";
    return r;
}

CopyResult CopyConnection::Begin(const std::string& statement) {
    if (PQstatus(conn_) != CONNECTION_OK) return Lost();
    PGresult* result = PQexec(conn_, statement.c_str());
    if (!result) return Lost();
    CopyResult r;
    if (PQresultStatus(result) != PGRES_COPY_IN) r = Failure(result);
    PQclear(result);
    return r;
}

bool CopyConnection::Put(std::string_view lines) {
    if (lines.empty()) return true;
    return PQputCopyData(conn_, lines.data(), static_cast<int>(lines.size())) == 1;
}

CopyResult CopyConnection::End() {
    if (PQputCopyEnd(conn_, nullptr) != 1) {
        // Drain what the server said; the connection is gone.
        while (PGresult* result = PQgetResult(conn_)) PQclear(result);
        return Lost();
    }
    CopyResult r;
    bool any = false;
    while (PGresult* result = PQgetResult(conn_)) {
        any = true;
        if (PQresultStatus(result) != PGRES_COMMAND_OK && r.ok) r = Failure(result);
        PQclear(result);
    }
    if (!any || PQstatus(conn_) != CONNECTION_OK) {
        if (r.ok) return Lost();
        r.connectionLost = true;
    }
    return r;
}

CopyResult CopyConnection::Execute(const std::string& statement) {
    if (PQstatus(conn_) != CONNECTION_OK) return Lost();
    PGresult* result = PQexec(conn_, statement.c_str());
    if (!result) return Lost();
    CopyResult r;
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) r = Failure(result);
    PQclear(result);
    if (!r.ok && PQstatus(conn_) != CONNECTION_OK) r.connectionLost = true;
    return r;
}

} // namespace tabulant::db
