#include "OdbcRowReader.h"

#include "OdbcDiagnostics.h"
#include "WideText.h"

#include "platform/AdoType.h"
#include "platform/CivilCalendar.h"

#include <sqlext.h>

#include <array>
#include <cstring>

namespace tabulant::db {

namespace {

std::int16_t adoTypeOf(SQLSMALLINT sqlType) {
    using namespace platform;
    switch (sqlType) {
    case SQL_SMALLINT:
        return adSmallInt;
    case SQL_INTEGER:
        return adInteger;
    case SQL_TINYINT:
        return adTinyInt;
    case SQL_BIGINT:
        return adBigInt;
    case SQL_REAL:
        return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return adDouble;
    case SQL_BIT:
        return adBoolean;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return adNumeric;
    case SQL_TYPE_DATE:
        return adDBDate;
    case SQL_TYPE_TIME:
        return adDBTime;
    case SQL_TYPE_TIMESTAMP:
        return adDBTimeStamp;
    case SQL_GUID:
        return adGUID;
    case SQL_BINARY:
        return adBinary;
    case SQL_VARBINARY:
        return adVarBinary;
    case SQL_LONGVARBINARY:
        return adLongVarBinary;
    case SQL_CHAR:
    case SQL_WCHAR:
        return adWChar;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return adLongVarWChar;
    default:
        return adVarWChar;
    }
}

bool isCanonicalDecimal(std::string_view s) {
    std::size_t i = s.starts_with('-') ? 1 : 0;
    std::size_t digits = 0;
    const auto digitRun = [&] {
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++digits;
        }
    };
    digitRun();
    if (i < s.size() && s[i] == '.') {
        ++i;
        digitRun();
    }
    return digits > 0 && i == s.size();
}

// Days since 1899-12-30 with the time of day as the fraction (negative dates keep the time as a
// positive fraction, as OLE automation dates do).
double oleDate(const SQL_TIMESTAMP_STRUCT& t) {
    const std::int64_t sinceOle =
        platform::DaysFromCivil(t.year, t.month, t.day) - platform::OleEpochDay;
    const double fraction =
        (t.hour * 3600.0 + t.minute * 60.0 + t.second + t.fraction / 1e9) / 86400.0;
    const auto day = static_cast<double>(sinceOle);
    return sinceOle >= 0 ? day + fraction : day - fraction;
}

} // namespace

OdbcRowReader::OdbcRowReader(SQLHSTMT statement, SQLSMALLINT columnCount)
    : statement_(statement), chunk_(4096) {
    columns_.reserve(static_cast<std::size_t>(columnCount));
    for (SQLSMALLINT i = 1; i <= columnCount; ++i) {
        std::array<SQLWCHAR, 256> name{};
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        const SQLRETURN rc = SQLDescribeColW(statement_, static_cast<SQLUSMALLINT>(i), name.data(),
                                             static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                             &sqlType, &size, &digits, &nullable);
        if (!SQL_SUCCEEDED(rc))
            ThrowSqlException(SQL_HANDLE_STMT, statement_, "The result columns cannot be read.");
        const auto used =
            std::min<std::size_t>(static_cast<std::size_t>(nameLength), name.size() - 1);
        Read read = Read::Text;
        switch (sqlType) {
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_TINYINT:
        case SQL_BIGINT:
            read = Read::Integer;
            break;
        case SQL_REAL:
            read = Read::Single;
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            read = Read::Double;
            break;
        case SQL_BIT:
            read = Read::Boolean;
            break;
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            read = Read::Decimal;
            break;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
            read = Read::Date;
            break;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            read = Read::Binary;
            break;
        default:
            break;
        }
        columns_.push_back({ToUtf8(name.data(), used), adoTypeOf(sqlType), read});
    }
}

std::vector<platform::Field> OdbcRowReader::Columns() const {
    std::vector<platform::Field> fields;
    fields.reserve(columns_.size());
    for (const Column& c : columns_) fields.push_back({c.name, c.adoType, platform::Variant()});
    return fields;
}

bool OdbcRowReader::Fetch(std::vector<platform::Field>& fields) {
    const SQLRETURN rc = SQLFetch(statement_);
    if (rc == SQL_NO_DATA) return false;
    if (!SQL_SUCCEEDED(rc))
        ThrowSqlException(SQL_HANDLE_STMT, statement_, "The next row cannot be read.");
    for (std::size_t i = 0; i < columns_.size(); ++i)
        readValue(static_cast<SQLUSMALLINT>(i + 1), columns_[i].read, fields[i].value);
    return true;
}

void OdbcRowReader::readValue(SQLUSMALLINT number, Read read, platform::Variant& value) {
    SQLLEN indicator = 0;
    const auto get = [&](SQLSMALLINT cType, void* target, SQLLEN size) {
        if (!SQL_SUCCEEDED(SQLGetData(statement_, number, cType, target, size, &indicator)))
            ThrowSqlException(SQL_HANDLE_STMT, statement_, "A value cannot be read.");
        return indicator != SQL_NULL_DATA;
    };
    switch (read) {
    case Read::Integer: {
        SQLBIGINT v = 0;
        if (get(SQL_C_SBIGINT, &v, 0))
            value.setInteger(v);
        else
            value.setNull();
        return;
    }
    case Read::Single:
    case Read::Double: {
        double v = 0;
        if (!get(SQL_C_DOUBLE, &v, 0))
            value.setNull();
        else if (read == Read::Single)
            value.setSingle(static_cast<float>(v));
        else
            value.setDouble(v);
        return;
    }
    case Read::Boolean: {
        unsigned char v = 0;
        if (get(SQL_C_BIT, &v, 0))
            value.setBoolean(v != 0);
        else
            value.setNull();
        return;
    }
    case Read::Date: {
        SQL_TIMESTAMP_STRUCT v{};
        if (get(SQL_C_TYPE_TIMESTAMP, &v, sizeof v))
            value.setDate(oleDate(v));
        else
            value.setNull();
        return;
    }
    case Read::Binary: {
        std::string& bytes = value.resetPayload(platform::Variant::Kind::Binary);
        if (!readLong(number, SQL_C_BINARY, bytes)) value.setNull();
        return;
    }
    case Read::Decimal:
    case Read::Text: {
        using Kind = platform::Variant::Kind;
        const Kind kind = read == Read::Decimal ? Kind::Decimal : Kind::Text;
        std::string& text = value.resetPayload(kind);
        if (!readLong(number, SQL_C_WCHAR, text))
            value.setNull();
        else if (kind == Kind::Decimal && !isCanonicalDecimal(text))
            value.setText(std::string(text)); // NaN has no exact decimal form
        return;
    }
    }
}

bool OdbcRowReader::readLong(SQLUSMALLINT number, SQLSMALLINT cType, std::string& out) {
    const bool wide = cType == SQL_C_WCHAR;
    const auto capacity = static_cast<SQLLEN>(chunk_.size() * sizeof(SQLWCHAR));
    // A piece may end between the two halves of a surrogate pair, so a wide value is gathered
    // whole before it is converted.
    wideValue_.clear();
    // The driver answers 01004 (truncated) while pieces remain and SQL_NO_DATA after the last.
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(statement_, number, cType, chunk_.data(), capacity, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc))
            ThrowSqlException(SQL_HANDLE_STMT, statement_, "A value cannot be read.");
        if (indicator == SQL_NULL_DATA) return false;
        // A character piece that fills the buffer ends with a terminator the driver put there.
        const SQLLEN room = wide ? capacity - static_cast<SQLLEN>(sizeof(SQLWCHAR)) : capacity;
        const SQLLEN bytes = (indicator == SQL_NO_TOTAL || indicator > room) ? room : indicator;
        if (wide)
            wideValue_.insert(wideValue_.end(), chunk_.begin(),
                              chunk_.begin() + bytes / static_cast<SQLLEN>(sizeof(SQLWCHAR)));
        else
            out.append(reinterpret_cast<const char*>(chunk_.data()),
                       static_cast<std::size_t>(bytes));
        if (rc == SQL_SUCCESS) break;
    }
    if (wide) platform::AppendUtf8(wideValue_.data(), wideValue_.size(), out);
    return true;
}

} // namespace tabulant::db
