#pragma once

#include "Connection.h"
#include "Cursor.h"
#include "Error.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace tabulant::platform {

// The fields of a record set, by 0-based position or by name (letter case ignored, as ADO does).
class FieldList {
public:
    explicit FieldList(std::vector<Field>* fields = nullptr) : fields_(fields) {}

    int Count() const;
    const Field& Item(int position) const;
    const Field& Item(std::string_view name) const;

private:
    std::vector<Field>* fields_;
};

// The ADO-shaped record set ("ADODB.RecordSet"): one object can be opened, read and closed again
// for one result after another. EOF and BOF are spelled Eof and Bof because EOF is a C macro.
// Reading a closed record set fails with errors::ObjectClosed.
class Recordset {
public:
    Recordset() = default;
    explicit Recordset(std::unique_ptr<Cursor> cursor) { attach(std::move(cursor)); }

    // Runs the statement on the connection and keeps its rows.
    void Open(std::string_view source, Connection& connection);
    void Close();
    bool IsOpen() const { return cursor_ != nullptr; }

    bool Eof() const;
    bool Bof() const;
    std::int64_t RecordCount() const;
    void MoveNext();
    FieldList Fields() const;
    // What the provider read around since the last call (see Cursor::takeWarnings); none when
    // the record set is closed.
    std::vector<Error> TakeWarnings();

private:
    void attach(std::unique_ptr<Cursor> cursor);
    Cursor& open() const;

    std::unique_ptr<Cursor> cursor_;
    bool bof_ = false;
};

} // namespace tabulant::platform
