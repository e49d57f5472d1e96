#pragma once

#include "platform/Cursor.h"

#include <sql.h>

#include <string>
#include <vector>

namespace tabulant::db {

// Reads the rows of an executed ODBC statement into platform::Field values: each column's name,
// its ADO type code and the value of the current row (null for SQL NULL). Numbers, booleans,
// dates and binary data keep their kind; everything else is read as UTF-8 text, whole, however
// long. Errors throw platform::Error with an SQLException text. The statement handle stays the
// caller's.
class OdbcRowReader {
public:
    OdbcRowReader(SQLHSTMT statement, SQLSMALLINT columnCount);

    // The fields of the result with null values, ready for fetch().
    std::vector<platform::Field> Columns() const;
    // Moves to the next row and reads it into `fields`; false after the last row.
    bool Fetch(std::vector<platform::Field>& fields);

private:
    enum class Read { Integer, Single, Double, Boolean, Decimal, Date, Binary, Text };
    struct Column {
        std::string name;
        std::int16_t adoType;
        Read read;
    };

    void readValue(SQLUSMALLINT number, Read read, platform::Variant& value);
    // Reads a character or binary column in pieces; false for NULL.
    bool readLong(SQLUSMALLINT number, SQLSMALLINT cType, std::string& out);

    SQLHSTMT statement_;
    std::vector<Column> columns_;
    std::vector<SQLWCHAR> chunk_;
    std::vector<SQLWCHAR> wideValue_;
};

} // namespace tabulant::db
