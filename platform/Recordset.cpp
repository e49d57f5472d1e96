#include "Recordset.h"

#include "AsciiText.h"
#include "Error.h"

namespace tabulant::platform {

int FieldList::Count() const { return fields_ ? static_cast<int>(fields_->size()) : 0; }

const Field& FieldList::Item(int position) const {
    if (!fields_ || position < 0 || position >= Count())
        throw Error(errors::ItemNotFound, "Item cannot be found in the collection corresponding to "
                                          "the requested name or ordinal.");
    return (*fields_)[static_cast<std::size_t>(position)];
}

const Field& FieldList::Item(std::string_view name) const {
    if (fields_) {
        for (const Field& f : *fields_)
            if (EqualsNoCase(f.name, name)) return f;
    }
    throw Error(
        errors::ItemNotFound,
        "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

void Recordset::attach(std::unique_ptr<Cursor> cursor) {
    cursor_ = std::move(cursor);
    bof_ = cursor_ && cursor_->atEnd();
}

void Recordset::Open(std::string_view source, Connection& connection) {
    if (cursor_)
        throw Error(errors::ObjectClosed, "Operation is not allowed when the object is open.");
    auto cursor = connection.Execute(source);
    if (!cursor) throw Error(errors::ObjectClosed, "The statement returned no rows to open.");
    attach(std::move(cursor));
}

void Recordset::Close() {
    if (!cursor_)
        throw Error(errors::ObjectClosed, "Operation is not allowed when the object is closed.");
    cursor_.reset();
}

Cursor& Recordset::open() const {
    if (!cursor_)
        throw Error(errors::ObjectClosed, "Operation is not allowed when the object is closed.");
    return *cursor_;
}

bool Recordset::Eof() const { return open().atEnd(); }
bool Recordset::Bof() const {
    open();
    return bof_;
}
std::int64_t Recordset::RecordCount() const { return open().recordCount(); }

void Recordset::MoveNext() {
    Cursor& c = open();
    if (c.atEnd())
        throw Error(errors::NoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted. Requested "
                    "operation requires a current record.");
    c.moveNext();
}

FieldList Recordset::Fields() const { return FieldList(&open().fields()); }

std::vector<Error> Recordset::TakeWarnings() {
    return cursor_ ? cursor_->takeWarnings() : std::vector<Error>{};
}

} // namespace tabulant::platform
