#include "OdbcDiagnostics.h"

#include "WideText.h"
#include "platform/Error.h"

#include <sqlext.h>

#include <array>

namespace tabulant::db {

std::string SqlExceptionText(std::string_view sqlState, std::string_view message) {
    std::string text = "SQLException: [";
    text += sqlState;
    text += "] ";
    text += message;
    return text;
}

std::string SqlExceptionText(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view fallback) {
    std::string text;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        std::array<SQLWCHAR, 6> state{};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        std::array<SQLWCHAR, 2048> message{};
        const SQLRETURN rc =
            SQLGetDiagRecW(handleType, handle, record, state.data(), &nativeError, message.data(),
                           static_cast<SQLSMALLINT>(message.size()), &length);
        if (!SQL_SUCCEEDED(rc)) break;
        std::size_t used = static_cast<std::size_t>(length);
        if (used >= message.size()) used = message.size() - 1; // the message was cut
        std::string line = ToUtf8(message.data(), used);
        while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
        if (!text.empty()) text += '\n';
        text += SqlExceptionText(ToUtf8(state.data(), 5), line);
    }
    return text.empty() ? SqlExceptionText("HY000", fallback) : text;
}

void ThrowSqlException(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view fallback) {
    throw platform::Error(platform::errors::Generic,
                          SqlExceptionText(handleType, handle, fallback));
}

} // namespace tabulant::db
